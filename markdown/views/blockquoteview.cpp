#include "markdown/views/blockquoteview.h"

// Renders nothing until this kind of block has its view.
ui::View BlockquoteView(const QList<BlockNode> &)
{
    return ui::EmptyView();
}
