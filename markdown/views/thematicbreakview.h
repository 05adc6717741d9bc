#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A thematic break as the theme's thematic-break style draws it.
ui::View ThematicBreakView();
