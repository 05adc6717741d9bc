#include "markdown/model/parseguard.h"

#include "markdown/model/markdownparser.h"
#include "markdown/model/textline_p.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

using MarkdownText::Line;
using MarkdownText::lineAt;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The characters on which the inline parser may begin a node of its own: those it keeps
// on its stacks, the escape, and the openers of code and raw HTML.
bool isCounted(char c)
{
    static constexpr auto table = [] {
        std::array<bool, 256> counted {};
        for (const unsigned char d : { '\\', '*', '_', '~', '[', ']', '`', '<' })
            counted[d] = true;
        return counted;
    }();
    return table[static_cast<unsigned char>(c)];
}

bool isAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isAsciiPunctuation(char c)
{
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`')
        || (c >= '{' && c <= '~');
}

// One character of a line as the library's text holds it once escapes and entity
// references are read: the library joins neighbouring text before it looks for
// addresses, so "\@" and "&#64;" are an "@" like any other.
struct Read
{
    char c; // 0 for a character that is not ASCII
    qsizetype size; // the bytes it was written with
};

Read readAt(QByteArrayView text, qsizetype at, qsizetype end)
{
    const char c = text[at];
    if (c == '\\' && at + 1 < end && isAsciiPunctuation(text[at + 1]))
        return { text[at + 1], 2 };
    if (c != '&')
        return { static_cast<unsigned char>(c) < 0x80 ? c : char(0), 1 };
    // An entity reference: a number, or a name of which only "commat" is an "@"; any
    // other name is taken for a letter, which the scan would pass.
    qsizetype i = at + 1;
    const bool numeric = i < end && text[i] == '#';
    const bool hex = numeric && i + 1 < end && (text[i + 1] == 'x' || text[i + 1] == 'X');
    i += numeric + hex;
    const qsizetype digits = i;
    long value = 0;
    while (i < end && i - digits < 32 && (isAsciiAlnum(text[i]))) {
        const char d = text[i];
        if (numeric
            && !(hex ? std::isxdigit(static_cast<unsigned char>(d))
                     : std::isdigit(static_cast<unsigned char>(d))))
            break;
        if (numeric && value < 0x110000)
            value = value * (hex ? 16 : 10) + (d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
        ++i;
    }
    if (i == digits || i >= end || text[i] != ';')
        return { '&', 1 };
    const qsizetype size = i + 1 - at;
    if (!numeric)
        return { text.sliced(digits, i - digits) == "commat" ? '@' : 'a', size };
    return { value > 0 && value < 0x80 ? char(value) : char(0), size };
}

// The library looks for an e-mail address around every "@" with a character of a local
// part before it, and scans on from it over letters, digits, "-", "_", "." before one of
// those, and further "@"s, to where that run ends: a run of many of them costs the square
// of its length. What the scans from the run's "@"s so far would cost.
struct AddressRun
{
    long long length = 0;
    long long scans = 0; // the "@"s scanning on
    long long cost = 0;
    bool afterLocal = false; // the character before may end an address's local part

    // Whether one more character would bring the cost over what ParseGuard allows.
    bool isCostly() const { return cost + scans > ParseGuard::addressFactor * (length + 1); }

    // Adds `c`, followed by the byte `next`.
    void add(char c, char next)
    {
        const bool goesOn = isAsciiAlnum(c) || c == '@' || c == '-' || c == '_'
            || (c == '.' && (isAsciiAlnum(next) || next == '\\' || next == '&'));
        if (goesOn) {
            ++length;
            cost += scans;
            scans += c == '@' && afterLocal;
        } else {
            length = scans = cost = 0;
        }
        afterLocal = isAsciiAlnum(c) || c == '.' || c == '+' || c == '-' || c == '_';
    }
};

// The end of a list item's marker and the one space after it, or -1.
qsizetype listMarkerEnd(QByteArrayView text, qsizetype at, qsizetype end)
{
    qsizetype after = at;
    if (text[at] == '-' || text[at] == '+' || text[at] == '*') {
        after = at + 1;
    } else {
        while (after < end && after - at < 9 && text[after] >= '0' && text[after] <= '9')
            ++after;
        if (after == at || after >= end || (text[after] != '.' && text[after] != ')'))
            return -1;
        ++after;
    }
    if (after == end)
        return after;
    return isBlank(text[after]) ? after + 1 : -1;
}

// The quotes and list items a line opens or continues, read from its start.
struct Prefix
{
    qsizetype quoteEnd = 0; // past the last quote marker and its space
    qsizetype markerEnd = 0; // past the last marker and its space
    qsizetype cut = -1; // past the deepest marker kept, when there are too many
    qsizetype content = 0; // the first character that is not a marker or white space
    int quotes = 0;
    int markers = 0;
    bool opensItem = false;

    qsizetype indent() const { return content - markerEnd; }
    // The markers that stay: all of them, or those up to the cut.
    qsizetype keptMarkerEnd() const { return cut >= 0 ? cut : markerEnd; }
    qsizetype keptQuoteEnd() const { return std::min(quoteEnd, keptMarkerEnd()); }
};

Prefix prefixOf(QByteArrayView text, const Line &line)
{
    Prefix prefix;
    qsizetype at = line.start;
    prefix.quoteEnd = at;
    while (true) {
        qsizetype i = at;
        while (i < line.end && text[i] == ' ' && i - at < 4)
            ++i;
        if (i - at >= 4 || i >= line.end)
            break;
        qsizetype after = -1;
        if (text[i] == '>') {
            after = i + 1;
            if (after < line.end && isBlank(text[after]))
                ++after;
            ++prefix.quotes;
            prefix.quoteEnd = after;
        } else {
            after = listMarkerEnd(text, i, line.end);
            if (after < 0)
                break;
            prefix.opensItem = true;
        }
        at = after;
        if (++prefix.markers == MarkdownParser::maxNestingDepth)
            prefix.cut = at;
    }
    prefix.markerEnd = at;
    while (at < line.end && isBlank(text[at]))
        ++at;
    prefix.content = at;
    return prefix;
}

struct Fence
{
    char character = 0;
    qsizetype length = 0;
    int quotes = 0;
};

qsizetype runLength(QByteArrayView text, qsizetype at, qsizetype end, char c)
{
    qsizetype run = at;
    while (run < end && text[run] == c)
        ++run;
    return run - at;
}

std::optional<Fence> fenceOpening(QByteArrayView text, const Line &line, const Prefix &prefix)
{
    if (prefix.indent() >= 4 || prefix.content >= line.end)
        return std::nullopt;
    const char c = text[prefix.content];
    if (c != '`' && c != '~')
        return std::nullopt;
    const qsizetype run = runLength(text, prefix.content, line.end, c);
    if (run < 3)
        return std::nullopt;
    if (c == '`' && text.sliced(prefix.content + run, line.end - prefix.content - run).contains('`'))
        return std::nullopt;
    return Fence { c, run, prefix.quotes };
}

