#include "markdown/views/tasklistview.h"

// Renders nothing until this kind of block has its view.
ui::View TaskListView(bool, const QList<RawTaskListItem> &)
{
    return ui::EmptyView();
}
