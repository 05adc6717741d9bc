#include "markdown/model/blocknode.h"

#include "markdown/model/modelhasher_p.h"

namespace {

void feedHash(ModelHasher &hasher, RawTableColumnAlignment alignment);
void feedHash(ModelHasher &hasher, const RawListItem &item);
void feedHash(ModelHasher &hasher, const RawTaskListItem &item);
void feedHash(ModelHasher &hasher, const RawTableCell &cell);
void feedHash(ModelHasher &hasher, const RawTableRow &row);

template<class T> void feedSequence(ModelHasher &hasher, const QList<T> &elements)
{
    hasher.feedCount(elements.size());
    for (const T &element : elements)
        feedHash(hasher, element);
}

void feedHash(ModelHasher &hasher, RawTableColumnAlignment alignment)
{
    hasher.feed(static_cast<qint64>(alignment));
}

void feedHash(ModelHasher &hasher, const RawListItem &item)
{
    feedSequence(hasher, item.children);
}

void feedHash(ModelHasher &hasher, const RawTaskListItem &item)
{
    hasher.feed(item.isCompleted);
    feedSequence(hasher, item.children);
}

void feedHash(ModelHasher &hasher, const RawTableCell &cell)
{
    feedSequence(hasher, cell.content);
}

void feedHash(ModelHasher &hasher, const RawTableRow &row)
{
    feedSequence(hasher, row.cells);
}

template<class T> size_t hashOf(const T &value, size_t seed)
{
    ModelHasher hasher(seed);
    feedHash(hasher, value);
    return hasher.result();
}

// The inline rewrite over a block tree, one block at a time; any failure ends it all.
class BlockRewriter
{
public:
    explicit BlockRewriter(const FallibleInlineRewrite &rewrite)
        : m_rewrite(rewrite)
    { }

    std::optional<QList<BlockNode>> blocks(const QList<BlockNode> &blocks) const
    {
        QList<BlockNode> result;
        result.reserve(blocks.size());
        for (const BlockNode &block : blocks) {
            std::optional<BlockNode> rewritten = this->block(block);
            if (!rewritten)
                return std::nullopt;
            result.append(std::move(*rewritten));
        }
        return result;
    }

    std::optional<BlockNode> block(const BlockNode &block) const
    {
        return std::visit([this](const auto &payload) { return rewrite(payload); }, block.payload());
    }

private:
    std::optional<BlockNode> rewrite(const BlockNode::Blockquote &quote) const
    {
        std::optional<QList<BlockNode>> children = blocks(quote.children);
        if (!children)
            return std::nullopt;
        return BlockNode::blockquote(std::move(*children));
    }

    template<class Item> std::optional<QList<Item>> items(const QList<Item> &items) const
    {
        QList<Item> result;
        result.reserve(items.size());
        for (Item item : items) {
            std::optional<QList<BlockNode>> children = blocks(item.children);
            if (!children)
                return std::nullopt;
            item.children = std::move(*children);
            result.append(std::move(item));
        }
        return result;
    }

    std::optional<BlockNode> rewrite(const BlockNode::BulletedList &list) const { return rewriteList(list); }
    std::optional<BlockNode> rewrite(const BlockNode::NumberedList &list) const { return rewriteList(list); }
    std::optional<BlockNode> rewrite(const BlockNode::TaskList &list) const { return rewriteList(list); }
    std::optional<BlockNode> rewrite(const BlockNode::Paragraph &block) const
    {
        return rewriteContent(block);
    }
    std::optional<BlockNode> rewrite(const BlockNode::Heading &block) const { return rewriteContent(block); }

    // Tightness, start, ticks and the number of items stay.
    template<class List> std::optional<BlockNode> rewriteList(List list) const
    {
        auto rewritten = items(list.items);
        if (!rewritten)
            return std::nullopt;
        list.items = std::move(*rewritten);
        return BlockNode(std::move(list));
    }

