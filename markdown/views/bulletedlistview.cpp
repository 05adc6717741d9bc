#include "markdown/views/bulletedlistview.h"

// Renders nothing until this kind of block has its view.
ui::View BulletedListView(bool, const QList<RawListItem> &)
{
    return ui::EmptyView();
}
