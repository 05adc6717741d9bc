#pragma once

#include "markdown/theme/tablestyles.h"

#include "ui/view.h"

#include <QRectF>

#include <functional>
#include <vector>

class QPainter;

// The cell backgrounds of a measured table: each cell's rectangle filled with what the
// environment's background style gives for its row and column (row 0 the header).
// The gaps between cells stay unfilled. As large as the measuring view it is given.
ui::View TableBackgroundView(const TableBounds &bounds);

// Rectangles in the space of the measuring view, each drawn by `draw` (given the
// rectangle in content coordinates and its position in the list, in list order) when
// it meets the part being drawn. One element for all of a table's fills or lines,
// however many cells it has; it takes the size it is offered.
ui::View DrawnRectangles(
    std::vector<QRectF> rectangles, std::function<void(QPainter &, const QRectF &, size_t)> draw);