    template<class Block> std::optional<BlockNode> rewriteContent(Block block) const
    {
        std::optional<QList<InlineNode>> content = tryRewriteInlineNodes(block.content, m_rewrite);
        if (!content)
            return std::nullopt;
        block.content = std::move(*content);
        return BlockNode(std::move(block));
    }

    std::optional<BlockNode> rewrite(BlockNode::Table table) const
    {
        for (RawTableRow &row : table.rows) {
            for (RawTableCell &cell : row.cells) {
                std::optional<QList<InlineNode>> content = tryRewriteInlineNodes(cell.content, m_rewrite);
                if (!content)
                    return std::nullopt;
                cell.content = std::move(*content);
            }
        }
        return BlockNode(std::move(table));
    }

    std::optional<BlockNode> rewrite(const BlockNode::CodeBlock &block) const { return BlockNode(block); }
    std::optional<BlockNode> rewrite(const BlockNode::HtmlBlock &block) const { return BlockNode(block); }
    std::optional<BlockNode> rewrite(const BlockNode::ThematicBreak &block) const { return BlockNode(block); }

    const FallibleInlineRewrite &m_rewrite;
};

FallibleInlineRewrite infallible(const InlineRewrite &rewrite)
{
    return [&rewrite](const InlineNode &node) -> std::optional<QList<InlineNode>> { return rewrite(node); };
}

} // namespace

std::optional<RawTableColumnAlignment> rawTableColumnAlignment(QChar raw)
{
    switch (raw.unicode()) {
    case 0:
        return RawTableColumnAlignment::None;
    case u'l':
        return RawTableColumnAlignment::Left;
    case u'c':
        return RawTableColumnAlignment::Center;
    case u'r':
        return RawTableColumnAlignment::Right;
    default:
        return std::nullopt;
    }
}

size_t qHash(RawTableColumnAlignment alignment, size_t seed)
{
    return hashOf(alignment, seed);
}

bool RawListItem::operator==(const RawListItem &other) const
{
    return children == other.children;
}

size_t qHash(const RawListItem &item, size_t seed)
{
    return hashOf(item, seed);
}

bool RawTaskListItem::operator==(const RawTaskListItem &other) const
{
    return isCompleted == other.isCompleted && children == other.children;
}

size_t qHash(const RawTaskListItem &item, size_t seed)
{
    return hashOf(item, seed);
}

size_t qHash(const RawTableCell &cell, size_t seed)
{
    return hashOf(cell, seed);
}

size_t qHash(const RawTableRow &row, size_t seed)
{
    return hashOf(row, seed);
}

BlockNode::BlockNode()
    : m_payload(ThematicBreak {})
{ }
BlockNode::BlockNode(const BlockNode &) = default;
BlockNode::BlockNode(BlockNode &&) noexcept = default;
BlockNode &BlockNode::operator=(const BlockNode &) = default;
BlockNode &BlockNode::operator=(BlockNode &&) noexcept = default;
BlockNode::~BlockNode() = default;

QList<BlockNode> BlockNode::blockChildren() const
{
    QList<BlockNode> result;
    auto appendItems = [&result](const auto &items) {
        for (const auto &item : items)
            result.append(item.children);
    };
    if (const auto *quote = as<Blockquote>())
        result = quote->children;
    else if (const auto *list = as<BulletedList>())
        appendItems(list->items);
    else if (const auto *list = as<NumberedList>())
        appendItems(list->items);
    else if (const auto *list = as<TaskList>())
        appendItems(list->items);
    return result;
}

