#include "markdown/model/markdownparser.h"

#include "markdown/model/markdownparser_p.h"
#include "markdown/model/parseguard.h"
#include "markdown/model/textline_p.h"
#include "platform/log.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <QByteArray>
#include <QSet>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QV_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define QV_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define QV_POISON(address, size) ((void)(address), (void)(size))
#define QV_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

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

// The memory of one parse: the library's tree, its buffers and the literals read from it
// are bump-allocated from large blocks and released together once the model is built.
// The library allocates and frees a small block for nearly every node and literal; with
// the general-purpose allocator that costs more than converting the tree. What it frees
// during the parse (line buffers, delimiters, brackets) is reused at once, or the arena
// would grow to dozens of times the text. The library's allocator interface carries no
// context, so the arena in use is per thread.
class ParseArena
{
public:
    ParseArena()
        : m_previous(s_current)
    {
        s_current = this;
    }
    ~ParseArena()
    {
        s_current = m_previous;
        // Standard blocks wait for this thread's next parse: fresh pages from the system
        // cost a fault each, more than reusing warm ones, and a large note is parsed again
        // on every change.
        for (const Block &block : m_blocks) {
            QV_UNPOISON(block.memory, block.size);
            if (block.size == blockSize && s_spare.blocks.size() < maxSpareBlocks)
                s_spare.blocks.push_back(block.memory);
            else
                std::free(block.memory);
        }
    }
    ParseArena(const ParseArena &) = delete;
    ParseArena &operator=(const ParseArena &) = delete;

    static cmark_mem *allocator()
    {
        static cmark_mem mem { &ParseArena::callocate, &ParseArena::reallocate, &ParseArena::release };
        return &mem;
    }

private:
    struct Block
    {
        void *memory;
        size_t size;
    };

    // Each allocation is preceded by its size, so that growing it can copy the old bytes.
    static constexpr size_t headerSize = alignof(std::max_align_t);
    static constexpr size_t blockSize = 64 * 1024;
    // Up to 16 MB stay with the thread, about what parsing a note of half a megabyte takes:
    // blocks handed back to the system come back as fresh pages on every parse.
    static constexpr size_t maxSpareBlocks = 256;
    // Free lists for chunks of 16, 32, ... 1024 bytes: nodes, delimiters, short buffers.
    static constexpr size_t freeListCount = 64;

    static void *callocate(size_t count, size_t size)
    {
        if (size != 0 && count > std::numeric_limits<size_t>::max() / size)
            outOfMemory();
        void *memory = s_current->allocate(count * size);
        std::memset(memory, 0, count * size);
        return memory;
    }

    static void *reallocate(void *memory, size_t size)
    {
        if (!memory)
            return s_current->allocate(size);
        return s_current->grow(memory, size);
    }

    static void release(void *memory)
    {
        if (memory)
            s_current->recycle(memory);
    }

    // The same end as the library's own allocator when memory runs out.
    [[noreturn]] static void outOfMemory()
    {
        std::fprintf(stderr, "[cmark] calloc returned null pointer, aborting\n");
        std::abort();
    }

    static size_t &sizeOf(void *memory)
    {
        return *reinterpret_cast<size_t *>(static_cast<char *>(memory) - headerSize);
    }

    // Never 0: a freed chunk must hold the link of its free list.
    static size_t rounded(size_t size)
    {
        if (size > std::numeric_limits<size_t>::max() - 2 * headerSize)
            outOfMemory();
        return std::max(headerSize, (size + headerSize - 1) / headerSize * headerSize);
    }

    static size_t sizeClass(size_t roundedSize) { return roundedSize / headerSize - 1; }

    void newBlock(size_t needed)
    {
        // Big requests (a long line, a large literal) get a block of their own.
        const size_t size = std::max(blockSize, needed);
        void *memory = nullptr;
        if (size == blockSize && !s_spare.blocks.empty()) {
            memory = s_spare.blocks.back();
            s_spare.blocks.pop_back();
        } else {
            memory = std::malloc(size);
        }
        if (!memory)
            outOfMemory();
        m_blocks.push_back({ memory, size });
        // Sanitizer builds see the arena's chunks as the system allocator's: room not yet
        // handed out and freed chunks are off limits.
        QV_POISON(memory, size);
        m_current = static_cast<char *>(memory);
        m_used = 0;
        m_capacity = size;
    }

    void *allocate(size_t size)
    {
        const size_t chunk = rounded(size);
        if (sizeClass(chunk) < freeListCount) {
            if (void *&head = m_freeLists[sizeClass(chunk)]) {
                void *memory = head;
                QV_UNPOISON(memory, chunk);
                head = *static_cast<void **>(memory);
                return memory;
            }
        }
        const size_t needed = headerSize + chunk;
        if (m_used + needed > m_capacity)
            newBlock(needed);
        char *memory = m_current + m_used + headerSize;
        QV_UNPOISON(memory - headerSize, needed);
        m_used += needed;
        sizeOf(memory) = chunk;
        return memory;
    }

    void *grow(void *memory, size_t size)
    {
        const size_t old = sizeOf(memory);
        if (size <= old)
            return memory;
        // The latest allocation grows in place while its block has room: the library's
        // buffers mostly grow right after they were made.
        const size_t extra = rounded(size) - old;
        if (isLatest(memory, old) && m_used + extra <= m_capacity) {
            QV_UNPOISON(static_cast<char *>(memory) + old, extra);
            m_used += extra;
            sizeOf(memory) = rounded(size);
            return memory;
        }
        void *moved = allocate(size);
        std::memcpy(moved, memory, old);
        recycle(memory);
        return moved;
    }

    bool isLatest(void *memory, size_t size) const
    {
        return m_used >= headerSize + size && static_cast<char *>(memory) + size == m_current + m_used;
    }

