#include "preview/notepreviewkey.h"

#include "preview/shareddata.h"

#include <algorithm>

namespace {

// True when the text from `c` on can be normalised apart from what precedes it:
// `c` starts a new combining sequence, so canonical reordering never crosses it.
bool startsCombiningSequence(QChar c)
{
    if (c.isSurrogate() || c.combiningClass() != 0)
        return false;
    const QString decomposition = c.decomposition();
    return decomposition.isEmpty() || decomposition.front().combiningClass() == 0;
}

// Unicode canonical equivalence. Editing a note changes a few characters of a long
// text, so only the stretch between the common head and tail is normalised: each
// cut is moved back to where a combining sequence starts in both texts.
bool canonicallyEqual(QStringView a, QStringView b)
{
    if (a.size() == b.size() && (a.data() == b.data() || a == b))
        return true;
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype head = 0;
    while (head < shorter && a[head] == b[head])
        ++head;
    // a[head] and b[head] differ, so the cut can only sit before them.
    qsizetype cut = head;
    while (cut > 0 && (cut == head || !startsCombiningSequence(a[cut])))
        --cut;

    qsizetype tail = 0;
    while (tail < shorter - cut && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    while (tail > 0 && !startsCombiningSequence(a[a.size() - tail]))
        --tail;

    const QStringView middleA = a.sliced(cut, a.size() - tail - cut);
    const QStringView middleB = b.sliced(cut, b.size() - tail - cut);
    // Text below U+0300 is its own normal form and composes with nothing: two such
    // stretches that differ differ however they are normalised. Two notes opened one
    // after the other differ from the start, and normalising both took a good part of
    // opening the second.
    const auto isNormalAsItStands = [](QStringView text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x300; });
    };
    if (isNormalAsItStands(middleA) && isNormalAsItStands(middleB))
        return false;
    return middleA.toString().normalized(QString::NormalizationForm_D)
        == middleB.toString().normalized(QString::NormalizationForm_D);
}

bool canonicallyEqual(const std::optional<QString> &a, const std::optional<QString> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || canonicallyEqual(QStringView(*a), QStringView(*b));
}

// What the rewrite reads of a note of the vault; its date is left out.
bool sameFingerprint(const NoteFile &a, const NoteFile &b)
{
    return canonicallyEqual(QStringView(a.name), QStringView(b.name)) && canonicallyEqual(a.folder, b.folder)
        && a.url == b.url;
}

} // namespace

bool operator==(const NotePreviewKey::ContextFingerprint &a, const NotePreviewKey::ContextFingerprint &b)
{
    const auto sameFiles = [](const QList<NoteFile> &x, const QList<NoteFile> &y) {
        return sharesData(x, y) || std::equal(x.begin(), x.end(), y.begin(), y.end(), sameFingerprint);
    };
    return a.currentNoteURL == b.currentNoteURL && a.vaultURL == b.vaultURL && sameFiles(a.files, b.files)
        && (sharesData(a.media, b.media) || a.media == b.media);
}

NotePreviewKey::NotePreviewKey(const QString &content, const ObsidianContext *context)
    : content(content)
{
    if (context)
        this->context = ContextFingerprint { context->currentNoteURL, context->vaultURL, context->allFiles,
            context->allMedia };
}

bool operator==(const NotePreviewKey &a, const NotePreviewKey &b)
{
    return canonicallyEqual(QStringView(a.content), QStringView(b.content)) && a.context == b.context;
}