bool closesFence(QByteArrayView text, const Line &line, const Prefix &prefix, const Fence &fence)
{
    if (prefix.quotes != fence.quotes || prefix.indent() >= 4 || prefix.content >= line.end)
        return false;
    const qsizetype run = runLength(text, prefix.content, line.end, fence.character);
    if (run < fence.length)
        return false;
    for (qsizetype i = prefix.content + run; i < line.end; ++i) {
        if (!isBlank(text[i]))
            return false;
    }
    return true;
}

bool isHeading(QByteArrayView text, const Line &line, const Prefix &prefix)
{
    if (prefix.indent() >= 4)
        return false;
    const qsizetype run = runLength(text, prefix.content, line.end, '#');
    const qsizetype after = prefix.content + run;
    return run >= 1 && run <= 6 && (after == line.end || isBlank(text[after]));
}

qsizetype pipeCount(QByteArrayView text, qsizetype from, qsizetype to)
{
    return std::count(text.begin() + from, text.begin() + to, '|');
}

// The cells of a delimiter row ("|---|:-:|"), or 0 when the line is none.
qsizetype delimiterCells(QByteArrayView text, const Line &line, const Prefix &prefix)
{
    if (prefix.indent() >= 4 || prefix.content >= line.end)
        return 0;
    bool dash = false;
    for (qsizetype i = prefix.content; i < line.end; ++i) {
        const char c = text[i];
        if (c == '-')
            dash = true;
        else if (c != '|' && c != ':' && !isBlank(c))
            return 0;
    }
    qsizetype last = line.end;
    while (last > prefix.content && isBlank(text[last - 1]))
        --last;
    qsizetype pipes = pipeCount(text, prefix.content, last);
    if (!dash || pipes == 0)
        return 0;
    const qsizetype inner
        = pipes - (text[prefix.content] == '|') - (last - prefix.content > 1 && text[last - 1] == '|');
    return inner + 1;
}

// The text handed on: the input, copied only from the first rewrite on.
class Output
{
public:
    explicit Output(QByteArrayView source)
        : m_source(source)
    { }

