#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A quote block: its blocks, stacked, in the theme's blockquote style.
ui::View BlockquoteView(const QList<BlockNode> &children);