    // The latest allocation gives its room back to the block; a small chunk goes to the
    // free list of its size; anything else waits for the end of the parse.
    void recycle(void *memory)
    {
        const size_t size = sizeOf(memory);
        if (isLatest(memory, size)) {
            m_used -= headerSize + size;
            QV_POISON(static_cast<char *>(memory) - headerSize, headerSize + size);
            return;
        }
        if (sizeClass(size) < freeListCount) {
            void *&head = m_freeLists[sizeClass(size)];
            *static_cast<void **>(memory) = head;
            head = memory;
        }
        QV_POISON(memory, size);
    }

    struct SpareBlocks
    {
        ~SpareBlocks()
        {
            for (void *block : blocks)
                std::free(block);
        }
        std::vector<void *> blocks;
    };

    static thread_local ParseArena *s_current;
    static thread_local SpareBlocks s_spare;

    ParseArena *m_previous;
    std::vector<Block> m_blocks;
    std::array<void *, freeListCount> m_freeLists {};
    char *m_current = nullptr;
    size_t m_used = 0;
    size_t m_capacity = 0;
};

thread_local ParseArena::SpareBlocks ParseArena::s_spare;
thread_local ParseArena *ParseArena::s_current = nullptr;

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
        for (const char *name : { "autolink", "strikethrough", "tagfilter", "tasklist", "table" }) {
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
    { "document", "document" },
    { "block_quote", "blockquote" },
    { "list", "list" },
    { "item", "item" },
    { "code_block", "codeBlock" },
    { "html_block", "htmlBlock" },
    { "custom_block", "customBlock" },
    { "paragraph", "paragraph" },
    { "heading", "heading" },
    { "thematic_break", "thematicBreak" },
    { "text", "text" },
    { "softbreak", "softBreak" },
    { "linebreak", "lineBreak" },
    { "code", "code" },
    { "html_inline", "html" },
    { "custom_inline", "customInline" },
    { "emph", "emphasis" },
    { "strong", "strong" },
    { "link", "link" },
    { "image", "image" },
    { "attribute", "inlineAttributes" },
    { "NONE", "none" },
    { "<unknown>", "unknown" },
    { "strikethrough", "strikethrough" },
    { "table", "table" },
    { "table_header", "tableHead" },
    { "table_row", "tableRow" },
    { "table_cell", "tableCell" },
    { "tasklist", "taskListItem" },
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

// Equal inline values of a long note's parse share their storage. A note repeats its short words,
// its spaces and punctuation, and its links (a vault's notes link to a few notes, by long
// file URLs); every copy made afresh costs a string or a list of its own, which in a text
// dense with markup is many times the bytes it was written with. The tables are
// direct-mapped and of a fixed size for the parse: a repeat found too late costs a copy
// of its own, never more memory than the tables.
class InlineSharing
{
public:
    explicit InlineSharing(qsizetype textSize)
    {
        size_t slots = minSlots;
        while (slots < maxSlots && qsizetype(slots) * bytesPerSlot < textSize)
            slots *= 2;
        m_strings.resize(slots);
        m_nodes.resize(slots);
        m_mask = slots - 1;
    }

    // The text of a literal, shared with an equal one met before when it is short.
    QString literal(const char *utf8) { return shared(utf8, maxLiteralLength); }
    // A link's destination or an image's source, shared with an equal one met before.
    QString destination(const char *utf8) { return shared(utf8, maxDestinationLength); }

    // An emphasis, strong text, strikethrough, link or image, sharing its storage with an
    // equal one met before. Only nodes whose parts were shared already can match: parts
    // are compared by where they are stored.
    InlineNode container(InlineNode node)
    {
        InlineNode &held = m_nodes[identityHash(node) & m_mask];
        if (isSameStorage(held, node))
            return held;
        if (held.children().isEmpty())
            held = node;
        return node;
    }

private:
    static constexpr size_t minSlots = 16;
    static constexpr size_t maxSlots = 4096;
    static constexpr qsizetype bytesPerSlot = 256;
    static constexpr qsizetype maxLiteralLength = 32;
    static constexpr qsizetype maxDestinationLength = 2048;

    // A repeat is found from the library's bytes, before anything is decoded: most literals
    // are ASCII and compare as they stand.
    QString shared(const char *utf8, size_t maxLength)
    {
        if (!utf8)
            return QString();
        const size_t length = std::strlen(utf8);
        if (length > maxLength)
            return QString::fromUtf8(utf8, qsizetype(length));
        // Eight bytes at a time: a literal is hashed on every parse of every note.
        std::uint64_t hash = 0xcbf29ce484222325ULL ^ length;
        std::uint64_t highBits = 0;
        for (size_t i = 0; i < length; i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, utf8 + i, std::min<size_t>(8, length - i));
            highBits |= word;
            hash = (hash ^ word) * 0x100000001b3ULL;
            hash ^= hash >> 29;
        }
        const bool isAscii = (highBits & 0x8080808080808080ULL) == 0;
        QString &held = m_strings[(hash ^ (hash >> 32)) & m_mask];
        if (isAscii && !held.isNull() && held == QLatin1StringView(utf8, qsizetype(length)))
            return held;
        QString text = QString::fromUtf8(utf8, qsizetype(length));
        if (!isAscii && held == text)
            return held;
        if (held.isNull())
            held = text; // the first comes to stay: replacing costs more than the repeats it finds
        return text;
    }

    // Where a string is stored; a null string is told from an empty one.
    static const void *storageOf(const QString &text)
    {
        return text.isNull() ? nullptr : static_cast<const void *>(text.constData());
    }

    // Where a node's part is stored: equal addresses mean one value.
    static const void *storageOf(const InlineNode &node)
    {
        switch (node.kind()) {
        case InlineNode::Kind::Text:
            return storageOf(node.as<InlineNode::Text>()->literal);
        case InlineNode::Kind::Code:
            return storageOf(node.as<InlineNode::Code>()->literal);
        case InlineNode::Kind::Html:
            return storageOf(node.as<InlineNode::Html>()->literal);
        case InlineNode::Kind::SoftBreak:
        case InlineNode::Kind::LineBreak:
            return nullptr;
        case InlineNode::Kind::Link:
            return node.as<InlineNode::Link>();
        case InlineNode::Kind::Image:
            return node.as<InlineNode::Image>();
        case InlineNode::Kind::Emphasis:
        case InlineNode::Kind::Strong:
        case InlineNode::Kind::Strikethrough:
            return node.children().constData();
        }
        return nullptr;
    }

    static const void *ownStringOf(const InlineNode &node)
    {
        if (const auto *link = node.as<InlineNode::Link>())
            return storageOf(link->destination);
        if (const auto *image = node.as<InlineNode::Image>())
            return storageOf(image->source);
        return nullptr; // the kind tells it from a link's or an image's
    }

    static size_t identityHash(const InlineNode &node)
    {
        size_t hash = qHash(int(node.kind()), qHash(ownStringOf(node)));
        for (const InlineNode &child : node.children())
            hash = qHashMulti(hash, int(child.kind()), storageOf(child));
        return hash;
    }

    // Equal by the parts' addresses: a node compared with itself's parts, and nodes whose
    // children were shared.
    static bool isSameStorage(const InlineNode &a, const InlineNode &b)
    {
        if (a.kind() != b.kind() || ownStringOf(a) != ownStringOf(b))
            return false;
        const QList<InlineNode> &left = a.children();
        const QList<InlineNode> &right = b.children();
        if (left.size() != right.size())
            return false;
        for (qsizetype i = 0; i < left.size(); ++i) {
            if (left[i].kind() != right[i].kind() || storageOf(left[i]) != storageOf(right[i]))
                return false;
        }
        return true;
    }

    std::vector<QString> m_strings;
    std::vector<InlineNode> m_nodes;
    size_t m_mask;
};