    // Everything up to `position` is kept as it stands.
    void keep(qsizetype position)
    {
        if (m_changed)
            m_text.append(m_source.sliced(m_copied, position - m_copied));
        m_copied = position;
    }
    void insert(QByteArrayView bytes)
    {
        change();
        m_text.append(bytes);
    }
    void skipTo(qsizetype position)
    {
        change();
        m_copied = position;
    }

    std::optional<QByteArray> finish()
    {
        keep(m_source.size());
        return m_changed ? std::optional<QByteArray>(std::move(m_text)) : std::nullopt;
    }

private:
    void change()
    {
        if (m_changed)
            return;
        m_changed = true;
        m_text.reserve(m_source.size() + m_source.size() / 16 + 64);
        m_text.append(m_source.first(m_copied));
    }

    QByteArrayView m_source;
    QByteArray m_text;
    qsizetype m_copied = 0;
    bool m_changed = false;
};

// What the library's inline parser will hold at once for one paragraph: its
// emphasis delimiter runs and its closing brackets.
struct InlineLoad
{
    long long length = 0;
    long long delimiters = 0;
    long long closers = 0;
    long long nodes = 0; // characters that may begin a node
    long long openBrackets = 0;

    bool isDense() const
    {
        return delimiters * closers > ParseGuard::densityFactor * std::max<long long>(length, 1);
    }
    bool isCrowded() const
    {
        return nodes >= ParseGuard::nodeBudget && nodes * ParseGuard::crowdedFactor >= length;
    }
};

// Lines longer than this are also cut at spaces when they alone are dense.
constexpr qsizetype longLine = 4096;

class Defuser
{
public:
    explicit Defuser(QByteArrayView text)
        : m_text(text)
        , m_out(text)
    { }

    std::optional<QByteArray> run()
    {
        for (qsizetype at = 0; at < m_text.size();) {
            const Line line = lineAt(m_text, at, m_carriageReturns);
            handle(line);
            at = line.next;
        }
        return m_out.finish();
    }

private:
    void handle(const Line &line)
    {
        const Prefix prefix = prefixOf(m_text, line);
        if (m_fence) {
            if (closesFence(m_text, line, prefix, *m_fence))
                m_fence.reset();
            endUnit();
            return;
        }
        const bool blank = prefix.content >= line.end;
        const bool heading = !blank && isHeading(m_text, line, prefix);
        const bool sameBlock = !blank && !prefix.opensItem && prefix.quotes == m_previous.quotes
            && m_previous.continues && !heading;
        const bool tableRow = line.start < m_tableEnd;
        const std::optional<Fence> fence = fenceOpening(m_text, line, prefix);
        const qsizetype cells = !fence && !tableRow && sameBlock ? delimiterCells(m_text, line, prefix) : 0;

        if (!fence && !cells && sameBlock && !tableRow && m_unit.isDense()) {
            // A paragraph break where the library's work would turn quadratic.
            m_out.keep(line.start);
            m_out.insert(m_text.sliced(line.start, prefix.keptQuoteEnd() - line.start).trimmed());
            m_out.insert("\n");
            endUnit();
        }
        if (prefix.cut >= 0 && prefix.markers > MarkdownParser::maxNestingDepth) {
            m_out.keep(prefix.cut);
            m_out.skipTo(prefix.markerEnd);
        }
        if (fence) {
            m_fence = fence;
            endUnit();
            m_previous = {};
            return;
        }
        if (cells) {
            judgeTable(line, prefix, cells);
            endUnit();
            m_previous = { line.start, line.end, prefix.quotes, true };
            return;
        }
        if (blank) {
            endUnit();
            m_previous = { line.start, line.end, prefix.quotes, false };
            return;
        }
        if (tableRow || !sameBlock)
            endUnit();
        count(line, prefix);
        if (tableRow || heading)
            endUnit();
        m_previous = { line.start, line.end, prefix.quotes, !heading };
    }

    // Adds the line's content to the current paragraph. Only a paragraph with more
    // closing brackets than densityFactor can turn dense (its delimiters would have
    // to outnumber its bytes otherwise), so until then only brackets are counted,
    // which is much faster; past that the paragraph is counted exactly from its start.
    void count(const Line &line, const Prefix &prefix)
    {
        if (m_unitStart < 0)
            m_unitStart = line.start;
        if (!m_exact) {
            m_unit.closers += occurrences(']', prefix.content, line.end);
            m_unit.length += line.next - line.start;
            if (m_unit.closers <= ParseGuard::densityFactor && m_unit.length < ParseGuard::nodeBudget
                && !mayHoldCostlyAddresses(prefix.content, line.end))
                return;
            m_exact = true;
            m_unit = {};
            for (qsizetype at = m_unitStart; at < line.start;) {
                const Line earlier = lineAt(m_text, at, m_carriageReturns);
                countExactly(earlier, prefixOf(m_text, earlier), false);
                at = earlier.next;
            }
        }
        countExactly(line, prefix, line.end - prefix.content > longLine);
    }

