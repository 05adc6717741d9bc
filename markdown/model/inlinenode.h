#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// One inline element of a Markdown document: an immutable value. Copies are cheap
// (the strings and child lists are implicitly shared); an edit makes a new node.
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
        : m_payload(std::forward<T>(payload))
    { }
    InlineNode(const InlineNode &);
    InlineNode(InlineNode &&) noexcept;
    InlineNode &operator=(const InlineNode &);
    InlineNode &operator=(InlineNode &&) noexcept;
    ~InlineNode();

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

    Kind kind() const { return static_cast<Kind>(m_payload.index()); }
    const Payload &payload() const { return m_payload; }
    template<class T> const T *as() const { return std::get_if<T>(&m_payload); }

    // The children of emphasis, strong, strikethrough, link and image; empty for the rest.
    const QList<InlineNode> &children() const;
    // The same node with other children; nodes without children come back unchanged.
    InlineNode withChildren(QList<InlineNode> children) const;

    bool operator==(const InlineNode &other) const;

private:
    Payload m_payload;
};

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
