#include "markdown/views/tasklistview.h"

#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/theme.h"
#include "markdown/views/blocksequence.h"
#include "markdown/views/listitemsequence.h"

namespace {

// The marker shows the item's flag only: it is neither numbered nor measured, so it
// never widens the marker column of a numbered list around it, and clicking it changes
// nothing.
ui::View TaskListItemView(const RawTaskListItem &item)
{
    return ui::EnvironmentReader([item](const ui::EnvironmentValues &env) {
        const ui::View marker = env.get<ThemeKey>()
                                    .taskListMarker()
                                    .body(TaskListMarkerConfiguration { item.isCompleted })
                                    .modifier(textStyleFont());
        return ListItemBody(env, item.children, marker);
    });
}

} // namespace

ui::View TaskListView(bool isTight, const QList<RawTaskListItem> &items)
{
    return ui::EnvironmentReader([isTight, items](const ui::EnvironmentValues &env) {
        const ui::View sequence = BlockSequence(
            items, [](qsizetype, const RawTaskListItem &item) { return TaskListItemView(item); });
        return ListBody(env, sequence, isTight, BlockNode::taskList(isTight, items));
    });
}
