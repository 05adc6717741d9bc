#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A numbered list counting from `start`, in the theme's list style.
ui::View NumberedListView(bool isTight, qint64 start, const QList<RawListItem> &items);
