#include "markdown/model/modelhasher_p.h"

#include <QHash>

namespace {

// Every code unit below U+0300 is its own NFC form and none of them composes with
// what precedes it, so such text needs no normalisation; most documents are like that.
bool isTriviallyNormalized(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x300)
            return false;
    }
    return true;
}

QString nfc(const QString &text)
{
    return isTriviallyNormalized(text) ? text : text.normalized(QString::NormalizationForm_C);
}

} // namespace

bool canonicallyEqual(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    if (isTriviallyNormalized(a) && isTriviallyNormalized(b))
        return false;
    return nfc(a) == nfc(b);
}

bool canonicallyEqual(const std::optional<QString> &a, const std::optional<QString> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || canonicallyEqual(*a, *b);
}

void ModelHasher::feed(const QString &text)
{
    const QString normalized = nfc(text);
    feedCount(normalized.size());
    mix(qHash(QStringView(normalized), 0));
}

void ModelHasher::feed(const std::optional<QString> &text)
{
    if (!text) {
        mix(0);
        return;
    }
    mix(1);
    feed(*text);
}

size_t ModelHasher::result() const
{
    // A final avalanche so that nearby inputs spread over the whole word.
    std::uint64_t h = m_state;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return static_cast<size_t>(h);
}
