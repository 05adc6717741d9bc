#include "markdown/model/markdownparser.h"

#include "markdown/model/markdownparser_p.h"
#include "platform/log.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <QByteArray>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

// The extension library exports the node types it assigns at registration, but no
// installed header declares them.
extern "C" {
extern cmark_node_type CMARK_NODE_TABLE;
extern cmark_node_type CMARK_NODE_TABLE_ROW;
extern cmark_node_type CMARK_NODE_TABLE_CELL;
extern cmark_node_type CMARK_NODE_STRIKETHROUGH;
}

namespace {

const Log &log()
{
    static const Log instance("MarkdownParser");
    return instance;
}

struct ParserFree
{
    void operator()(cmark_parser *parser) const { cmark_parser_free(parser); }
};
struct NodeFree
{
    void operator()(cmark_node *node) const { cmark_node_free(node); }
};
struct BufferFree
{
    void operator()(char *buffer) const { std::free(buffer); }
};
using ParserPtr = std::unique_ptr<cmark_parser, ParserFree>;
using NodePtr = std::unique_ptr<cmark_node, NodeFree>;
using BufferPtr = std::unique_ptr<char, BufferFree>;

// What registration leaves behind; read-only afterwards, so any thread may use it.
struct Extensions
{
    std::vector<cmark_syntax_extension *> forParsing;
    cmark_syntax_extension *table = nullptr;
    cmark_syntax_extension *strikethrough = nullptr;
    cmark_syntax_extension *tasklist = nullptr;
    cmark_node_type tableType = CMARK_NODE_NONE;
    cmark_node_type tableRowType = CMARK_NODE_NONE;
    cmark_node_type tableCellType = CMARK_NODE_NONE;
    cmark_node_type strikethroughType = CMARK_NODE_NONE;
};

const Extensions &extensions()
{
    // The library's own registration guard is not thread-safe, and the extension node
    // types are assigned by it: both happen here, once.
    static Extensions result;
    static std::once_flag once;
    std::call_once(once, [] {
        cmark_gfm_core_extensions_ensure_registered();
        // A name the library does not know is skipped: the parse goes on without it.
        for (const char *name : {"autolink", "strikethrough", "tagfilter", "tasklist", "table"}) {
            if (cmark_syntax_extension *extension = cmark_find_syntax_extension(name))
                result.forParsing.push_back(extension);
        }
        result.table = cmark_find_syntax_extension("table");
        result.strikethrough = cmark_find_syntax_extension("strikethrough");
        result.tasklist = cmark_find_syntax_extension("tasklist");
        result.tableType = CMARK_NODE_TABLE;
        result.tableRowType = CMARK_NODE_TABLE_ROW;
        result.tableCellType = CMARK_NODE_TABLE_CELL;
        result.strikethroughType = CMARK_NODE_STRIKETHROUGH;
    });
    return result;
}

// The node kinds the library reports, by the type name it gives them.
enum class NodeType {
    Document,
    Blockquote,
    List,
    Item,
    CodeBlock,
    HtmlBlock,
    CustomBlock,
    Paragraph,
    Heading,
    ThematicBreak,
    Text,
    SoftBreak,
    LineBreak,
    Code,
    Html,
    CustomInline,
    Emphasis,
    Strong,
    Link,
    Image,
    InlineAttributes,
    None,
    Unknown,
    Strikethrough,
    Table,
    TableHead,
    TableRow,
    TableCell,
    TaskListItem,
};

struct NodeTypeName
{
    const char *cmarkName;
    const char *caseName; // how errors name it
};

constexpr NodeTypeName nodeTypeNames[] = {
    {"document", "document"},
    {"block_quote", "blockquote"},
    {"list", "list"},
    {"item", "item"},
    {"code_block", "codeBlock"},
    {"html_block", "htmlBlock"},
    {"custom_block", "customBlock"},
    {"paragraph", "paragraph"},
    {"heading", "heading"},
    {"thematic_break", "thematicBreak"},
    {"text", "text"},
    {"softbreak", "softBreak"},
    {"linebreak", "lineBreak"},
    {"code", "code"},
    {"html_inline", "html"},
    {"custom_inline", "customInline"},
    {"emph", "emphasis"},
    {"strong", "strong"},
    {"link", "link"},
    {"image", "image"},
    {"attribute", "inlineAttributes"},
    {"NONE", "none"},
    {"<unknown>", "unknown"},
    {"strikethrough", "strikethrough"},
    {"table", "table"},
    {"table_header", "tableHead"},
    {"table_row", "tableRow"},
    {"table_cell", "tableCell"},
    {"tasklist", "taskListItem"},
};
static_assert(std::size(nodeTypeNames) == static_cast<size_t>(NodeType::TaskListItem) + 1);

QString caseName(NodeType type)
{
    return QString::fromLatin1(nodeTypeNames[static_cast<int>(type)].caseName);
}

std::optional<NodeType> nodeTypeOfName(const char *name)
{
    for (size_t i = 0; i < std::size(nodeTypeNames); ++i) {
        const char *candidate = nodeTypeNames[i].cmarkName;
        if (candidate[0] == name[0] && std::strcmp(candidate, name) == 0)
            return static_cast<NodeType>(i);
    }
    return std::nullopt;
}

QString decoded(const char *utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

// Text handed to the library is NUL-terminated, so a U+0000 inside it would silently cut
// it short; the parser turns NUL into U+FFFD, and so does this.
QByteArray terminatedUtf8(const QString &text)
{
    if (!text.contains(QChar(u'\0')))
        return text.toUtf8();
    QString copy = text;
    copy.replace(QChar(u'\0'), QChar(QChar::ReplacementCharacter));
    return copy.toUtf8();
}

// Builds the model from the library's tree without recursion: a 100,000-level quote must
// not exhaust the stack. Each open container is a frame; a container nested deeper than
// the cap gets a frame without content of its own, whose children go to the nearest
// real frame above it.
class TreeConverter
{
public:
    std::optional<QList<BlockNode>> convert(cmark_node *root)
    {
        m_frames.push_back({root, NodeType::Document, 0, false, false, 0, 0});
        m_contents.emplace_back();
        cmark_node *next = cmark_node_first_child(root);
        while (true) {
            if (next) {
                cmark_node *node = next;
                std::optional<NodeType> type = nodeType(node);
                if (!type)
                    return std::nullopt;
                std::optional<bool> opened = enter(node, *type);
                if (!opened)
                    return std::nullopt;
                next = *opened ? cmark_node_first_child(node) : cmark_node_next(node);
            } else {
                if (m_frames.size() == 1)
                    break;
                cmark_node *node = m_frames.back().node;
                close();
                next = cmark_node_next(node);
            }
        }
        return std::move(m_contents.front().blocks);
    }

private:
    enum class Role { Blocks, Items, Rows, Cells, Inlines };

    struct Frame
    {
        cmark_node *node;
        NodeType type;
        size_t content; // index into m_contents: this frame's own, or the receiver's when flattened
        bool isFlattened;
        bool isTaskList;
        int blockDepth;
        int inlineDepth;
    };

    struct Content
    {
        QList<BlockNode> blocks;
        QList<InlineNode> inlines;
        QList<RawListItem> items;
        QList<RawTaskListItem> taskItems;
        QList<RawTableRow> rows;
        QList<RawTableCell> cells;
    };

    static Role roleOf(NodeType type)
    {
        switch (type) {
        case NodeType::List:
            return Role::Items;
        case NodeType::Table:
            return Role::Rows;
        case NodeType::TableHead:
        case NodeType::TableRow:
            return Role::Cells;
        case NodeType::Document:
        case NodeType::Blockquote:
        case NodeType::Item:
        case NodeType::TaskListItem:
            return Role::Blocks;
        default:
            return Role::Inlines;
        }
    }

    // Every consistency error ends the conversion: the caller gives the empty document.
    static std::nullopt_t fail(const QString &message)
    {
        log().error(message);
        return std::nullopt;
    }

    std::optional<NodeType> nodeType(cmark_node *node)
    {
        const char *name = cmark_node_get_type_string(node);
        if (!name)
            return fail(QStringLiteral("cmark reported a node without a type name."));
        std::optional<NodeType> type = nodeTypeOfName(name);
        if (!type)
            return fail(QStringLiteral("Unknown node type '%1' found.").arg(QString::fromUtf8(name)));
        return type;
    }

    Content &receiver() { return m_contents[m_frames.back().content]; }

    void open(cmark_node *node, NodeType type, bool flatten, bool isTaskList, int blockDepth, int inlineDepth)
    {
        size_t content = m_frames.back().content;
        if (!flatten) {
            content = m_contents.size();
            m_contents.emplace_back();
        }
        m_frames.push_back({node, type, content, flatten, isTaskList, blockDepth, inlineDepth});
    }

    // Handles one child of the innermost open frame. Gives whether a frame was opened for
    // it (its children come next), or no value after an error.
    std::optional<bool> enter(cmark_node *node, NodeType type)
    {
        const Frame &parent = m_frames.back();
        switch (roleOf(parent.type)) {
        case Role::Blocks:
            return enterBlock(node, type);
        case Role::Items:
            // The list checked its children when it was opened.
            open(node, type, parent.isFlattened, false, parent.blockDepth, 0);
            return true;
        case Role::Rows:
            if (type != NodeType::TableRow && type != NodeType::TableHead)
                return fail(QStringLiteral("Expected a table row but got a '%1' instead.").arg(caseName(type)));
            open(node, type, false, false, parent.blockDepth, 0);
            return true;
        case Role::Cells:
            if (type != NodeType::TableCell)
                return fail(QStringLiteral("Expected a table cell but got a '%1' instead.").arg(caseName(type)));
            open(node, type, false, false, parent.blockDepth, 0);
            return true;
        case Role::Inlines:
            return enterInline(node, type);
        }
        return false;
    }

    std::optional<bool> enterBlock(cmark_node *node, NodeType type)
    {
        const Frame &parent = m_frames.back();
        switch (type) {
        case NodeType::Blockquote:
            open(node, type, parent.blockDepth >= MarkdownParser::maxNestingDepth, false, parent.blockDepth + 1, 0);
            return true;
        case NodeType::List:
            return enterList(node);
        case NodeType::Paragraph:
        case NodeType::Heading:
            open(node, type, false, false, parent.blockDepth, 0);
            return true;
        case NodeType::Table:
            return enterTable(node);
        case NodeType::CodeBlock: {
            const char *info = cmark_node_get_fence_info(node);
            receiver().blocks.append(BlockNode::codeBlock(info ? std::optional<QString>(QString::fromUtf8(info))
                                                               : std::nullopt,
                                                          decoded(cmark_node_get_literal(node))));
            return false;
        }
        case NodeType::HtmlBlock:
            receiver().blocks.append(BlockNode::htmlBlock(decoded(cmark_node_get_literal(node))));
            return false;
        case NodeType::ThematicBreak:
            receiver().blocks.append(BlockNode::thematicBreak());
            return false;
        default:
            return false; // not a block of the model: left out with its subtree
        }
    }

    std::optional<bool> enterList(cmark_node *node)
    {
        bool isTaskList = false;
        for (cmark_node *child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
            std::optional<NodeType> type = nodeType(child);
            if (!type)
                return std::nullopt;
            if (*type != NodeType::Item && *type != NodeType::TaskListItem)
                return fail(QStringLiteral("Expected a list item but got a '%1' instead.").arg(caseName(*type)));
            isTaskList = isTaskList || *type == NodeType::TaskListItem;
        }
        if (!isTaskList) {
            const cmark_list_type listType = cmark_node_get_list_type(node);
            if (listType != CMARK_ORDERED_LIST && listType != CMARK_BULLET_LIST)
                return fail(QStringLiteral("cmark reported a list node without a list type."));
        }
        const Frame &parent = m_frames.back();
        open(node, NodeType::List, parent.blockDepth >= MarkdownParser::maxNestingDepth, isTaskList,
             parent.blockDepth + 1, 0);
        return true;
    }

    std::optional<bool> enterTable(cmark_node *node)
    {
        const uint16_t columns = cmark_gfm_extensions_get_table_columns(node);
        const uint8_t *alignments = columns > 0 ? cmark_gfm_extensions_get_table_alignments(node) : nullptr;
        if (columns > 0 && !alignments)
            return fail(QStringLiteral("cmark reported a table without column alignments."));
        QList<RawTableColumnAlignment> columnAlignments;
        columnAlignments.reserve(columns);
        for (uint16_t i = 0; i < columns; ++i) {
            columnAlignments.append(
                rawTableColumnAlignment(QChar(char16_t(alignments[i]))).value_or(RawTableColumnAlignment::None));
        }
        const int blockDepth = m_frames.back().blockDepth;
        open(node, NodeType::Table, false, false, blockDepth, 0);
        m_pendingAlignments.push_back(std::move(columnAlignments));
        return true;
    }

    std::optional<bool> enterInline(cmark_node *node, NodeType type)
    {
        const Frame &parent = m_frames.back();
        QList<InlineNode> &inlines = receiver().inlines;
        switch (type) {
        case NodeType::Text:
            inlines.append(InlineNode::text(decoded(cmark_node_get_literal(node))));
            return false;
        case NodeType::Code:
            inlines.append(InlineNode::code(decoded(cmark_node_get_literal(node))));
            return false;
        case NodeType::Html:
            inlines.append(InlineNode::html(decoded(cmark_node_get_literal(node))));
            return false;
        case NodeType::SoftBreak:
            inlines.append(InlineNode::softBreak());
            return false;
        case NodeType::LineBreak:
            inlines.append(InlineNode::lineBreak());
            return false;
        case NodeType::Emphasis:
        case NodeType::Strong:
        case NodeType::Strikethrough:
        case NodeType::Link:
        case NodeType::Image:
            open(node, type, parent.inlineDepth >= MarkdownParser::maxNestingDepth, false, parent.blockDepth,
                 parent.inlineDepth + 1);
            return true;
        default:
            return false; // not an inline of the model: left out with its subtree
        }
    }

    // Turns the innermost frame into its model value and hands it to the frame above.
    void close()
    {
        const Frame frame = m_frames.back();
        m_frames.pop_back();
        if (frame.isFlattened)
            return; // its content already went to the receiver
        Content content = std::move(m_contents.back());
        m_contents.pop_back();
        Content &target = receiver();
        switch (frame.type) {
        case NodeType::Blockquote:
            target.blocks.append(BlockNode::blockquote(std::move(content.blocks)));
            break;
        case NodeType::List:
            target.blocks.append(makeList(frame, std::move(content)));
            break;
        case NodeType::Item:
        case NodeType::TaskListItem:
            if (m_frames.back().isTaskList) {
                const bool checked = frame.type == NodeType::TaskListItem
                                     && cmark_gfm_extensions_get_tasklist_item_checked(frame.node);
                target.taskItems.append(RawTaskListItem{checked, std::move(content.blocks)});
            } else {
                target.items.append(RawListItem{std::move(content.blocks)});
            }
            break;
        case NodeType::Paragraph:
            target.blocks.append(BlockNode::paragraph(std::move(content.inlines)));
            break;
        case NodeType::Heading:
            target.blocks.append(BlockNode::heading(cmark_node_get_heading_level(frame.node), std::move(content.inlines)));
            break;
        case NodeType::Table:
            target.blocks.append(BlockNode::table(std::move(m_pendingAlignments.back()), std::move(content.rows)));
            m_pendingAlignments.pop_back();
            break;
        case NodeType::TableHead:
        case NodeType::TableRow:
            target.rows.append(RawTableRow{std::move(content.cells)});
            break;
        case NodeType::TableCell:
            target.cells.append(RawTableCell{std::move(content.inlines)});
            break;
        case NodeType::Emphasis:
            target.inlines.append(InlineNode::emphasis(std::move(content.inlines)));
            break;
        case NodeType::Strong:
            target.inlines.append(InlineNode::strong(std::move(content.inlines)));
            break;
        case NodeType::Strikethrough:
            target.inlines.append(InlineNode::strikethrough(std::move(content.inlines)));
            break;
        case NodeType::Link:
            target.inlines.append(
                InlineNode::link(decoded(cmark_node_get_url(frame.node)), std::move(content.inlines)));
            break;
        case NodeType::Image:
            target.inlines.append(
                InlineNode::image(decoded(cmark_node_get_url(frame.node)), std::move(content.inlines)));
            break;
        default:
            break;
        }
    }

    static BlockNode makeList(const Frame &frame, Content content)
    {
        const bool isTight = cmark_node_get_list_tight(frame.node) != 0;
        // A list with any checkbox is a task list, whatever its type: its numbering is lost.
        if (frame.isTaskList)
            return BlockNode::taskList(isTight, std::move(content.taskItems));
        if (cmark_node_get_list_type(frame.node) == CMARK_ORDERED_LIST)
            return BlockNode::numberedList(isTight, cmark_node_get_list_start(frame.node), std::move(content.items));
        return BlockNode::bulletedList(isTight, std::move(content.items));
    }

    std::vector<Frame> m_frames;
    std::vector<Content> m_contents;
    std::vector<QList<RawTableColumnAlignment>> m_pendingAlignments;
};

// Builds the library's tree for a model tree. A node the library refuses to make or to
// accept as a child is left out with its subtree; the rest is rendered.
class CmarkBuilder
{
public:
    NodePtr document(const QList<BlockNode> &blocks) const
    {
        NodePtr document(cmark_node_new(CMARK_NODE_DOCUMENT));
        if (document)
            appendBlocks(document.get(), blocks);
        return document;
    }

private:
    static void append(cmark_node *parent, NodePtr child)
    {
        // On success the parent owns the child; on refusal the pointer still frees it.
        if (child && cmark_node_append_child(parent, child.get()))
            child.release();
    }

    void appendBlocks(cmark_node *parent, const QList<BlockNode> &blocks) const
    {
        for (const BlockNode &block : blocks)
            append(parent, makeBlock(block));
    }

    void appendInlines(cmark_node *parent, const QList<InlineNode> &inlines) const
    {
        for (const InlineNode &node : inlines)
            append(parent, makeInline(node));
    }

    static NodePtr make(cmark_node_type type) { return NodePtr(cmark_node_new(type)); }

    static NodePtr makeWithExtension(cmark_node_type type, cmark_syntax_extension *extension)
    {
        if (!extension)
            return nullptr;
        return NodePtr(cmark_node_new_with_ext(type, extension));
    }

    static NodePtr makeLiteral(cmark_node_type type, const QString &literal)
    {
        NodePtr node = make(type);
        if (node)
            cmark_node_set_literal(node.get(), terminatedUtf8(literal).constData());
        return node;
    }

    static int clampedToInt(qint64 value)
    {
        return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }

    template<class Item>
    NodePtr makeList(cmark_list_type type, bool isTight, const QList<Item> &items, cmark_syntax_extension *itemExtension,
                     bool needsExtension) const
    {
        NodePtr list = make(CMARK_NODE_LIST);
        if (!list)
            return nullptr;
        cmark_node_set_list_type(list.get(), type);
        cmark_node_set_list_tight(list.get(), isTight);
        for (const Item &item : items) {
            NodePtr node = needsExtension ? makeWithExtension(CMARK_NODE_ITEM, itemExtension) : make(CMARK_NODE_ITEM);
            if (!node)
                continue;
            if constexpr (std::is_same_v<Item, RawTaskListItem>)
                cmark_gfm_extensions_set_tasklist_item_checked(node.get(), item.isCompleted);
            appendBlocks(node.get(), item.children);
            append(list.get(), std::move(node));
        }
        return list;
    }

    NodePtr makeBlock(const BlockNode &block) const
    {
        switch (block.kind()) {
        case BlockNode::Kind::Blockquote: {
            NodePtr node = make(CMARK_NODE_BLOCK_QUOTE);
            if (node)
                appendBlocks(node.get(), block.as<BlockNode::Blockquote>()->children);
            return node;
        }
        case BlockNode::Kind::BulletedList: {
            const auto *list = block.as<BlockNode::BulletedList>();
            return makeList(CMARK_BULLET_LIST, list->isTight, list->items, nullptr, false);
        }
        case BlockNode::Kind::NumberedList: {
            const auto *list = block.as<BlockNode::NumberedList>();
            NodePtr node = makeList(CMARK_ORDERED_LIST, list->isTight, list->items, nullptr, false);
            // The library refuses a negative start and keeps 0.
            if (node)
                cmark_node_set_list_start(node.get(), clampedToInt(list->start));
            return node;
        }
        case BlockNode::Kind::TaskList: {
            const auto *list = block.as<BlockNode::TaskList>();
            return makeList(CMARK_BULLET_LIST, list->isTight, list->items, extensions().tasklist, true);
        }
        case BlockNode::Kind::CodeBlock: {
            const auto *code = block.as<BlockNode::CodeBlock>();
            NodePtr node = makeLiteral(CMARK_NODE_CODE_BLOCK, code->content);
            if (node && code->fenceInfo)
                cmark_node_set_fence_info(node.get(), terminatedUtf8(*code->fenceInfo).constData());
            return node;
        }
        case BlockNode::Kind::HtmlBlock:
            return makeLiteral(CMARK_NODE_HTML_BLOCK, block.as<BlockNode::HtmlBlock>()->content);
        case BlockNode::Kind::Paragraph: {
            NodePtr node = make(CMARK_NODE_PARAGRAPH);
            if (node)
                appendInlines(node.get(), block.as<BlockNode::Paragraph>()->content);
            return node;
        }
        case BlockNode::Kind::Heading: {
            const auto *heading = block.as<BlockNode::Heading>();
            NodePtr node = make(CMARK_NODE_HEADING);
            if (!node)
                return nullptr;
            // The library accepts 1 to 6 only; any other level stays at 1.
            cmark_node_set_heading_level(node.get(), clampedToInt(heading->level));
            appendInlines(node.get(), heading->content);
            return node;
        }
        case BlockNode::Kind::Table:
            return makeTable(*block.as<BlockNode::Table>());
        case BlockNode::Kind::ThematicBreak:
            return make(CMARK_NODE_THEMATIC_BREAK);
        }
        return nullptr;
    }

    NodePtr makeTable(const BlockNode::Table &table) const
    {
        const Extensions &ext = extensions();
        NodePtr node = makeWithExtension(ext.tableType, ext.table);
        if (!node)
            return nullptr;
        // The library's renderers look a cell's alignment up by the cell's position, past
        // the end of the array when a row is longer than the table is wide. So the table is
        // as wide as its widest row, extra columns unaligned, and no cell is lost; shorter
        // rows are padded with empty cells, as parsing pads them, or the CommonMark written
        // would not read back as a table.
        qsizetype columns = table.columnAlignments.size();
        for (const RawTableRow &row : table.rows)
            columns = std::max(columns, row.cells.size());
        columns = std::min<qsizetype>(columns, std::numeric_limits<uint16_t>::max());
        std::vector<uint8_t> alignments(size_t(columns), 0);
        for (qsizetype i = 0; i < columns && i < table.columnAlignments.size(); ++i)
            alignments[size_t(i)] = uint8_t(rawValue(table.columnAlignments[i]).unicode());
        cmark_gfm_extensions_set_table_columns(node.get(), uint16_t(columns));
        cmark_gfm_extensions_set_table_alignments(node.get(), uint16_t(columns), alignments.data());
        for (const RawTableRow &row : table.rows) {
            NodePtr rowNode = makeWithExtension(ext.tableRowType, ext.table);
            if (!rowNode)
                continue;
            for (qsizetype i = 0; i < columns; ++i) {
                NodePtr cell = makeWithExtension(ext.tableCellType, ext.table);
                if (!cell)
                    continue;
                if (i < row.cells.size())
                    appendInlines(cell.get(), row.cells[i].content);
                append(rowNode.get(), std::move(cell));
            }
            append(node.get(), std::move(rowNode));
        }
        if (cmark_node *header = cmark_node_first_child(node.get()))
            cmark_gfm_extensions_set_table_row_is_header(header, 1);
        return node;
    }

    NodePtr makeInline(const InlineNode &inline_) const
    {
        NodePtr node;
        switch (inline_.kind()) {
        case InlineNode::Kind::Text:
            return makeLiteral(CMARK_NODE_TEXT, inline_.as<InlineNode::Text>()->literal);
        case InlineNode::Kind::Code:
            return makeLiteral(CMARK_NODE_CODE, inline_.as<InlineNode::Code>()->literal);
        case InlineNode::Kind::Html:
            return makeLiteral(CMARK_NODE_HTML_INLINE, inline_.as<InlineNode::Html>()->literal);
        case InlineNode::Kind::SoftBreak:
            return make(CMARK_NODE_SOFTBREAK);
        case InlineNode::Kind::LineBreak:
            return make(CMARK_NODE_LINEBREAK);
        case InlineNode::Kind::Emphasis:
            node = make(CMARK_NODE_EMPH);
            break;
        case InlineNode::Kind::Strong:
            node = make(CMARK_NODE_STRONG);
            break;
        case InlineNode::Kind::Strikethrough:
            node = makeWithExtension(extensions().strikethroughType, extensions().strikethrough);
            break;
        case InlineNode::Kind::Link:
            node = make(CMARK_NODE_LINK);
            if (node)
                cmark_node_set_url(node.get(), terminatedUtf8(inline_.as<InlineNode::Link>()->destination).constData());
            break;
        case InlineNode::Kind::Image:
            node = make(CMARK_NODE_IMAGE);
            if (node)
                cmark_node_set_url(node.get(), terminatedUtf8(inline_.as<InlineNode::Image>()->source).constData());
            break;
        }
        if (node)
            appendInlines(node.get(), inline_.children());
        return node;
    }
};

using Renderer = char *(*)(cmark_node *document);

QString render(const QList<BlockNode> &blocks, Renderer renderer)
{
    MarkdownParser::registerExtensions();
    NodePtr document = CmarkBuilder().document(blocks);
    if (!document)
        return QString();
    BufferPtr buffer(renderer(document.get()));
    if (!buffer) {
        log().error(QStringLiteral("cmark returned no rendered text."));
        return QString();
    }
    return QString::fromUtf8(buffer.get());
}

} // namespace

namespace MarkdownParser {

void registerExtensions()
{
    extensions();
}

std::optional<QList<BlockNode>> convertDocumentBlocks(cmark_node *node)
{
    return TreeConverter().convert(node);
}

std::optional<QList<BlockNode>> parseMarkdownBlocks(const QString &text)
{
    return parseMarkdownBlocks(QByteArrayView(text.toUtf8()));
}

std::optional<QList<BlockNode>> parseMarkdownBlocks(QByteArrayView utf8)
{
    const Extensions &ext = extensions();
    ParserPtr parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    if (!parser)
        return std::nullopt;
    for (cmark_syntax_extension *extension : ext.forParsing)
        cmark_parser_attach_syntax_extension(parser.get(), extension);
    // The byte count, not the first NUL, ends the text: the parser turns NUL into U+FFFD.
    cmark_parser_feed(parser.get(), utf8.data(), size_t(utf8.size()));
    NodePtr document(cmark_parser_finish(parser.get()));
    if (!document)
        return std::nullopt;
    return convertDocumentBlocks(document.get()).value_or(QList<BlockNode>());
}

QString renderBlocksAsCommonMark(const QList<BlockNode> &blocks)
{
    return render(blocks, [](cmark_node *document) { return cmark_render_commonmark(document, CMARK_OPT_DEFAULT, 0); });
}

QString renderBlocksAsPlainText(const QList<BlockNode> &blocks)
{
    return render(blocks, [](cmark_node *document) { return cmark_render_plaintext(document, CMARK_OPT_DEFAULT, 0); });
}

QString renderBlocksAsHTML(const QList<BlockNode> &blocks)
{
    return render(blocks, [](cmark_node *document) { return cmark_render_html(document, CMARK_OPT_DEFAULT, nullptr); });
}

} // namespace MarkdownParser
