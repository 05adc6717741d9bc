#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

#include <QList>

// The one place where the document model meets the block views: the view of a block,
// picked by its kind. Each kind's view lives in a file of its own (paragraphview,
// headingview, blockquoteview, codeblockview, bulletedlistview, numberedlistview,
// tasklistview, tableview, thematicbreakview); this only hands over the payload, with
// one final line feed dropped from code and HTML blocks and an HTML block shown as a
// paragraph of its literal text.
ui::View BlockView(const BlockNode &block);

// Blocks stacked with collapsing margins, each shown through BlockView.
ui::View BlockSequence(const QList<BlockNode> &blocks);
