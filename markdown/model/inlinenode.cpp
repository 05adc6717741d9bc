#include "markdown/model/inlinenode.h"

#include "markdown/model/modelhasher_p.h"

namespace {

const QList<InlineNode> noChildren;

// The string a node holds besides its children (a literal, a destination or a source), or
// nullptr for a kind that holds none.
const QString *ownString(const InlineNode &node)
{
    switch (node.kind()) {
    case InlineNode::Kind::Text:
        return &node.as<InlineNode::Text>()->literal;
    case InlineNode::Kind::Code:
        return &node.as<InlineNode::Code>()->literal;
    case InlineNode::Kind::Html:
        return &node.as<InlineNode::Html>()->literal;
    case InlineNode::Kind::Link:
        return &node.as<InlineNode::Link>()->destination;
    case InlineNode::Kind::Image:
        return &node.as<InlineNode::Image>()->source;
    case InlineNode::Kind::SoftBreak:
    case InlineNode::Kind::LineBreak:
    case InlineNode::Kind::Emphasis:
    case InlineNode::Kind::Strong:
    case InlineNode::Kind::Strikethrough:
        break;
    }
    return nullptr;
}

// Rewrites one level; a failure anywhere below ends the whole walk.
std::optional<QList<InlineNode>> rewriteLevel(
    const QList<InlineNode> &nodes, const FallibleInlineRewrite &rewrite)
{
    QList<InlineNode> result;
    result.reserve(nodes.size());
    for (const InlineNode &node : nodes) {
        InlineNode rebuilt = node;
        if (node.hasChildren()) {
            std::optional<QList<InlineNode>> rewritten = rewriteLevel(node.children(), rewrite);
            if (!rewritten)
                return std::nullopt;
            rebuilt = node.withChildren(std::move(*rewritten));
        }
        std::optional<QList<InlineNode>> replacement = rewrite(rebuilt);
        if (!replacement)
            return std::nullopt;
        result.append(std::move(*replacement));
    }
    return result;
}

} // namespace

InlineNode::InlineNode() = default;

const QList<InlineNode> &InlineNode::children() const
{
    return std::visit(
        [](const auto &alternative) -> const QList<InlineNode> & {
            if constexpr (requires { alternative.children; })
                return alternative.children;
            else if constexpr (requires { alternative->value.children; })
                return alternative->value.children;
            else
                return noChildren;
        },
        m_storage);
}

bool InlineNode::hasChildren() const
{
    switch (kind()) {
    case Kind::Emphasis:
    case Kind::Strong:
    case Kind::Strikethrough:
    case Kind::Link:
    case Kind::Image:
        return true;
    default:
        return false;
    }
}

InlineNode InlineNode::withChildren(QList<InlineNode> children) const
{
    return std::visit(
        [this, &children](const auto &alternative) -> InlineNode {
            using Alternative = std::remove_cvref_t<decltype(alternative)>;
            if constexpr (requires { alternative.children; })
                return Alternative { std::move(children) };
            else if constexpr (std::is_same_v<Alternative, Shared<Link>>)
                return Link { alternative->value.destination, std::move(children) };
            else if constexpr (std::is_same_v<Alternative, Shared<Image>>)
                return Image { alternative->value.source, std::move(children) };
            else
                return *this;
        },
        m_storage);
}

bool InlineNode::operator==(const InlineNode &other) const
{
    if (m_storage.index() != other.m_storage.index())
        return false;
    if (const auto *link = as<Link>(); link && link == other.as<Link>())
        return true; // one box
    if (const auto *image = as<Image>(); image && image == other.as<Image>())
        return true;
    if (const QString *own = ownString(*this); own && !canonicallyEqual(*own, *ownString(other)))
        return false;
    return !hasChildren() || children() == other.children();
}

void feedHash(ModelHasher &hasher, const InlineNode &node)
{
    hasher.feed(static_cast<qint64>(node.kind()));
    if (const QString *own = ownString(node))
        hasher.feed(*own);
    if (!node.hasChildren())
        return;
    hasher.feedCount(node.children().size());
    for (const InlineNode &child : node.children())
        feedHash(hasher, child);
}

size_t qHash(const InlineNode &node, size_t seed)
{
    ModelHasher hasher(seed);
    feedHash(hasher, node);
    return hasher.result();
}

QList<InlineNode> rewriteInlineNodes(const QList<InlineNode> &nodes, const InlineRewrite &rewrite)
{
    // An infallible callable never produces std::nullopt, so the result is always there.
    return *rewriteLevel(nodes,
        [&rewrite](const InlineNode &node) -> std::optional<QList<InlineNode>> { return rewrite(node); });
}

std::optional<QList<InlineNode>> tryRewriteInlineNodes(
    const QList<InlineNode> &nodes, const FallibleInlineRewrite &rewrite)
{
    return rewriteLevel(nodes, rewrite);
}
