#include "markdown/views/tableview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/tablestyles.h"
#include "markdown/theme/theme.h"
#include "markdown/views/imageflow.h"
#include "markdown/views/inlinetext.h"
#include "markdown/views/tablebackgroundview.h"
#include "markdown/views/tableborderview.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

struct TableCellIndex
{
    int row;
    int column;
    bool operator==(const TableCellIndex &) const = default;
};

struct CellAnchor
{
    TableCellIndex index;
    ui::Anchor anchor;
    bool operator==(const CellAnchor &) const = default;
};

// Where each cell of one table ended up, in the order the cells reported; of two
// reports for one cell the later counts. A list rather than a map: every cell starts
// one, and thousands of one-entry hash tables cost more than the table's own layout.
struct TableCellBoundsPreference
{
    using Value = std::vector<CellAnchor>;
    static Value defaultValue() { return {}; }
    static void reduce(Value &value, const Value &next)
    {
        value.insert(value.end(), next.begin(), next.end());
    }
};

ui::HorizontalAlignment gridAlignment(RawTableColumnAlignment alignment)
{
    switch (alignment) {
    case RawTableColumnAlignment::Center:
        return ui::HorizontalAlignment::Center;
    case RawTableColumnAlignment::Right:
        return ui::HorizontalAlignment::Trailing;
    case RawTableColumnAlignment::None:
    case RawTableColumnAlignment::Left:
        break;
    }
    return ui::HorizontalAlignment::Leading;
}

// The table's rows and columns from its cells' bounds as `proxy` sees them, in row-major
// order: a row spans from its highest cell top as far as its tallest cell, a column
// likewise. Rows and columns no cell reported for keep their initial entries.
TableBounds measuredBounds(int rowCount, int columnCount, const TableCellBoundsPreference::Value &anchors,
    const ui::GeometryProxy &proxy)
{
    TableBounds table(rowCount, columnCount, QRectF(QPointF(0, 0), proxy.size()));
    if (anchors.empty())
        return table;
    std::vector<std::optional<ui::Anchor>> latest(size_t(rowCount) * size_t(columnCount));
    for (const CellAnchor &cell : anchors) {
        const auto [row, column] = cell.index;
        if (row >= 0 && row < rowCount && column >= 0 && column < columnCount)
            latest[size_t(row) * size_t(columnCount) + size_t(column)] = cell.anchor;
    }
    for (int row = 0; row < rowCount; ++row) {
        for (int column = 0; column < columnCount; ++column) {
            if (const auto &anchor = latest[size_t(row) * size_t(columnCount) + size_t(column)])
                table.include(row, column, proxy[*anchor]);
        }
    }
    return table;
}

// One cell in the theme's cell style, reporting where that style's view ended up (its
// padding included, not the grid slot around it).
ui::View TableCell(int row, int column, const RawTableCell &cell)
{
    return ui::EnvironmentReader([row, column, cell](const ui::EnvironmentValues &env) {
        std::optional<ui::View> label = ImageFlow(cell.content);
        if (!label)
            label = InlineText(cell.content);
        return env.get<ThemeKey>()
            .tableCell()
            .body(TableCellConfiguration {
                row, column, *label, MarkdownContent({ BlockNode::paragraph(cell.content) }) })
            .anchorPreference<TableCellBoundsPreference>([row, column](const ui::Anchor &anchor) {
                return TableCellBoundsPreference::Value { { TableCellIndex { row, column }, anchor } };
            });
    });
}

// The grid with its backgrounds and borders. The border width is read here, inside
// the label, so that a table style that sets the border style around its label gets
// gaps as wide as the lines it draws.
ui::View TableGrid(const QList<RawTableColumnAlignment> &columnAlignments, const QList<RawTableRow> &rows)
{
    return ui::EnvironmentReader([columnAlignments, rows](const ui::EnvironmentValues &env) {
        // A negative width would overlap the cells; it draws nothing, like none.
        const double borderWidth = std::max(0.0, env.get<TableBorderStyleKey>().strokeStyle.lineWidth);
        const int rowCount = int(rows.size());
        const int columnCount = int(columnAlignments.size());
        const RawTableCell missing;
        std::vector<ui::GridRow> gridRows;
        gridRows.reserve(size_t(rowCount));
        for (int r = 0; r < rowCount; ++r) {
            const QList<RawTableCell> &cells = rows[r].cells;
            std::vector<ui::View> gridCells;
            gridCells.reserve(size_t(columnCount));
            for (int c = 0; c < columnCount; ++c) {
                // A row built shorter than the table (in code, not by the parser) gets
                // empty cells, which still report their bounds.
                const RawTableCell &cell = c < cells.size() ? cells[c] : missing;
                gridCells.push_back(
                    TableCell(r, c, cell).gridColumnAlignment(gridAlignment(columnAlignments[c])));
            }
            gridRows.emplace_back(std::move(gridCells));
        }
        auto measuring = [rowCount, columnCount](std::function<ui::View(const TableBounds &)> view) {
            return [rowCount, columnCount, view](const TableCellBoundsPreference::Value &anchors) {
                return ui::GeometryReader(
                    [rowCount, columnCount, view, anchors](const ui::GeometryProxy &proxy) {
                        return view(measuredBounds(rowCount, columnCount, anchors, proxy));
                    });
            };
        };
        return ui::Grid(std::move(gridRows), ui::Alignment::center(), borderWidth, borderWidth)
            .padding(borderWidth)
            .backgroundPreferenceValue<TableCellBoundsPreference>(measuring(TableBackgroundView))
            .overlayPreferenceValue<TableCellBoundsPreference>(measuring(TableBorderView))
            // The anchors mean nothing outside this table: ancestors need not carry them.
            .preference<TableCellBoundsPreference>({});
    });
}

} // namespace

ui::View TableView(const QList<RawTableColumnAlignment> &columnAlignments, const QList<RawTableRow> &rows)
{
    return ui::EnvironmentReader([columnAlignments, rows](const ui::EnvironmentValues &env) {
        return env.get<ThemeKey>().table().body(BlockConfiguration { TableGrid(columnAlignments, rows),
            MarkdownContent({ BlockNode::table(columnAlignments, rows) }) });
    });
}
