#pragma once

#include "ui/color.h"
#include "ui/view.h"

#include <QRectF>

#include <functional>
#include <optional>
#include <vector>

// The measured geometry of one rendered table, in the space of the padded grid (origin
// at the outer edge of the border band). A row is as tall as its tallest cell and
// starts at its highest cell's top; a column likewise. Until a cell reports, its row
// and column keep the greatest finite coordinate and no extent.
struct TableBounds
{
    struct Row
    {
        double minY;
        double height;
    };
    struct Column
    {
        double minX;
        double width;
    };

    QRectF bounds;
    std::vector<Row> rows;
    std::vector<Column> columns;

    TableBounds() = default;
    TableBounds(int rowCount, int columnCount, QRectF bounds = {});

    // Takes a cell's measured rectangle into its row and column.
    void include(int row, int column, const QRectF &cell);
    // The cell in `row` and `column`: its column's x and width, its row's y and height.
    QRectF cellRect(int row, int column) const;
    bool hasReported(int row, int column) const;
};

// Chooses which border rectangles of a measured table are stroked, given its bounds
// and the border width; each rectangle is stroked inside its own edges.
struct TableBorderSelector
{
    std::function<std::vector<QRectF>(const TableBounds &, double borderWidth)> rectangles;

    // Inside lines, then the frame.
    static TableBorderSelector allBorders();
    // The frame's top and bottom lines, then the lines between rows.
    static TableBorderSelector horizontalBorders();
    static TableBorderSelector outsideBorders();
    // The lines between rows, then those between columns.
    static TableBorderSelector insideBorders();
    static TableBorderSelector insideHorizontalBorders();
    static TableBorderSelector insideVerticalBorders();
};

struct TableBorderStyle
{
    TableBorderSelector visibleBorders;
    ui::Color color;
    // Its line width is also the width of the gaps the table leaves for the lines.
    ui::StrokeStyle strokeStyle;

    TableBorderStyle(TableBorderSelector visibleBorders, ui::Color color, ui::StrokeStyle strokeStyle);
    // A plain stroke of that width: butt caps, miter joins, miter limit 10, no dash.
    TableBorderStyle(TableBorderSelector visibleBorders, ui::Color color, double width);
};

// The fill of each cell by row and column (row 0 is the header).
struct TableBackgroundStyle
{
    std::function<ui::Color(int row, int column)> background;

    explicit TableBackgroundStyle(std::function<ui::Color(int row, int column)> background);
    static TableBackgroundStyle clear();
    // Odd body rows `first`, even ones `second`, the header `header` (else `first`).
    static TableBackgroundStyle alternatingRows(
        ui::Color first, ui::Color second, std::optional<ui::Color> header = std::nullopt);
};

// Every border in the secondary colour, one point wide.
struct TableBorderStyleKey
{
    using Value = TableBorderStyle;
    static Value defaultValue();
};

struct TableBackgroundStyleKey
{
    using Value = TableBackgroundStyle;
    static Value defaultValue() { return TableBackgroundStyle::clear(); }
};

ui::ViewModifier markdownTableBorderStyle(TableBorderStyle style);
ui::ViewModifier markdownTableBackgroundStyle(TableBackgroundStyle style);