    // A plain loop for short lines, where calling out costs more than it saves.
    qsizetype occurrences(char c, qsizetype from, qsizetype to) const
    {
        qsizetype found = 0;
        const char *at = m_text.data() + from;
        const char *end = m_text.data() + to;
        if (to - from < 64) {
            for (; at < end; ++at)
                found += *at == c;
            return found;
        }
        while ((at = static_cast<const char *>(std::memchr(at, c, size_t(end - at))))) {
            ++found;
            ++at;
        }
        return found;
    }

    // Only a line with more "@"s (or references, which may be one) than addressFactor
    // can hold a run whose scans cost more than that many times its length.
    bool mayHoldCostlyAddresses(qsizetype from, qsizetype to) const
    {
        const qsizetype ats = occurrences('@', from, to);
        return ats > ParseGuard::addressFactor
            || ats + occurrences('&', from, to) > ParseGuard::addressFactor;
    }

    // A long line that is dense by itself is cut at spaces; any line is cut before a
    // character that would begin a node once the paragraph is crowded, and before a
    // letter or "@" where a run of addresses grows costly.
    void countExactly(const Line &line, const Prefix &prefix, bool mayCut)
    {
        qsizetype from = line.start; // where this line's part of the paragraph begins
        const long long before = m_unit.length;
        const auto lengthAt = [&](qsizetype i) { return (from == line.start ? before : 0) + (i - from); };
        const bool addresses = mayHoldCostlyAddresses(prefix.content, line.end);
        m_run = {};
        qsizetype readTo = prefix.content; // the run has read the characters before this
        for (qsizetype i = prefix.content; i < line.end; ++i) {
            const char c = m_text[i];
            if (addresses && i >= readTo) {
                const Read read = readAt(m_text, i, line.end);
                const bool mayBegin = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || read.c == '@';
                if (mayBegin && m_run.isCostly()) {
                    from = restartAt(line, prefix, i);
                    i = from - 1;
                    continue;
                }
                readTo = i + read.size;
                m_run.add(read.c, readTo < line.end ? m_text[readTo] : '\n');
                // A backslash before anything but punctuation is itself, and the
                // character after it is skipped below: it is read here.
                if (c == '\\' && read.size == 1 && readTo < line.end) {
                    ++readTo;
                    m_run.add(
                        readAt(m_text, readTo - 1, readTo).c, readTo < line.end ? m_text[readTo] : '\n');
                }
            }
            if (!isCounted(c) && !(mayCut && c == ' '))
                continue;
            if (c != ' ') {
                InlineLoad now = m_unit;
                now.length = lengthAt(i);
                // A run of one delimiter or backtick begins one node. A closing bracket
                // begins none when it closes one before it, as the two make one link,
                // and two otherwise: itself, and the text after it.
                int begun = 1;
                if (c == ']')
                    begun = m_unit.openBrackets > 0 ? 0 : 2;
                else if (c == '*' || c == '_' || c == '~' || c == '`')
                    begun = i == prefix.content || m_text[i - 1] != c;
                if (begun > 0 && now.isCrowded() && c != '\\' && i > prefix.content
                    && m_text[i - 1] != '\\') {
                    from = cutBefore(line, prefix, i);
                    i = from - 1;
                    continue;
                }
                m_unit.nodes += begun;
                m_unit.openBrackets += c == '[' ? 1 : c == ']' && m_unit.openBrackets > 0 ? -1 : 0;
            }
            if (c == '\\') {
                ++i;
            } else if (c == '*' || c == '_' || c == '~') {
                if (i == prefix.content || m_text[i - 1] != c)
                    ++m_unit.delimiters;
            } else if (c == ']') {
                ++m_unit.closers;
            } else if (c == ' ') {
                InlineLoad now = m_unit;
                now.length = lengthAt(i);
                if (now.isDense()) {
                    from = cutAt(line, prefix, i);
                    i = from - 1;
                }
            }
        }
        m_unit.length = lengthAt(line.next);
    }

    // Ends the paragraph at `at`: the rest of the line goes on in the same quotes and list
    // items, after a blank line there.
    void breakAt(const Line &line, const Prefix &prefix, qsizetype at)
    {
        m_out.keep(at);
        const QByteArrayView quotes = m_text.sliced(line.start, prefix.keptQuoteEnd() - line.start);
        m_out.insert("\n");
        m_out.insert(quotes.trimmed());
        m_out.insert("\n");
        m_out.insert(quotes);
        m_out.insert(QByteArray(prefix.keptMarkerEnd() - prefix.keptQuoteEnd(), ' '));
    }

