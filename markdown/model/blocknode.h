#pragma once

#include "markdown/model/inlinenode.h"

#include <QChar>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

class BlockNode;

// A table column's alignment. The raw value is the alignment byte of the parser's table
// extension: U+0000 for none, and "l", "c", "r".
enum class RawTableColumnAlignment : char16_t { None = 0, Left = u'l', Center = u'c', Right = u'r' };

// No value for any character but the four raw values (case-sensitive: "L" is not left).
std::optional<RawTableColumnAlignment> rawTableColumnAlignment(QChar raw);
inline QChar rawValue(RawTableColumnAlignment alignment)
{
    return QChar(static_cast<char16_t>(alignment));
}
size_t qHash(RawTableColumnAlignment alignment, size_t seed = 0);

struct RawListItem
{
    QList<BlockNode> children;

    bool operator==(const RawListItem &other) const;
};
size_t qHash(const RawListItem &item, size_t seed = 0);

struct RawTaskListItem
{
    bool isCompleted = false; // the item's box is ticked
    QList<BlockNode> children;

    bool operator==(const RawTaskListItem &other) const;
};
size_t qHash(const RawTaskListItem &item, size_t seed = 0);

struct RawTableCell
{
    QList<InlineNode> content;

    bool operator==(const RawTableCell &other) const { return content == other.content; }
};
size_t qHash(const RawTableCell &cell, size_t seed = 0);

struct RawTableRow
{
    QList<RawTableCell> cells;

    bool operator==(const RawTableRow &other) const { return cells == other.cells; }
};
size_t qHash(const RawTableRow &row, size_t seed = 0);

// One block of a Markdown document: an immutable value, cheap to copy (strings and lists
// are implicitly shared). Equality and hashing cover the whole payload; strings compare
// and hash in NFC. Like InlineNode, every whole-tree operation recurses once per nesting
// level, which the parser caps.
class BlockNode
{
public:
    // The alternatives, in the order whose index is the case index hashed.
    struct Blockquote
    {
        QList<BlockNode> children;
    };
    struct BulletedList
    {
        bool isTight = false; // no blank line between or inside the items
        QList<RawListItem> items;
    };
    struct NumberedList
    {
        bool isTight = false;
        qint64 start = 1; // the number of the first item
        QList<RawListItem> items;
    };
    struct TaskList
    {
        bool isTight = false;
        QList<RawTaskListItem> items;
    };
    struct CodeBlock
    {
        // The whole info string of a fenced block; empty for an indented block; absent
        // when code built the block without a language.
        std::optional<QString> fenceInfo;
        QString content; // the literal, final newline included
    };
    struct HtmlBlock
    {
        QString content; // raw, as written
    };
    struct Paragraph
    {
        QList<InlineNode> content;
    };
    struct Heading
    {
        qint64 level = 1; // 1 to 6 from the parser; not checked here
        QList<InlineNode> content;
    };
    // rows[0] is the header row. Rows may hold fewer or more cells than there are columns.
    struct Table
    {
        QList<RawTableColumnAlignment> columnAlignments;
        QList<RawTableRow> rows;
    };
    struct ThematicBreak
    {
    };

    using Payload = std::variant<Blockquote, BulletedList, NumberedList, TaskList, CodeBlock, HtmlBlock,
        Paragraph, Heading, Table, ThematicBreak>;

    enum class Kind {
        Blockquote,
        BulletedList,
        NumberedList,
        TaskList,
        CodeBlock,
        HtmlBlock,
        Paragraph,
        Heading,
        Table,
        ThematicBreak
    };

    // A thematic break: a default value so that nodes fit in containers.
    BlockNode();
    template<class T>
    requires std::is_constructible_v<Payload, T &&> &&(!std::is_same_v<std::remove_cvref_t<T>, BlockNode>)
        BlockNode(T &&payload) // NOLINT: implicit, a payload is a node
        : m_payload(std::forward<T>(payload))
    { }
    BlockNode(const BlockNode &);
    BlockNode(BlockNode &&) noexcept;
    BlockNode &operator=(const BlockNode &);
    BlockNode &operator=(BlockNode &&) noexcept;
    ~BlockNode();

    static BlockNode blockquote(QList<BlockNode> children) { return Blockquote { std::move(children) }; }
    static BlockNode bulletedList(bool isTight, QList<RawListItem> items)
    {
        return BulletedList { isTight, std::move(items) };
    }
    static BlockNode numberedList(bool isTight, qint64 start, QList<RawListItem> items)
    {
        return NumberedList { isTight, start, std::move(items) };
    }
    static BlockNode taskList(bool isTight, QList<RawTaskListItem> items)
    {
        return TaskList { isTight, std::move(items) };
    }
    static BlockNode codeBlock(std::optional<QString> fenceInfo, QString content)
    {
        return CodeBlock { std::move(fenceInfo), std::move(content) };
    }
    static BlockNode htmlBlock(QString content) { return HtmlBlock { std::move(content) }; }
    static BlockNode paragraph(QList<InlineNode> content) { return Paragraph { std::move(content) }; }
    static BlockNode heading(qint64 level, QList<InlineNode> content)
    {
        return Heading { level, std::move(content) };
    }
    static BlockNode table(QList<RawTableColumnAlignment> columnAlignments, QList<RawTableRow> rows)
    {
        return Table { std::move(columnAlignments), std::move(rows) };
    }
    static BlockNode thematicBreak() { return ThematicBreak {}; }

    Kind kind() const { return static_cast<Kind>(m_payload.index()); }
    const Payload &payload() const { return m_payload; }
    template<class T> const T *as() const { return std::get_if<T>(&m_payload); }

    // The blocks one level down: a quote's children, or every list item's children in
    // item order; empty for every other block.
    QList<BlockNode> blockChildren() const;

    bool operator==(const BlockNode &other) const;

private:
    Payload m_payload;
};

size_t qHash(const BlockNode &node, size_t seed = 0);

// Runs every run of inlines in the tree through rewriteInlineNodes (see inlinenode.h),
// blocks depth-first in document order, keeping the shape of every block: list tightness,
// start, ticks, table alignments and the number of rows and cells stay. Code, HTML and
// rule blocks come back unchanged. Over a sequence, each block gives exactly one block.
QList<BlockNode> rewriteInlineContent(const BlockNode &block, const InlineRewrite &rewrite);
QList<BlockNode> rewriteInlineContent(const QList<BlockNode> &blocks, const InlineRewrite &rewrite);
// The fallible forms: the first failure anywhere in the tree gives std::nullopt.
std::optional<QList<BlockNode>> tryRewriteInlineContent(
    const BlockNode &block, const FallibleInlineRewrite &rewrite);
std::optional<QList<BlockNode>> tryRewriteInlineContent(
    const QList<BlockNode> &blocks, const FallibleInlineRewrite &rewrite);
