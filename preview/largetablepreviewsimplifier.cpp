#include "preview/largetablepreviewsimplifier.h"

#include "preview/whitespace.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

using Section = LargeTablePreviewSimplifier::Section;

struct FenceOpening
{
    QChar character;
    qsizetype length = 0;
    QStringView rest;
};

struct TableMatch
{
    qsizetype end = 0; // index just past the table's last line
    qsizetype bodyRows = 0;
    qsizetype columns = 0;
};

qsizetype leadingSpaceCount(QStringView line)
{
    qsizetype count = 0;
    while (count < line.size() && line[count] == u' ')
        ++count;
    return count;
}

QStringView stripBlockquoteMarkers(QStringView line)
{
    while (true) {
        const qsizetype spaces = leadingSpaceCount(line);
        if (spaces >= 4 || spaces >= line.size() || line[spaces] != u'>')
            return line;
        line = line.sliced(spaces + 1);
        if (line.startsWith(u' '))
            line = line.sliced(1);
    }
}

std::optional<FenceOpening> parseFenceOpening(QStringView line)
{
    const qsizetype spaces = leadingSpaceCount(line);
    if (spaces > 3 || spaces >= line.size())
        return std::nullopt;
    const QChar character = line[spaces];
    if (character != u'`' && character != u'~')
        return std::nullopt;
    qsizetype end = spaces;
    while (end < line.size() && line[end] == character)
        ++end;
    if (end - spaces < 3)
        return std::nullopt;
    return FenceOpening { character, end - spaces, line.sliced(end) };
}

// The width of a list item's marker and the spaces after it ("- ", "12. "), or 0
// when the line does not start with one. Five or more spaces after the marker
// begin indented code, so only the first of them belongs to the marker.
qsizetype listMarkerWidth(QStringView line)
{
    qsizetype marker = 0;
    if (line.startsWith(u'-') || line.startsWith(u'+') || line.startsWith(u'*')) {
        marker = 1;
    } else {
        while (marker < line.size() && marker < 9 && line[marker].isDigit() && line[marker].unicode() < 0x80)
            ++marker;
        if (marker == 0 || marker >= line.size() || (line[marker] != u'.' && line[marker] != u')'))
            return 0;
        ++marker;
    }
    const qsizetype spaces = leadingSpaceCount(line.sliced(marker));
    if (spaces == 0)
        return 0;
    return marker + (spaces >= 5 ? 1 : spaces);
}

// Where the rows of a table stand: a table in a list item starts on the item's
// marker line ("- | a | b |"), and its other rows are indented to the item's
// content. The library reads such a table like any other and pads its rows to
// the header's width, so it must be judged like any other.
struct RowIndent
{
    qsizetype width = 0; // the item's content indent; 0 outside list items
};

// The header line without its quote and list markers, and the indent its table's
// other rows must have.
std::pair<QStringView, RowIndent> stripHeaderMarkers(QStringView line)
{
    QStringView rest = stripBlockquoteMarkers(line);
    RowIndent indent;
    const qsizetype leading = leadingSpaceCount(rest);
    if (leading >= 4)
        return { rest, indent };
    QStringView content = rest.sliced(leading);
    qsizetype width = leading;
    // Nested items may open on one line ("- 1. | a |").
    while (const qsizetype marker = listMarkerWidth(content)) {
        width += marker;
        content = content.sliced(marker);
    }
    if (width == leading)
        return { rest, indent };
    indent.width = width;
    return { content, indent };
}

Q_ALWAYS_INLINE std::optional<QStringView> rowCandidateAfterMarkers(QStringView stripped)
{
    if (leadingSpaceCount(stripped) >= 4 || stripped.startsWith(u'\t'))
        return std::nullopt;
    const QStringView trimmed = trimmedInline(stripped);
    if (!trimmed.contains(u'|'))
        return std::nullopt;
    return trimmed;
}

