#pragma once

// The bridge's conversion from the library's tree, for its tests; nothing else in the
// program sees the library's types.

#include "markdown/model/blocknode.h"

#include <cmark-gfm.h>

#include <QByteArrayView>

#include <optional>

namespace MarkdownParser {

// The blocks made from the children of a node the caller owns. No value, after an error
// in the log, when the tree breaks what the library promises (an unknown node type, a
// list without list type, a list, table or row holding the wrong kind of child).
std::optional<QList<BlockNode>> convertDocumentBlocks(cmark_node *node);

// A note longer than twice this is parsed in pieces of about this size, each a run of
// whole top-level blocks, with the same result as in one go.
constexpr qsizetype pieceSize = 32 * 1024;

// The parse of text already kept from the library's slow shapes, in pieces of about
// `pieceSize` bytes when it is longer than twice that.
std::optional<QList<BlockNode>> parseMarkdownBlocksInPieces(QByteArrayView utf8, qsizetype pieceSize);

} // namespace MarkdownParser
