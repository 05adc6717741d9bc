#pragma once

// The bridge's conversion from the library's tree, for its tests; nothing else in the
// program sees the library's types.

#include "markdown/model/blocknode.h"

#include <cmark-gfm.h>

#include <optional>

namespace MarkdownParser {

// The blocks made from the children of a node the caller owns. No value, after an error
// in the log, when the tree breaks what the library promises (an unknown node type, a
// list without list type, a list, table or row holding the wrong kind of child).
std::optional<QList<BlockNode>> convertDocumentBlocks(cmark_node *node);

} // namespace MarkdownParser