bool BlockNode::operator==(const BlockNode &other) const
{
    if (m_payload.index() != other.m_payload.index())
        return false;
    switch (kind()) {
    case Kind::Blockquote:
        return std::get<Blockquote>(m_payload).children == std::get<Blockquote>(other.m_payload).children;
    case Kind::BulletedList: {
        const auto &a = std::get<BulletedList>(m_payload);
        const auto &b = std::get<BulletedList>(other.m_payload);
        return a.isTight == b.isTight && a.items == b.items;
    }
    case Kind::NumberedList: {
        const auto &a = std::get<NumberedList>(m_payload);
        const auto &b = std::get<NumberedList>(other.m_payload);
        return a.isTight == b.isTight && a.start == b.start && a.items == b.items;
    }
    case Kind::TaskList: {
        const auto &a = std::get<TaskList>(m_payload);
        const auto &b = std::get<TaskList>(other.m_payload);
        return a.isTight == b.isTight && a.items == b.items;
    }
    case Kind::CodeBlock: {
        const auto &a = std::get<CodeBlock>(m_payload);
        const auto &b = std::get<CodeBlock>(other.m_payload);
        return canonicallyEqual(a.fenceInfo, b.fenceInfo) && canonicallyEqual(a.content, b.content);
    }
    case Kind::HtmlBlock:
        return canonicallyEqual(
            std::get<HtmlBlock>(m_payload).content, std::get<HtmlBlock>(other.m_payload).content);
    case Kind::Paragraph:
        return std::get<Paragraph>(m_payload).content == std::get<Paragraph>(other.m_payload).content;
    case Kind::Heading: {
        const auto &a = std::get<Heading>(m_payload);
        const auto &b = std::get<Heading>(other.m_payload);
        return a.level == b.level && a.content == b.content;
    }
    case Kind::Table: {
        const auto &a = std::get<Table>(m_payload);
        const auto &b = std::get<Table>(other.m_payload);
        return a.columnAlignments == b.columnAlignments && a.rows == b.rows;
    }
    case Kind::ThematicBreak:
        return true;
    }
    return false;
}

void feedHash(ModelHasher &hasher, const BlockNode &node)
{
    hasher.feed(static_cast<qint64>(node.kind()));
    std::visit(
        [&hasher](const auto &block) {
            using T = std::decay_t<decltype(block)>;
            if constexpr (std::is_same_v<T, BlockNode::Blockquote>) {
                feedSequence(hasher, block.children);
            } else if constexpr (std::is_same_v<T,
                                     BlockNode::BulletedList> || std::is_same_v<T, BlockNode::TaskList>) {
                hasher.feed(block.isTight);
                feedSequence(hasher, block.items);
            } else if constexpr (std::is_same_v<T, BlockNode::NumberedList>) {
                hasher.feed(block.isTight);
                hasher.feed(block.start);
                feedSequence(hasher, block.items);
            } else if constexpr (std::is_same_v<T, BlockNode::CodeBlock>) {
                hasher.feed(block.fenceInfo);
                hasher.feed(block.content);
            } else if constexpr (std::is_same_v<T, BlockNode::HtmlBlock>) {
                hasher.feed(block.content);
            } else if constexpr (std::is_same_v<T, BlockNode::Paragraph>) {
                feedSequence(hasher, block.content);
            } else if constexpr (std::is_same_v<T, BlockNode::Heading>) {
                hasher.feed(block.level);
                feedSequence(hasher, block.content);
            } else if constexpr (std::is_same_v<T, BlockNode::Table>) {
                feedSequence(hasher, block.columnAlignments);
                feedSequence(hasher, block.rows);
            }
        },
        node.payload());
}

size_t qHash(const BlockNode &node, size_t seed)
{
    return hashOf(node, seed);
}

QList<BlockNode> rewriteInlineContent(const BlockNode &block, const InlineRewrite &rewrite)
{
    return *tryRewriteInlineContent(block, infallible(rewrite));
}

QList<BlockNode> rewriteInlineContent(const QList<BlockNode> &blocks, const InlineRewrite &rewrite)
{
    return *tryRewriteInlineContent(blocks, infallible(rewrite));
}

std::optional<QList<BlockNode>> tryRewriteInlineContent(
    const BlockNode &block, const FallibleInlineRewrite &rewrite)
{
    std::optional<BlockNode> rewritten = BlockRewriter(rewrite).block(block);
    if (!rewritten)
        return std::nullopt;
    return QList<BlockNode> { std::move(*rewritten) };
}

std::optional<QList<BlockNode>> tryRewriteInlineContent(
    const QList<BlockNode> &blocks, const FallibleInlineRewrite &rewrite)
{
    return BlockRewriter(rewrite).blocks(blocks);
}
