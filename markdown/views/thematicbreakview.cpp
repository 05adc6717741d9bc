#include "markdown/views/thematicbreakview.h"

// Renders nothing until this kind of block has its view.
ui::View ThematicBreakView()
{
    return ui::EmptyView();
}
