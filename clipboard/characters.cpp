#include "clipboard/characters.h"

#include <QStringView>
#include <QTextBoundaryFinder>

namespace {

// The UTF-16 length of the first `count` characters, or -1 when there are fewer.
// The finder analyses the whole string it is given, so it is given a growing
// prefix: a break before position p depends only on what comes up to p, so every
// break found short of the prefix's last unit is also a break of the whole text.
qsizetype lengthOfFirst(const QString &text, int count)
{
    if (count <= 0)
        return 0;
    qsizetype window = qsizetype(count) * 4 + 16;
    while (true) {
        const bool whole = window >= text.size();
        const qsizetype size = whole ? text.size() : window;
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.constData(), size);
        int seen = 0;
        qsizetype position;
        while ((position = finder.toNextBoundary()) != -1) {
            if (!whole && position >= size - 1)
                break;
            if (++seen == count)
                return position;
        }
        if (whole)
            return -1;
        window *= 2;
    }
}

} // namespace

QString firstCharacters(const QString &text, int count)
{
    const qsizetype length = lengthOfFirst(text, count);
    return length < 0 ? text : text.left(length);
}

bool hasAtLeastCharacters(const QString &text, int count)
{
    return lengthOfFirst(text, count) >= 0;
}
