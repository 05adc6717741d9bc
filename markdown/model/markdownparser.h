#pragma once

#include "markdown/model/blocknode.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The bridge between Markdown text and the block model, over cmark-gfm with the GitHub
// extensions (tables, strikethrough, autolinks, tag filter, task lists), and back.
//
// Every call parses or renders afresh on the caller's thread; nothing is cached and any
// thread may call. Malformed Markdown is whatever the parser makes of it: any text gives
// a document, in time and memory linear in its length. The few shapes on which the
// library itself is slower (a paragraph dense with both emphasis and links, tables whose
// rows it pads far beyond their text, very wide table rows, hundreds of quotes or list
// items opened on one line, paragraphs crowded with brackets or delimiters) are rewritten
// first where they are pathological (see ParseGuard); every other text is parsed exactly
// as written. A long note is parsed a run of whole top-level blocks at a time (a long
// paragraph a run of words at a time, where nothing before is left open), with the same
// result, so the library's tree (dozens of times the size of its text) never holds more
// than one run.
namespace MarkdownParser {

// Quotes and lists nested deeper than this, and emphasis, links and images nested deeper
// than this within one block, are flattened: their content joins the enclosing block or
// run, so no text is lost. This keeps every recursive walk over a parsed tree (equality,
// hashing, rewriting, rendering, the views) shallow, whatever the input.
constexpr int maxNestingDepth = 64;

// Registers the parser's extensions with the library. Idempotent and thread-safe; every
// parse and render calls it, and main calls it before any other thread can parse.
void registerExtensions();

// The blocks of a Markdown text. No value only when the library gives no document; every
// caller treats that as the empty document. A tree that breaks what the library promises
// is logged as an error and gives the empty document.
std::optional<QList<BlockNode>> parseMarkdownBlocks(const QString &text);
// The same from UTF-8 bytes, which may hold NUL bytes and invalid sequences (both reach
// the model as U+FFFD).
std::optional<QList<BlockNode>> parseMarkdownBlocks(QByteArrayView utf8);

// Render a block tree through the library's renderers, without line wrapping. The
// CommonMark and plain-text forms end in a newline (trimmed by MarkdownContent), HTML
// omits raw HTML and empties dangerous link destinations. A link's title is not part of
// the model, so parsing and rendering back is not an identity.
QString renderBlocksAsCommonMark(const QList<BlockNode> &blocks);
QString renderBlocksAsPlainText(const QList<BlockNode> &blocks);
QString renderBlocksAsHTML(const QList<BlockNode> &blocks);

} // namespace MarkdownParser