Q_ALWAYS_INLINE std::optional<QStringView> isTableRowCandidate(QStringView line, RowIndent indent = {})
{
    QStringView stripped = stripBlockquoteMarkers(line);
    if (indent.width > 0) {
        // A line indented less than the item's content is no longer in the item.
        if (leadingSpaceCount(stripped) < indent.width)
            return std::nullopt;
        stripped = stripped.sliced(indent.width);
    }
    return rowCandidateAfterMarkers(stripped);
}

// Hands each trimmed cell of a row to `visit`, and gives their count. A backslash does
// not protect a pipe: the row splits at every one of them. The cells are not collected:
// a header row of a megabyte holds half a million of them.
template<class Visit> qsizetype forEachTableCell(QStringView row, Visit visit)
{
    row = trimmedInline(row);
    if (!row.contains(u'|'))
        return 0;
    if (row.startsWith(u'|'))
        row = row.sliced(1);
    if (row.endsWith(u'|'))
        row.chop(1);
    qsizetype count = 0;
    for (qsizetype from = 0;; ++count) {
        const qsizetype bar = row.indexOf(u'|', from);
        visit(trimmedInline(row.sliced(from, (bar < 0 ? row.size() : bar) - from)));
        if (bar < 0)
            return count + 1;
        from = bar + 1;
    }
}

bool isDelimiterCell(QStringView cell)
{
    cell = trimmedInline(cell);
    if (cell.startsWith(u':'))
        cell = cell.sliced(1);
    if (cell.endsWith(u':'))
        cell.chop(1);
    return !cell.isEmpty() && std::all_of(cell.begin(), cell.end(), [](QChar c) { return c == u'-'; });
}

// The note's lines, cut at line feeds. A note saved with Windows line ends keeps
// its carriage returns in the sections, but every test on a line looks past one
// trailing carriage return: otherwise no delimiter row of such a note would ever
// qualify, and a huge table would reach the renderer whole.
class Lines
{
public:
    explicit Lines(const QString &text)
        : m_text(text)
    {
        m_starts.push_back(0);
        for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
            m_starts.push_back(at + 1);
    }

    qsizetype count() const { return qsizetype(m_starts.size()); }

    // Line i as the tests see it: no line feed, no trailing carriage return.
    QStringView tested(qsizetype i) const
    {
        QStringView line = QStringView(m_text).sliced(m_starts[i], rawEnd(i) - m_starts[i]);
        if (line.endsWith(u'\r'))
            line.chop(1);
        return line;
    }

    // Where line i begins, and where it ends with its line feed.
    qsizetype start(qsizetype i) const { return m_starts[i]; }
    qsizetype markdownEnd(qsizetype i) const { return i + 1 < count() ? m_starts[i + 1] : m_text.size(); }

private:
    qsizetype rawEnd(qsizetype i) const { return i + 1 < count() ? m_starts[i + 1] - 1 : m_text.size(); }

    const QString &m_text;
    std::vector<qsizetype> m_starts;
};

std::optional<TableMatch> detectTable(const Lines &lines, qsizetype i)
{
    if (i + 1 >= lines.count())
        return std::nullopt;
    // Both rows hold a pipe: most lines are judged by that alone.
    if (!lines.tested(i).contains(u'|') || !lines.tested(i + 1).contains(u'|'))
        return std::nullopt;
    const auto [headerText, indent] = stripHeaderMarkers(lines.tested(i));
    const std::optional<QStringView> header = rowCandidateAfterMarkers(headerText);
    if (!header)
        return std::nullopt;
    const std::optional<QStringView> delimiter = isTableRowCandidate(lines.tested(i + 1), indent);
    if (!delimiter)
        return std::nullopt;
    const qsizetype columns = forEachTableCell(*header, [](QStringView) {});
    bool allDelimiters = true;
    const qsizetype delimiterColumns = forEachTableCell(
        *delimiter, [&](QStringView cell) { allDelimiters = allDelimiters && isDelimiterCell(cell); });
    if (columns == 0 || delimiterColumns != columns || !allDelimiters)
        return std::nullopt;

    // A row candidate always splits into at least one cell, and a body row's
    // cell count is not compared with the header's.
    qsizetype end = i + 2;
    while (end < lines.count() && isTableRowCandidate(lines.tested(end), indent))
        ++end;
    const qsizetype bodyRows = end - (i + 2);
    return TableMatch { end, bodyRows, columns };
}

