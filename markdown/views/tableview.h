#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A table in the theme's table style; row 0 is the header.
ui::View TableView(const QList<RawTableColumnAlignment> &columnAlignments, const QList<RawTableRow> &rows);
