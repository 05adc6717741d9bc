#pragma once

#include <QList>
#include <QSharedData>
#include <QString>

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// One inline element of a Markdown document: an immutable value. Copies are cheap
// (the strings, child lists and boxes are implicitly shared); an edit makes a new node.
//
// Equality and hashing cover the whole payload, children included; strings compare
// and hash in Unicode canonical form (NFC), so one text typed in two normalisations
// is one value. Both recurse once per nesting level: the parser caps nesting (see
// MarkdownParser::maxNestingDepth), and trees built in code are as deep as the code
// makes them.
class InlineNode
{
public:
    // The alternatives, in the order whose index is the case index hashed.
    struct Text
    {
        QString literal;
    };
    struct SoftBreak
    {
    };
    struct LineBreak
    {
    };
    struct Code
    {
        QString literal; // the code span's literal
    };
    struct Html
    {
        QString literal; // one raw tag or fragment, as the parser splits it
    };
    struct Emphasis
    {
        QList<InlineNode> children;
    };
    struct Strong
    {
        QList<InlineNode> children;
    };
    struct Strikethrough
    {
        QList<InlineNode> children;
    };
    // Titles are not part of the model.
    struct Link
    {
        QString destination;
        QList<InlineNode> children;
    };
    struct Image
    {
        QString source;
        QList<InlineNode> children; // the alternative text
    };

    using Payload
        = std::variant<Text, SoftBreak, LineBreak, Code, Html, Emphasis, Strong, Strikethrough, Link, Image>;

    enum class Kind { Text, SoftBreak, LineBreak, Code, Html, Emphasis, Strong, Strikethrough, Link, Image };

    // An empty text: a default value so that nodes fit in containers.
    InlineNode();
    template<class T>
    requires std::is_constructible_v<Payload, T &&> &&(!std::is_same_v<std::remove_cvref_t<T>, InlineNode>)
        InlineNode(T &&payload) // NOLINT: implicit, a payload is a node
        : m_storage(stored(std::forward<T>(payload)))
    { }
    // Inline: a parse makes, moves and frees several nodes for every dozen bytes of text.
    InlineNode(const InlineNode &) = default;
    InlineNode(InlineNode &&) noexcept = default;
    InlineNode &operator=(const InlineNode &) = default;
    InlineNode &operator=(InlineNode &&) noexcept = default;
    ~InlineNode() = default;

    static InlineNode text(QString literal) { return Text { std::move(literal) }; }
    static InlineNode softBreak() { return SoftBreak {}; }
    static InlineNode lineBreak() { return LineBreak {}; }
    static InlineNode code(QString literal) { return Code { std::move(literal) }; }
    static InlineNode html(QString literal) { return Html { std::move(literal) }; }
    static InlineNode emphasis(QList<InlineNode> children) { return Emphasis { std::move(children) }; }
    static InlineNode strong(QList<InlineNode> children) { return Strong { std::move(children) }; }
    static InlineNode strikethrough(QList<InlineNode> children)
    {
        return Strikethrough { std::move(children) };
    }
    static InlineNode link(QString destination, QList<InlineNode> children)
    {
        return Link { std::move(destination), std::move(children) };
    }
    static InlineNode image(QString source, QList<InlineNode> children)
    {
        return Image { std::move(source), std::move(children) };
    }

    Kind kind() const { return static_cast<Kind>(m_storage.index()); }
    // The alternative, or nullptr for another kind; valid as long as this node or a copy of it.
    template<class T> const T *as() const
    {
        if constexpr (isBoxed<T>) {
            const Shared<T> *box = std::get_if<Shared<T>>(&m_storage);
            return box ? &(*box)->value : nullptr;
        } else {
            return std::get_if<T>(&m_storage);
        }
    }

    // The children of emphasis, strong, strikethrough, link and image; empty for the rest.
    const QList<InlineNode> &children() const;
    // Whether the kind has children (emphasis, strong, strikethrough, link, image), even none.
    bool hasChildren() const;
    // The same node with other children; nodes without children come back unchanged.
    InlineNode withChildren(QList<InlineNode> children) const;

    bool operator==(const InlineNode &other) const;

private:
    // A parsed note holds several inline nodes for every dozen bytes of its text, so a node
    // is kept at the size of a string: the two alternatives with a string and a list sit
    // behind one shared pointer to an immutable box.
    template<class T> struct Box : QSharedData
    {
        explicit Box(T value)
            : value(std::move(value))
        { }
        const T value;
    };
    template<class T> using Shared = QExplicitlySharedDataPointer<const Box<T>>;
    template<class T> static constexpr bool isBoxed = std::is_same_v<T, Link> || std::is_same_v<T, Image>;

    using Storage = std::variant<Text, SoftBreak, LineBreak, Code, Html, Emphasis, Strong, Strikethrough,
        Shared<Link>, Shared<Image>>;

    template<class T> static Storage stored(T &&payload)
    {
        using Alternative = std::remove_cvref_t<T>;
        if constexpr (isBoxed<Alternative>)
            return Storage(std::in_place_type<Shared<Alternative>>,
                new Box<Alternative>(Alternative(std::forward<T>(payload))));
        else
            return Storage(std::forward<T>(payload));
    }

    Storage m_storage;
};
Q_DECLARE_TYPEINFO(InlineNode, Q_RELOCATABLE_TYPE);

size_t qHash(const InlineNode &node, size_t seed = 0);

// Rewrites a run of inlines bottom-up: every node, after its children were rewritten,
// is handed once to the callable, and whatever it returns (nothing, the node, several
// nodes) takes the node's place; returned nodes are not visited again.
using InlineRewrite = std::function<QList<InlineNode>(const InlineNode &)>;
QList<InlineNode> rewriteInlineNodes(const QList<InlineNode> &nodes, const InlineRewrite &rewrite);

// The same with a callable that may fail: std::nullopt from the callable stops the whole
// rewrite at once and gives std::nullopt, so no partial tree escapes. A caller that needs
// the reason keeps it in the callable's captures.
using FallibleInlineRewrite = std::function<std::optional<QList<InlineNode>>(const InlineNode &)>;
std::optional<QList<InlineNode>> tryRewriteInlineNodes(
    const QList<InlineNode> &nodes, const FallibleInlineRewrite &rewrite);
