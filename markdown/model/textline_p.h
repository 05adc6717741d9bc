#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstring>

// Lines of Markdown text as the parser library reads them: a line ends at "\n", "\r\n"
// or "\r". Shared by the parse and the guard in front of it, which must agree with the
// library on where every line ends; not for other folders.
namespace MarkdownText {

struct Line
{
    qsizetype start = 0;
    qsizetype end = 0; // before the line end
    qsizetype next = 0; // where the next line starts (the text's size after the last)
};

// The line starting at `start`. `carriageReturns`: whether the text holds any "\r" at
// all; most hold none, and then one search per line finds its end.
inline Line lineAt(QByteArrayView text, qsizetype start, bool carriageReturns)
{
    const char *begin = text.data() + start;
    const size_t rest = size_t(text.size() - start);
    const char *feed = static_cast<const char *>(std::memchr(begin, '\n', rest));
    const size_t length = feed ? size_t(feed - begin) : rest;
    const char *carriage
        = carriageReturns ? static_cast<const char *>(std::memchr(begin, '\r', length)) : nullptr;
    const qsizetype end = start + qsizetype(carriage ? carriage - begin : length);
    qsizetype next = end;
    if (next < text.size())
        next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
    return { start, end, next };
}

} // namespace MarkdownText
