#pragma once

#include "markdown/theme/tablestyles.h"

#include "ui/view.h"

#include <QRectF>

// The cell backgrounds of a measured table: each cell's rectangle filled with what the
// environment's background style gives for its row and column (row 0 the header).
// The gaps between cells stay unfilled. As large as the measuring view it is given.
ui::View TableBackgroundView(const TableBounds &bounds);

// `view` in a frame of the rectangle's size, drawn at its origin without moving the
// layout: the pieces of a table's backgrounds and borders, stacked at the top leading
// corner, never change the size of their stack.
ui::View placedAt(const ui::View &view, const QRectF &rectangle);
