#include "markdown/views/numberedlistview.h"

// Renders nothing until this kind of block has its view.
ui::View NumberedListView(bool, qint64, const QList<RawListItem> &)
{
    return ui::EmptyView();
}
