#include "markdown/theme/tablestyles.h"

#include <algorithm>
#include <limits>

namespace {

constexpr double unreported = std::numeric_limits<double>::max();

// The union of the reported cell rectangles of a row (or column); cells that have not
// reported are left out, so a table still settling never stretches a band far away.
// Absent when no cell of it has reported.
std::optional<QRectF> band(const TableBounds &table, std::optional<int> row, std::optional<int> column)
{
    QRectF result;
    bool any = false;
    const int rows = int(table.rows.size());
    const int columns = int(table.columns.size());
    for (int r = row.value_or(0); r < (row ? *row + 1 : rows); ++r) {
        for (int c = column.value_or(0); c < (column ? *column + 1 : columns); ++c) {
            if (!table.hasReported(r, c))
                continue;
            const QRectF cell = table.cellRect(r, c);
            if (!any) {
                result = cell;
                any = true;
                continue;
            }
            result.setLeft(std::min(result.left(), cell.left()));
            result.setTop(std::min(result.top(), cell.top()));
            result.setRight(std::max(result.right(), cell.right()));
            result.setBottom(std::max(result.bottom(), cell.bottom()));
        }
    }
    if (!any)
        return std::nullopt;
    return result;
}

std::vector<QRectF> insideHorizontal(const TableBounds &table, double w)
{
    std::vector<QRectF> lines;
    for (int r = 0; r + 1 < int(table.rows.size()); ++r) {
        const std::optional<QRectF> cells = band(table, r, std::nullopt);
        if (!cells) {
            lines.emplace_back(); // a row none of whose cells reported shows no line
            continue;
        }
        const QRectF grown = cells->adjusted(-w, -w, w, w);
        lines.emplace_back(grown.x(), grown.bottom() - w, grown.width(), w);
    }
    return lines;
}

std::vector<QRectF> insideVertical(const TableBounds &table, double w)
{
    std::vector<QRectF> lines;
    for (int c = 0; c + 1 < int(table.columns.size()); ++c) {
        const std::optional<QRectF> cells = band(table, std::nullopt, c);
        if (!cells) {
            lines.emplace_back();
            continue;
        }
        const QRectF grown = cells->adjusted(-w, -w, w, w);
        lines.emplace_back(grown.right() - w, grown.y(), w, grown.height());
    }
    return lines;
}

void append(std::vector<QRectF> &to, const std::vector<QRectF> &more)
{
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace

TableBounds::TableBounds(int rowCount, int columnCount, QRectF bounds)
    : bounds(bounds)
    , rows(size_t(std::max(0, rowCount)), Row { unreported, 0 })
    , columns(size_t(std::max(0, columnCount)), Column { unreported, 0 })
{ }

void TableBounds::include(int row, int column, const QRectF &cell)
{
    Row &r = rows.at(size_t(row));
    Column &c = columns.at(size_t(column));
    r.minY = std::min(r.minY, cell.top());
    r.height = std::max(r.height, cell.height());
    c.minX = std::min(c.minX, cell.left());
    c.width = std::max(c.width, cell.width());
}

QRectF TableBounds::cellRect(int row, int column) const
{
    const Row &r = rows.at(size_t(row));
    const Column &c = columns.at(size_t(column));
    return QRectF(c.minX, r.minY, c.width, r.height);
}

bool TableBounds::hasReported(int row, int column) const
{
    return rows.at(size_t(row)).minY != unreported && columns.at(size_t(column)).minX != unreported;
}

TableBorderSelector TableBorderSelector::insideHorizontalBorders()
{
    return { insideHorizontal };
}

TableBorderSelector TableBorderSelector::insideVerticalBorders()
{
    return { insideVertical };
}

TableBorderSelector TableBorderSelector::insideBorders()
{
    return { [](const TableBounds &table, double w) {
        std::vector<QRectF> lines = insideHorizontal(table, w);
        append(lines, insideVertical(table, w));
        return lines;
    } };
}

TableBorderSelector TableBorderSelector::horizontalBorders()
{
    return { [](const TableBounds &table, double w) {
        const QRectF &b = table.bounds;
        std::vector<QRectF> lines { QRectF(b.x(), b.y(), b.width(), w),
            QRectF(b.x(), b.bottom() - w, b.width(), w) };
        append(lines, insideHorizontal(table, w));
        return lines;
    } };
}

TableBorderSelector TableBorderSelector::outsideBorders()
{
    return { [](const TableBounds &table, double) { return std::vector<QRectF> { table.bounds }; } };
}

TableBorderSelector TableBorderSelector::allBorders()
{
    return { [](const TableBounds &table, double w) {
        std::vector<QRectF> lines = insideHorizontal(table, w);
        append(lines, insideVertical(table, w));
        lines.push_back(table.bounds);
        return lines;
    } };
}

TableBorderStyle::TableBorderStyle(
    TableBorderSelector visibleBorders, ui::Color color, ui::StrokeStyle strokeStyle)
    : visibleBorders(std::move(visibleBorders))
    , color(std::move(color))
    , strokeStyle(std::move(strokeStyle))
{ }

namespace {
ui::StrokeStyle strokeOfWidth(double width)
{
    ui::StrokeStyle style;
    style.lineWidth = width;
    return style;
}
} // namespace

TableBorderStyle::TableBorderStyle(TableBorderSelector visibleBorders, ui::Color color, double width)
    : TableBorderStyle(std::move(visibleBorders), std::move(color), strokeOfWidth(width))
{ }

TableBackgroundStyle::TableBackgroundStyle(std::function<ui::Color(int row, int column)> background)
    : background(std::move(background))
{ }

TableBackgroundStyle TableBackgroundStyle::clear()
{
    return TableBackgroundStyle([](int, int) { return ui::Color::clear(); });
}

TableBackgroundStyle TableBackgroundStyle::alternatingRows(
    ui::Color first, ui::Color second, std::optional<ui::Color> header)
{
    return TableBackgroundStyle([first, second, header](int row, int) {
        if (row >= 1)
            return row % 2 == 1 ? first : second;
        return header.value_or(first);
    });
}

TableBorderStyle TableBorderStyleKey::defaultValue()
{
    return TableBorderStyle(TableBorderSelector::allBorders(), ui::Color::secondary(), 1.0);
}

ui::ViewModifier markdownTableBorderStyle(TableBorderStyle style)
{
    return [style = std::move(style)](
               const ui::View &view) { return view.environment<TableBorderStyleKey>(style); };
}

ui::ViewModifier markdownTableBackgroundStyle(TableBackgroundStyle style)
{
    return [style = std::move(style)](
               const ui::View &view) { return view.environment<TableBackgroundStyleKey>(style); };
}