    // Gives where the rest of the line starts.
    qsizetype cutAt(const Line &line, const Prefix &prefix, qsizetype space)
    {
        breakAt(line, prefix, space);
        qsizetype rest = space;
        while (rest < line.end && isBlank(m_text[rest]))
            ++rest;
        m_out.skipTo(rest);
        return restartedAt(rest);
    }

    // The same before a character that would begin a node, escaped so that it reads as
    // itself at the start of a paragraph.
    qsizetype cutBefore(const Line &line, const Prefix &prefix, qsizetype at)
    {
        breakAt(line, prefix, at);
        m_out.insert("\\");
        return restartedAt(at);
    }

    // The same before a letter or an "@", which reads as itself there.
    qsizetype restartAt(const Line &line, const Prefix &prefix, qsizetype at)
    {
        breakAt(line, prefix, at);
        return restartedAt(at);
    }

    qsizetype restartedAt(qsizetype at)
    {
        m_unit = {};
        m_unitStart = at;
        m_run = {};
        return at;
    }

    void endUnit()
    {
        m_unit = {};
        m_exact = false;
        m_unitStart = -1;
    }

    // The line is a delimiter row under the header line before it: the library
    // will read a table whose rows run to the next blank line or block.
    void judgeTable(const Line &delimiter, const Prefix &prefix, qsizetype columns)
    {
        // Inside a table already judged too big, any further delimiter row is
        // escaped as well: judging each would cost a pass over the rest again.
        if (delimiter.start < m_escapeEnd) {
            escape(prefix);
            return;
        }
        qsizetype rows = 0;
        const auto splitCost = [](long long pipes) { return pipes * pipes; };
        long long cost = splitCost(pipeCount(m_text, m_previous.start, m_previous.end))
            + splitCost(pipeCount(m_text, delimiter.start, delimiter.end));
        qsizetype end = delimiter.next;
        qsizetype textEnd = delimiter.end;
        for (qsizetype at = delimiter.next; at < m_text.size();) {
            const Line row = lineAt(m_text, at, m_carriageReturns);
            const Prefix rowPrefix = prefixOf(m_text, row);
            if (rowPrefix.content >= row.end || rowPrefix.opensItem || rowPrefix.quotes != prefix.quotes
                || isHeading(m_text, row, rowPrefix) || fenceOpening(m_text, row, rowPrefix))
                break;
            ++rows;
            cost += splitCost(pipeCount(m_text, row.start, row.end));
            textEnd = row.end;
            end = at = row.next;
        }
        m_tableEnd = end;

        bool tooBig = cost > m_splitBudget;
        if (!tooBig) {
            m_splitBudget -= cost;
            const long long cells = (long long)columns * (rows + 1);
            const long long excess = cells - (textEnd - m_previous.start);
            if (excess > 0) {
                tooBig = excess > m_allowance;
                if (!tooBig)
                    m_allowance -= excess;
            }
        }
        if (!tooBig)
            return;
        m_escapeEnd = end;
        m_tableEnd = 0; // its rows are text now
        escape(prefix);
    }

    // A delimiter row with a backslash before its first dash is text, and reads
    // as the same text.
    void escape(const Prefix &prefix)
    {
        m_out.keep(m_text.indexOf('-', prefix.content));
        m_out.insert("\\");
    }

    struct Previous
    {
        qsizetype start = 0;
        qsizetype end = 0;
        int quotes = 0;
        bool continues = false; // a paragraph line that the next line may continue
    };

    QByteArrayView m_text;
    const bool m_carriageReturns = m_text.contains('\r');
    Output m_out;
    std::optional<Fence> m_fence;
    Previous m_previous;
    InlineLoad m_unit;
    AddressRun m_run; // in the line being counted exactly
    qsizetype m_unitStart = -1; // where the paragraph counted in m_unit begins
    bool m_exact = false; // m_unit counts delimiters too
    qsizetype m_tableEnd = 0; // rows of a table that stays a table end here
    qsizetype m_escapeEnd = 0;
    long long m_allowance = ParseGuard::paddingAllowance;
    long long m_splitBudget = ParseGuard::tableSplitBudget;
};

} // namespace

namespace ParseGuard {

std::optional<QByteArray> defused(QByteArrayView utf8)
{
    return Defuser(utf8).run();
}

} // namespace ParseGuard
