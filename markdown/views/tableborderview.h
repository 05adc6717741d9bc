#pragma once

#include "markdown/theme/tablestyles.h"

#include "ui/view.h"

// The border lines of a measured table: the rectangles the environment's border style
// selects for `bounds` and its line width, each stroked inside its own edges in the
// style's colour and stroke, later ones over earlier ones. As large as the measuring
// view it is given; the lines fall in the gaps the table leaves for them.
ui::View TableBorderView(const TableBounds &bounds);
