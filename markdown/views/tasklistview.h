#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A task list in the theme's list style, each item marked by the task-list marker.
ui::View TaskListView(bool isTight, const QList<RawTaskListItem> &items);