bool hasNonBlankLine(const Lines &lines, qsizetype from)
{
    for (qsizetype i = from; i < lines.count(); ++i) {
        if (!trimmedInline(lines.tested(i)).isEmpty())
            return true;
    }
    return false;
}

// The lines collected since the last section: always one stretch of the text,
// sometimes after one inserted line feed that parts it from a summary above.
class Pending
{
public:
    explicit Pending(const QString &text)
        : m_text(text)
    { }

    void insertLineFeed() { m_lineFeed = true; }

    void append(qsizetype from, qsizetype to)
    {
        if (m_from < 0)
            m_from = from;
        Q_ASSERT(m_from == from || m_to == from);
        m_to = to;
    }

    void flush(QList<Section> &sections)
    {
        const QStringView stretch
            = m_from >= 0 ? QStringView(m_text).sliced(m_from, m_to - m_from) : QStringView();
        QString text;
        if (!m_lineFeed && stretch.size() == m_text.size()) {
            text = m_text; // the whole note: shared, not copied
        } else {
            // Exactly as long as it needs: a section lives as long as the preview shows it.
            text.reserve(stretch.size() + (m_lineFeed ? 1 : 0));
            if (m_lineFeed)
                text += u'\n';
            text += stretch;
        }
        if (!text.isEmpty())
            sections.append(Section::markdown(std::move(text)));
        m_lineFeed = false;
        m_from = m_to = -1;
    }

private:
    const QString &m_text;
    bool m_lineFeed = false;
    qsizetype m_from = -1;
    qsizetype m_to = -1;
};

} // namespace

LargeTablePreviewSimplifier::Result LargeTablePreviewSimplifier::simplify(
    const QString &text, qsizetype cellThreshold, qsizetype rowThreshold, qsizetype previewRowCount)
{
    const Lines lines(text);
    Pending pending(text);
    Result result;
    std::optional<FenceOpening> fence;

    qsizetype i = 0;
    while (i < lines.count()) {
        const QStringView line = lines.tested(i);
        const auto appendLine = [&] { pending.append(lines.start(i), lines.markdownEnd(i)); };

        if (fence) {
            appendLine();
            const std::optional<FenceOpening> closing = parseFenceOpening(line);
            if (closing && closing->character == fence->character && closing->length >= fence->length
                && trimmedInline(closing->rest).isEmpty())
                fence.reset();
            ++i;
            continue;
        }
        if (const std::optional<FenceOpening> opening = parseFenceOpening(line)) {
            fence = opening;
            appendLine();
            ++i;
            continue;
        }
        if (leadingSpaceCount(line) >= 4 || line.startsWith(u'\t')) {
            appendLine();
            ++i;
            continue;
        }
        const std::optional<TableMatch> match = detectTable(lines, i);
        if (!match) {
            appendLine();
            ++i;
            continue;
        }
        const qsizetype bodyCells = match->bodyRows * match->columns;
        if (bodyCells < cellThreshold && match->bodyRows < rowThreshold) {
            // Its rows are not looked at again.
            pending.append(lines.start(i), lines.markdownEnd(match->end - 1));
            i = match->end;
            continue;
        }

        pending.flush(result.sections);
        const qsizetype kept = std::max<qsizetype>(0, std::min(match->bodyRows, previewRowCount));
        SimplifiedTable table;
        table.summary = Summary { match->bodyRows, match->columns, bodyCells };
        for (qsizetype line = i; line < i + kept + 2; ++line)
            table.previewLines.append(lines.tested(line).toString());
        table.omittedBodyRows = std::max<qsizetype>(0, match->bodyRows - kept);
        result.sections.append(Section::simplifiedTable(std::move(table)));
        // The Markdown after the summary starts on a fresh blank line, so that a
        // paragraph there doesn't read as the table's continuation.
        if (match->end < lines.count() && hasNonBlankLine(lines, match->end))
            pending.insertLineFeed();
        i = match->end;
    }
    pending.flush(result.sections);
    return result;
}
