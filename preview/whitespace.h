#pragma once

#include <QChar>
#include <QStringView>

// The whitespace that note syntax trims from targets, titles and table cells:
// spaces of every script and the tab, but never a line end, so that a trimmed
// piece can't swallow the line structure around it.
inline bool isInlineWhitespace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

inline QStringView trimmedInline(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isInlineWhitespace(text[begin]))
        ++begin;
    while (end > begin && isInlineWhitespace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}
