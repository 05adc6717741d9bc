#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A bulleted list in the theme's list style, its items marked by the bulleted-list marker.
ui::View BulletedListView(bool isTight, const QList<RawListItem> &items);
