#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

#include <QList>

// A table in the theme's table style: a grid with one column per column alignment,
// whose gaps between cells and band around them are as wide as the border style's
// line, so that the borders drawn there never cover a cell. Each cell is shown in the
// theme's table-cell style (row 0 is the header) and reports the bounds of what that
// style drew; the cell backgrounds are painted behind those bounds and the borders
// over them. A row with fewer cells than columns shows empty cells in its place; cells
// beyond the last column are not shown.
ui::View TableView(const QList<RawTableColumnAlignment> &columnAlignments, const QList<RawTableRow> &rows);