// Builds the model from the library's tree without recursion: a 100,000-level quote must
// not exhaust the stack. Each open container is a frame; a container nested deeper than
// the cap gets a frame without content of its own, whose children go to the nearest
// real frame above it.
class TreeConverter
{
public:
    // `sharing`, when there is one, outlives the converter; one parse may convert several
    // trees with it. Without, every value is made afresh: a note parsed whole is small
    // enough that looking for repeats costs more than the memory it saves.
    explicit TreeConverter(InlineSharing *sharing)
        : m_sharing(sharing)
    { }

    std::optional<QList<BlockNode>> convert(cmark_node *root)
    {
        return convert(root, cmark_node_first_child(root), nullptr);
    }

    // The blocks of the children of `root` from `first` up to, not including, `stop`
    // (the end when null).
    std::optional<QList<BlockNode>> convert(cmark_node *root, cmark_node *first, cmark_node *stop)
    {
        m_frames.push_back({ root, NodeType::Document, 0, false, false, 0, 0 });
        m_contents.emplace_back();
        cmark_node *next = first;
        while (true) {
            if (next == stop && m_frames.size() == 1)
                next = nullptr;
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
        // A node that no extension made has the library's fixed name for its type, so the
        // type itself says the same without a string lookup per node.
        if (!cmark_node_get_syntax_extension(node)) {
            if (std::optional<NodeType> type = coreNodeType(cmark_node_get_type(node)))
                return type;
        }
        const char *name = cmark_node_get_type_string(node);
        if (!name)
            return fail(QStringLiteral("cmark reported a node without a type name."));
        std::optional<NodeType> type = nodeTypeOfName(name);
        if (!type)
            return fail(QStringLiteral("Unknown node type '%1' found.").arg(QString::fromUtf8(name)));
        return type;
    }

    static std::optional<NodeType> coreNodeType(cmark_node_type type)
    {
        switch (type) {
        case CMARK_NODE_DOCUMENT:
            return NodeType::Document;
        case CMARK_NODE_BLOCK_QUOTE:
            return NodeType::Blockquote;
        case CMARK_NODE_LIST:
            return NodeType::List;
        case CMARK_NODE_ITEM:
            return NodeType::Item;
        case CMARK_NODE_CODE_BLOCK:
            return NodeType::CodeBlock;
        case CMARK_NODE_HTML_BLOCK:
            return NodeType::HtmlBlock;
        case CMARK_NODE_CUSTOM_BLOCK:
            return NodeType::CustomBlock;
        case CMARK_NODE_PARAGRAPH:
            return NodeType::Paragraph;
        case CMARK_NODE_HEADING:
            return NodeType::Heading;
        case CMARK_NODE_THEMATIC_BREAK:
            return NodeType::ThematicBreak;
        case CMARK_NODE_TEXT:
            return NodeType::Text;
        case CMARK_NODE_SOFTBREAK:
            return NodeType::SoftBreak;
        case CMARK_NODE_LINEBREAK:
            return NodeType::LineBreak;
        case CMARK_NODE_CODE:
            return NodeType::Code;
        case CMARK_NODE_HTML_INLINE:
            return NodeType::Html;
        case CMARK_NODE_CUSTOM_INLINE:
            return NodeType::CustomInline;
        case CMARK_NODE_EMPH:
            return NodeType::Emphasis;
        case CMARK_NODE_STRONG:
            return NodeType::Strong;
        case CMARK_NODE_LINK:
            return NodeType::Link;
        case CMARK_NODE_IMAGE:
            return NodeType::Image;
        default:
            return std::nullopt; // footnotes and the like: the name decides
        }
    }

    static qsizetype childCount(cmark_node *node)
    {
        qsizetype count = 0;
        for (cmark_node *child = cmark_node_first_child(node); child; child = cmark_node_next(child))
            ++count;
        return count;
    }

    Content &receiver() { return m_contents[m_frames.back().content]; }

    void open(cmark_node *node, NodeType type, bool flatten, bool isTaskList, int blockDepth, int inlineDepth)
    {
        size_t content = m_frames.back().content;
        if (!flatten) {
            content = m_contents.size();
            Content &own = m_contents.emplace_back();
            // Growing a list as children arrive costs several reallocations per block.
            const qsizetype children = childCount(node);
            switch (roleOf(type)) {
            case Role::Blocks:
                own.blocks.reserve(children);
                break;
            case Role::Items:
                isTaskList ? own.taskItems.reserve(children) : own.items.reserve(children);
                break;
            case Role::Rows:
                own.rows.reserve(children);
                break;
            case Role::Cells:
                own.cells.reserve(children);
                break;
            case Role::Inlines:
                own.inlines.reserve(children);
                break;
            }
        }
        m_frames.push_back({ node, type, content, flatten, isTaskList, blockDepth, inlineDepth });
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
                return fail(
                    QStringLiteral("Expected a table row but got a '%1' instead.").arg(caseName(type)));
            open(node, type, false, false, parent.blockDepth, 0);
            return true;
        case Role::Cells:
            if (type != NodeType::TableCell)
                return fail(
                    QStringLiteral("Expected a table cell but got a '%1' instead.").arg(caseName(type)));
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
            open(node, type, parent.blockDepth >= MarkdownParser::maxNestingDepth, false,
                parent.blockDepth + 1, 0);
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
            receiver().blocks.append(
                BlockNode::codeBlock(info ? std::optional<QString>(QString::fromUtf8(info)) : std::nullopt,
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
                return fail(
                    QStringLiteral("Expected a list item but got a '%1' instead.").arg(caseName(*type)));
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
            columnAlignments.append(rawTableColumnAlignment(QChar(char16_t(alignments[i])))
                                        .value_or(RawTableColumnAlignment::None));
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
            inlines.append(InlineNode::text(literal(cmark_node_get_literal(node))));
            return false;
        case NodeType::Code:
            inlines.append(InlineNode::code(literal(cmark_node_get_literal(node))));
            return false;
        case NodeType::Html:
            inlines.append(InlineNode::html(literal(cmark_node_get_literal(node))));
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
                target.taskItems.append(RawTaskListItem { checked, std::move(content.blocks) });
            } else {
                target.items.append(RawListItem { std::move(content.blocks) });
            }
            break;
        case NodeType::Paragraph:
            target.blocks.append(BlockNode::paragraph(std::move(content.inlines)));
            break;
        case NodeType::Heading:
            target.blocks.append(
                BlockNode::heading(cmark_node_get_heading_level(frame.node), std::move(content.inlines)));
            break;
        case NodeType::Table:
            target.blocks.append(
                BlockNode::table(std::move(m_pendingAlignments.back()), std::move(content.rows)));
            m_pendingAlignments.pop_back();
            break;
        case NodeType::TableHead:
        case NodeType::TableRow:
            target.rows.append(RawTableRow { std::move(content.cells) });
            break;
        case NodeType::TableCell:
            target.cells.append(RawTableCell { std::move(content.inlines) });
            break;
        case NodeType::Emphasis:
            target.inlines.append(container(InlineNode::emphasis(std::move(content.inlines))));
            break;
        case NodeType::Strong:
            target.inlines.append(container(InlineNode::strong(std::move(content.inlines))));
            break;
        case NodeType::Strikethrough:
            target.inlines.append(container(InlineNode::strikethrough(std::move(content.inlines))));
            break;
        case NodeType::Link:
            target.inlines.append(container(
                InlineNode::link(destination(cmark_node_get_url(frame.node)), std::move(content.inlines))));
            break;
        case NodeType::Image:
            target.inlines.append(container(
                InlineNode::image(destination(cmark_node_get_url(frame.node)), std::move(content.inlines))));
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
            return BlockNode::numberedList(
                isTight, cmark_node_get_list_start(frame.node), std::move(content.items));
        return BlockNode::bulletedList(isTight, std::move(content.items));
    }

    QString literal(const char *utf8) { return m_sharing ? m_sharing->literal(utf8) : decoded(utf8); }
    QString destination(const char *utf8) { return m_sharing ? m_sharing->destination(utf8) : decoded(utf8); }
    InlineNode container(InlineNode node) { return m_sharing ? m_sharing->container(std::move(node)) : node; }

    InlineSharing *m_sharing;
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
        return int(
            std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }

    template<class Item>
    NodePtr makeList(cmark_list_type type, bool isTight, const QList<Item> &items,
        cmark_syntax_extension *itemExtension, bool needsExtension) const
    {
        NodePtr list = make(CMARK_NODE_LIST);
        if (!list)
            return nullptr;
        cmark_node_set_list_type(list.get(), type);
        cmark_node_set_list_tight(list.get(), isTight);
        for (const Item &item : items) {
            NodePtr node
                = needsExtension ? makeWithExtension(CMARK_NODE_ITEM, itemExtension) : make(CMARK_NODE_ITEM);
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
                NodePtr cell = makeTableCell();
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

    // WORKAROUND: the table extension of cmark-gfm 0.29.0.gfm.6 allocates private data for
    // a cell made through it and never frees it. A cell needs none (the renderers find its
    // column by its position in the row), so it is made plain and then handed to the
    // extension, which renders it.
    static NodePtr makeTableCell()
    {
        const Extensions &ext = extensions();
        if (!ext.table)
            return nullptr;
        NodePtr cell(cmark_node_new(ext.tableCellType));
        if (!cell || !cmark_node_set_syntax_extension(cell.get(), ext.table))
            return nullptr;
        return cell;
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
                cmark_node_set_url(
                    node.get(), terminatedUtf8(inline_.as<InlineNode::Link>()->destination).constData());
            break;
        case InlineNode::Kind::Image:
            node = make(CMARK_NODE_IMAGE);
            if (node)
                cmark_node_set_url(
                    node.get(), terminatedUtf8(inline_.as<InlineNode::Image>()->source).constData());
            break;
        }
        if (node)
            appendInlines(node.get(), inline_.children());
        return node;
    }
};

// The library's tree of a text handed over in parts, fed one after the other as the
// library reads a stream, and the memory it lives in.
class LibraryTree
{
public:
    explicit LibraryTree(std::initializer_list<QByteArrayView> parts)
    {
        const Extensions &ext = extensions();
        ParserPtr parser(cmark_parser_new_with_mem(CMARK_OPT_DEFAULT, ParseArena::allocator()));
        if (!parser)
            return;
        // WORKAROUND: cmark-gfm 0.29.0.gfm.6 keeps the inline parser's table of special
        // characters in one process-wide array, which every parser with extensions edits
        // while it runs; two parses at once lose each other's characters (a strikethrough
        // comes out as plain tildes). Parses take turns; converting the tree needs no lock.
        static std::mutex sharedCharacterTable;
        const std::lock_guard lock(sharedCharacterTable);
        for (cmark_syntax_extension *extension : ext.forParsing)
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        // The byte count, not the first NUL, ends the text: the parser turns NUL into U+FFFD.
        for (const QByteArrayView part : parts)
            cmark_parser_feed(parser.get(), part.data(), size_t(part.size()));
        m_document.reset(cmark_parser_finish(parser.get()));
        // The finished tree no longer needs its parser, and freeing one may touch the table too.
        parser.reset();
    }

    cmark_node *document() const { return m_document.get(); }

    std::vector<cmark_node *> children() const
    {
        std::vector<cmark_node *> nodes;
        for (cmark_node *child = cmark_node_first_child(m_document.get()); child;
             child = cmark_node_next(child))
            nodes.push_back(child);
        return nodes;
    }

private:
    ParseArena m_arena; // destroyed last: the tree is freed into it first
    NodePtr m_document;
};

std::optional<QList<BlockNode>> parseWhole(QByteArrayView utf8)
{
    const LibraryTree tree({ utf8 });
    if (!tree.document())
        return std::nullopt;
    return TreeConverter(nullptr).convert(tree.document()).value_or(QList<BlockNode>());
}

// Lines as the library counts them: a line ends at "\n", "\r\n" or "\r".
class LineWalk
{
public:
    explicit LineWalk(QByteArrayView text)
        : m_text(text)
        , m_carriageReturns(text.contains('\r'))
    { }

    // Where the line after the one holding `at` starts (the text's size after the last).
    qsizetype nextLine(qsizetype at) const
    {
        return MarkdownText::lineAt(m_text, at, m_carriageReturns).next;
    }

    // Where the line holding `at` starts.
    qsizetype lineStart(qsizetype at) const
    {
        const void *feed = memrchr(m_text.data(), '\n', size_t(at));
        qsizetype start = feed ? static_cast<const char *>(feed) - m_text.data() + 1 : 0;
        if (m_carriageReturns) {
            const void *carriage = memrchr(m_text.data() + start, '\r', size_t(at - start));
            if (carriage)
                start = static_cast<const char *>(carriage) - m_text.data() + 1;
        }
        return start;
    }

    // Whether the line ending just before `lineStart` (a line start after the first) holds
    // only spaces and tabs.
    bool followsBlankLine(qsizetype lineStart) const
    {
        qsizetype at = lineStart - 1;
        if (at > 0 && m_text[at] == '\n' && m_text[at - 1] == '\r')
            --at;
        while (at > 0) {
            const char c = m_text[at - 1];
            if (c == '\n' || c == '\r')
                return true;
            if (c != ' ' && c != '\t')
                return false;
            --at;
        }
        return true;
    }

    bool isBlank(qsizetype start, qsizetype next) const
    {
        for (qsizetype i = start; i < next; ++i) {
            const char c = m_text[i];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                return false;
        }
        return true;
    }

private:
    QByteArrayView m_text;
    bool m_carriageReturns;
};

// The content of a paragraph cut at seams, joined again as the library gives it in one:
// text next to text is one text.
class CutParagraph
{
public:
    bool isEmpty() const { return !m_started; }

    // The part after a seam of white space `space`.
    void add(QList<InlineNode> part, const QString &space)
    {
        if (m_started) {
            QString middle = space;
            if (!m_content.isEmpty() && m_content.last().as<InlineNode::Text>()) {
                middle.prepend(m_content.last().as<InlineNode::Text>()->literal);
                m_content.removeLast();
            }
            if (!part.isEmpty() && part.first().as<InlineNode::Text>()) {
                middle.append(part.first().as<InlineNode::Text>()->literal);
                part.removeFirst();
            }
            m_content.append(InlineNode::text(std::move(middle)));
        }
        // Appending grows the list by steps in proportion to its size, in place where
        // the allocator can.
        m_content.append(std::move(part));
        m_started = true;
    }

    QList<InlineNode> take()
    {
        m_started = false;
        // Room guessed too large is given back, at the cost of a copy held with the list for
        // a moment: the list is kept as long as the note's model.
        if (m_content.capacity() - m_content.size() > m_content.size() / 4)
            m_content.squeeze();
        m_expected = false;
        return std::exchange(m_content, {});
    }

    // Makes room at once for as much content again as `remaining` bytes would give at the
    // rate of the `parsed` bytes so far: growing by appending keeps up to half of a long
    // paragraph's list unused, and the paragraph ends within the bytes the caller knows.
    void expect(qsizetype parsed, qsizetype remaining)
    {
        if (m_expected || parsed <= 0)
            return;
        m_expected = true;
        const qsizetype count = m_content.size() + m_content.size() * remaining / parsed;
        m_content.reserve(count + count / 16);
    }

private:
    QList<InlineNode> m_content;
    bool m_started = false;
    bool m_expected = false;
};

// The library skips one at the start of what it is fed, and nowhere else.
constexpr QByteArrayView byteOrderMark = "\xEF\xBB\xBF";

// A large note is parsed a piece at a time, each piece a run of whole top-level blocks,
// so the library's tree (dozens of times the size of the text it holds) never holds more
// than one piece. The library itself says where a piece may end: a piece is parsed up to
// the first line past its planned size that follows a blank line at the left margin, and
// ends where the last top-level block of that parse begins, provided a blank line stands
// before it. What lies before such a block no longer depends on what follows, except the
// link reference definitions, which hold for the whole note: when the note may hold any,
// the first pass only finds the pieces and the blocks that may define something, and the
// second parses each piece after those blocks, leaving out what they give.
//
// A paragraph that runs on far past a piece's size, in a note without definitions and
// of valid UTF-8, is cut too, at white space between two words (see seamIn), provided the library leaves
// nothing of the paragraph before it open (see endsAtSeam); the parts are joined again.
// Where no such place comes, the piece grows until the paragraph ends.
class PieceParse
{
public:
    PieceParse(QByteArrayView text, qsizetype pieceSize)
        : m_text(text)
        , m_lines(text)
        , m_pieceSize(pieceSize)
        , m_mayDefine(contains(text, "]:"))
        // The library reads a table's header from the whole paragraph above its delimiter
        // row, and finds none in one that holds bytes that are not UTF-8.
        , m_mayCutParagraphs(!m_mayDefine && text.isValidUtf8())
        , m_sharing(text.size())
    { }

    std::optional<QList<BlockNode>> run()
    {
        qsizetype start = 0;
        qsizetype reach = m_pieceSize;
        while (start < m_text.size()) {
            qsizetype stop = m_text.size();
            std::optional<Seam> seam;
            if (m_text.size() - start > reach + m_pieceSize / 2) {
                stop = candidateAfter(start + reach);
                // One paragraph runs on: it may be cut too.
                if (m_mayCutParagraphs && stop - start > reach + m_pieceSize) {
                    seam = seamIn(start + reach, std::min(stop, start + reach + m_pieceSize));
                    if (seam)
                        stop = seam->start;
                }
            }
            const LibraryTree tree({ m_text.sliced(start, stop - start) });
            if (!tree.document())
                return std::nullopt;
            const std::vector<cmark_node *> children = tree.children();
            if (!m_pending.isEmpty()
                && (children.empty() || cmark_node_get_type(children.front()) != CMARK_NODE_PARAGRAPH))
                return parseWhole(m_text); // the paragraph cut at the seam did not go on
            if (seam) {
                if (!endsAtSeam(tree, children)) {
                    if (m_broken)
                        return QList<BlockNode>();
                    reach *= 2;
                    continue;
                }
                // The paragraph ends before the next line after a blank one.
                m_pending.expect(seam->start - start, m_candidate.stop - seam->end);
                start = seam->end;
                m_space = QString::fromUtf8(m_text.sliced(seam->start, seam->end - seam->start));
                reach = m_pieceSize;
                continue;
            }
            const bool isLast = stop == m_text.size();
            // Only cuts and definitions need to know where blocks begin.
            const std::vector<qsizetype> starts
                = isLast && !m_mayDefine ? std::vector<qsizetype>() : startsOf(start, stop, children);
            size_t kept = children.size();
            if (!isLast) {
                kept = lastCut(start, children, starts);
                if (kept == 0) {
                    // No block began there on its own: a fence or a list runs on. Parse more.
                    reach *= 2;
                    continue;
                }
            }
            const qsizetype end = kept < children.size() ? starts[kept] : stop;
            if (m_mayDefine) {
                collectDefinitions(start, end, children, starts, kept);
            } else if (!emit(tree, children, kept)) {
                return QList<BlockNode>();
            }
            m_pieces.push_back({ start, end, kept });
            start = end;
            reach = m_pieceSize;
        }
        return m_mayDefine ? withDefinitions() : std::move(m_blocks);
    }

private:
    struct Piece
    {
        qsizetype start;
        qsizetype end; // where the next piece starts
        size_t kept; // the top-level blocks that belong to it
    };

    static bool contains(QByteArrayView text, std::string_view what)
    {
        return std::string_view(text.data(), size_t(text.size())).find(what) != std::string_view::npos;
    }

    // The end of the first line at or after `from` that stands at the left margin after a
    // blank line, or the text's end.
    qsizetype candidateAfter(qsizetype from)
    {
        // A long block is looked at again and again as a piece grows or is cut at seams:
        // the candidate found before still holds for a later start before it.
        if (from < m_candidate.from || from >= m_candidate.lineStart)
            m_candidate = firstCandidateAfter(from);
        return m_candidate.stop;
    }

    struct Candidate
    {
        qsizetype from = 0; // looked for from here
        qsizetype lineStart = -1;
        qsizetype stop = 0; // where the line after it starts
    };

    // The first line at or after `from` that stands at the left margin after a blank line,
    // or the text's end.
    Candidate firstCandidateAfter(qsizetype from) const
    {
        qsizetype at = m_lines.nextLine(from);
        bool previousBlank = false;
        while (at < m_text.size()) {
            const qsizetype next = m_lines.nextLine(at);
            const bool blank = m_lines.isBlank(at, next);
            if (previousBlank && !blank && m_text[at] != ' ' && m_text[at] != '\t')
                return { from, at, next };
            previousBlank = blank;
            at = next;
        }
        return { from, m_text.size(), m_text.size() };
    }

    // Where each child's first line starts, or -1 where the library gives no line or one
    // that does not come after the line of the child before (a paragraph the table
    // extension split off a table has none).
    std::vector<qsizetype> startsOf(
        qsizetype start, qsizetype stop, const std::vector<cmark_node *> &children) const
    {
        std::vector<qsizetype> starts;
        starts.reserve(children.size());
        int line = 1;
        int previous = 0;
        qsizetype at = start;
        for (cmark_node *child : children) {
            const int wanted = cmark_node_get_start_line(child);
            if (wanted <= previous) {
                starts.push_back(-1);
                continue;
            }
            while (line < wanted && at < stop) {
                at = m_lines.nextLine(at);
                ++line;
            }
            starts.push_back(line == wanted ? at : -1);
            previous = wanted;
        }
        return starts;
    }

    static bool hasLines(cmark_node *node)
    {
        const int first = cmark_node_get_start_line(node);
        return first > 0 && cmark_node_get_end_line(node) >= first;
    }

    // Whether a piece may begin with child k (after the first): after a blank line, with
    // the block before it ended, and not with a byte order mark, which only the text's
    // start may have.
    bool beginsPiece(qsizetype start, const std::vector<cmark_node *> &children,
        const std::vector<qsizetype> &starts, size_t k) const
    {
        return starts[k] > start && hasLines(children[k - 1]) && hasLines(children[k])
            && cmark_node_get_end_line(children[k - 1]) < cmark_node_get_start_line(children[k])
            && m_lines.followsBlankLine(starts[k]) && !m_text.sliced(starts[k]).startsWith(byteOrderMark);
    }

    // The last child that may begin a piece, or 0.
    size_t lastCut(qsizetype start, const std::vector<cmark_node *> &children,
        const std::vector<qsizetype> &starts) const
    {
        for (size_t k = children.size(); k-- > 1;) {
            if (beginsPiece(start, children, starts, k))
                return k;
        }
        return 0;
    }

    bool append(const LibraryTree &tree, const std::vector<cmark_node *> &children, size_t from, size_t to)
    {
        std::optional<QList<BlockNode>> blocks
            = TreeConverter(&m_sharing)
                  .convert(tree.document(), from < children.size() ? children[from] : nullptr,
                      to < children.size() ? children[to] : nullptr);
        if (!blocks)
            return false;
        m_blocks.append(std::move(*blocks));
        return true;
    }

    // Appends the first `count` children, the first joined to the paragraph cut before.
    bool emit(const LibraryTree &tree, const std::vector<cmark_node *> &children, size_t count)
    {
        size_t from = 0;
        if (!m_pending.isEmpty() && count > 0) {
            std::optional<QList<InlineNode>> rest = paragraphContent(tree, children.front());
            if (!rest)
                return false;
            m_pending.add(std::move(*rest), m_space);
            m_blocks.append(BlockNode::paragraph(m_pending.take()));
            from = 1;
        }
        return append(tree, children, from, count);
    }

    // White space within a line, from `start` to `end`: a paragraph that runs on past a
    // piece's planned size may be cut there.
    struct Seam
    {
        qsizetype start;
        qsizetype end;
    };

    // The first white space at or after `from`, before `to`, with a character before it
    // that is not an escape, and a letter after it, which cannot begin a block. It lies in
    // a line that begins with a letter too: the library reads how a line begins to tell
    // whether it begins a block, and some beginnings (a list marker, a rule) count only
    // with what follows them on the line.
    std::optional<Seam> seamIn(qsizetype from, qsizetype to) const
    {
        bool lineMayBeCut = startsWithLetter(m_lines.lineStart(from));
        for (qsizetype at = std::max<qsizetype>(from, 1); at < to; ++at) {
            const char c = m_text[at];
            if (c == '\n' || c == '\r') {
                lineMayBeCut = startsWithLetter(at + 1);
                continue;
            }
            if (!lineMayBeCut || (c != ' ' && c != '\t'))
                continue;
            const char before = m_text[at - 1];
            if (before == ' ' || before == '\t' || before == '\n' || before == '\r' || before == '\\')
                continue;
            qsizetype end = at;
            while (end < m_text.size() && (m_text[end] == ' ' || m_text[end] == '\t'))
                ++end;
            // A part may not begin with a byte order mark either (it counts as a letter).
            if (startsWithLetter(end) && !m_text.sliced(end).startsWith(byteOrderMark)) {
                // A line under this one may make it a table's header or a heading, of the
                // whole line: the next seam is on another line.
                const qsizetype next = m_lines.nextLine(end);
                if (!mayUnderline(next))
                    return Seam { at, end };
                at = next - 1;
                continue;
            }
            at = end - 1;
        }
        return std::nullopt;
    }

    // Whether the first character at or after `at` that is not white space within the
    // line is a letter (any character outside ASCII counts as one).
    bool startsWithLetter(qsizetype at) const
    {
        while (at < m_text.size() && (m_text[at] == ' ' || m_text[at] == '\t'))
            ++at;
        const unsigned char c = at < m_text.size() ? static_cast<unsigned char>(m_text[at]) : 0;
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
    }

    // Whether the line at `start` holds nothing but what a table's delimiter row or a
    // heading's underline is made of.
    bool mayUnderline(qsizetype start) const
    {
        const qsizetype next = m_lines.nextLine(start);
        bool any = false;
        for (qsizetype i = start; i < next; ++i) {
            const char c = m_text[i];
            if (c == '-' || c == '=' || c == '|' || c == ':')
                any = true;
            else if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                return false;
        }
        return any;
    }

    // Whether the text parsed up to a seam ends in a paragraph that nothing after the seam
    // can change: no bracket, delimiter, backtick or "<" of it is left as text, where one
    // could still open a link, emphasis, code or HTML closed later. The blocks before that
    // paragraph are appended, and the paragraph waits for the rest.
    bool endsAtSeam(const LibraryTree &tree, const std::vector<cmark_node *> &children)
    {
        if (children.empty() || cmark_node_get_type(children.back()) != CMARK_NODE_PARAGRAPH)
            return false;
        std::optional<QList<InlineNode>> content = paragraphContent(tree, children.back());
        if (!content || !isSettled(*content))
            return false;
        if (children.size() == 1 && !m_pending.isEmpty()) {
            m_pending.add(std::move(*content), m_space);
            return true;
        }
        if (!emit(tree, children, children.size() - 1)) {
            m_broken = true;
            return false;
        }
        m_pending.add(std::move(*content), m_space);
        return true;
    }

    std::optional<QList<InlineNode>> paragraphContent(const LibraryTree &tree, cmark_node *paragraph)
    {
        std::optional<QList<BlockNode>> blocks
            = TreeConverter(&m_sharing).convert(tree.document(), paragraph, cmark_node_next(paragraph));
        if (!blocks || blocks->size() != 1 || !blocks->first().as<BlockNode::Paragraph>())
            return std::nullopt;
        return blocks->first().as<BlockNode::Paragraph>()->content;
    }

    static bool isSettled(const QList<InlineNode> &inlines)
    {
        std::vector<const InlineNode *> pending;
        for (const InlineNode &node : inlines)
            pending.push_back(&node);
        while (!pending.empty()) {
            const InlineNode *node = pending.back();
            pending.pop_back();
            if (const auto *text = node->as<InlineNode::Text>()) {
                for (const QChar c : text->literal) {
                    if (c == u'[' || c == u']' || c == u'*' || c == u'_' || c == u'~' || c == u'`'
                        || c == u'<')
                        return false;
                }
            }
            for (const InlineNode &child : node->children())
                pending.push_back(&child);
        }
        return true;
    }

    // Every stretch of top-level blocks that may hold a definition, once each: a
    // definition defined again changes nothing. Stretches part where pieces could.
    void collectDefinitions(qsizetype start, qsizetype end, const std::vector<cmark_node *> &children,
        const std::vector<qsizetype> &starts, size_t kept)
    {
        qsizetype from = start;
        for (size_t i = 1; i < kept; ++i) {
            if (beginsPiece(start, children, starts, i)) {
                collectDefinitions(m_text.sliced(from, starts[i] - from));
                from = starts[i];
            }
        }
        collectDefinitions(m_text.sliced(from, end - from));
    }

    void collectDefinitions(QByteArrayView stretch)
    {
        if (!contains(stretch, "]:"))
            return;
        const QByteArray copy = stretch.toByteArray();
        if (m_definitionStretches.contains(copy))
            return;
        m_definitionStretches.insert(copy);
        m_definitions.append(copy);
        m_definitions.append(separator);
    }

    std::optional<QList<BlockNode>> withDefinitions()
    {
        // A byte order mark is skipped only at the start of what the library is fed, and
        // it still counts where a task list's checkbox is looked for on the first line:
        // the first piece can't follow the definitions then.
        if (m_pieces.size() == 1 || m_definitions.size() > maxDefinitionBytes
            || (!m_definitions.isEmpty() && m_text.startsWith(byteOrderMark)))
            return parseWhole(m_text);
        size_t skipped = 0;
        if (!m_definitions.isEmpty()) {
            const LibraryTree tree({ m_definitions });
            skipped = tree.children().size();
        }
        for (const Piece &piece : m_pieces) {
            // Only up to the next piece: a definition the text after that begins is one
            // only with what follows it there (a line of a table's header is none).
            const LibraryTree tree({ m_definitions, m_text.sliced(piece.start, piece.end - piece.start) });
            if (!tree.document())
                return std::nullopt;
            const std::vector<cmark_node *> children = tree.children();
            // The definitions end in a rule of their own, or they swallowed the piece.
            if (skipped > 0
                && (children.size() < skipped + piece.kept
                    || cmark_node_get_type(children[skipped - 1]) != CMARK_NODE_THEMATIC_BREAK))
                return parseWhole(m_text);
            if (!append(tree, children, skipped, skipped + piece.kept))
                return QList<BlockNode>();
        }
        return std::move(m_blocks);
    }

    // Closes whatever a stretch leaves open, and makes a block of its own.
    static constexpr QByteArrayView separator = "\n\n***\n\n";
    // Past this, parsing the definitions again for every piece costs more than it saves.
    static constexpr qsizetype maxDefinitionBytes = 32 * 1024;

    QByteArrayView m_text;
    LineWalk m_lines;
    qsizetype m_pieceSize;
    bool m_mayDefine;
    bool m_mayCutParagraphs; // at seams
    InlineSharing m_sharing;
    Candidate m_candidate;
    std::vector<Piece> m_pieces;
    QList<BlockNode> m_blocks;
    // The content of a paragraph cut at seams so far, and the last seam's white space.
    CutParagraph m_pending;
    QString m_space;
    bool m_broken = false; // a tree broke what the library promises
    QByteArray m_definitions;
    QSet<QByteArray> m_definitionStretches;
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
    return TreeConverter(nullptr).convert(node);
}

std::optional<QList<BlockNode>> parseMarkdownBlocks(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    // The rewritten bytes take the place of the note's: a large note holds one copy, not two.
    if (std::optional<QByteArray> defused = ParseGuard::defused(utf8))
        utf8 = std::move(*defused);
    return parseMarkdownBlocksInPieces(utf8, pieceSize);
}

std::optional<QList<BlockNode>> parseMarkdownBlocks(QByteArrayView utf8)
{
    const std::optional<QByteArray> defused = ParseGuard::defused(utf8);
    return parseMarkdownBlocksInPieces(defused ? QByteArrayView(*defused) : utf8, pieceSize);
}

std::optional<QList<BlockNode>> parseMarkdownBlocksInPieces(QByteArrayView utf8, qsizetype pieceSize)
{
    if (utf8.size() <= 2 * pieceSize)
        return parseWhole(utf8);
    return PieceParse(utf8, pieceSize).run();
}

QString renderBlocksAsCommonMark(const QList<BlockNode> &blocks)
{
    return render(
        blocks, [](cmark_node *document) { return cmark_render_commonmark(document, CMARK_OPT_DEFAULT, 0); });
}

QString renderBlocksAsPlainText(const QList<BlockNode> &blocks)
{
    return render(
        blocks, [](cmark_node *document) { return cmark_render_plaintext(document, CMARK_OPT_DEFAULT, 0); });
}

QString renderBlocksAsHTML(const QList<BlockNode> &blocks)
{
    return render(
        blocks, [](cmark_node *document) { return cmark_render_html(document, CMARK_OPT_DEFAULT, nullptr); });
}

} // namespace MarkdownParser
