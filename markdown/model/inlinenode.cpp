#include "markdown/model/inlinenode.h"

#include "markdown/model/modelhasher_p.h"

namespace {

const QList<InlineNode> noChildren;

// The children of a container alternative, or nullptr for a leaf.
const QList<InlineNode> *childrenOf(const InlineNode::Payload &payload)
{
    return std::visit(
        [](const auto &alternative) -> const QList<InlineNode> * {
            if constexpr (requires { alternative.children; })
                return &alternative.children;
            else
                return nullptr;
        },
        payload);
}

QList<InlineNode> *childrenOf(InlineNode::Payload &payload)
{
    return const_cast<QList<InlineNode> *>(childrenOf(std::as_const(payload)));
}

// Rewrites one level; a failure anywhere below ends the whole walk.
std::optional<QList<InlineNode>> rewriteLevel(
    const QList<InlineNode> &nodes, const FallibleInlineRewrite &rewrite)
{
    QList<InlineNode> result;
    result.reserve(nodes.size());
    for (const InlineNode &node : nodes) {
        InlineNode rebuilt = node;
        if (const QList<InlineNode> *children = childrenOf(node.payload())) {
            std::optional<QList<InlineNode>> rewritten = rewriteLevel(*children, rewrite);
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
InlineNode::InlineNode(const InlineNode &) = default;
InlineNode::InlineNode(InlineNode &&) noexcept = default;
InlineNode &InlineNode::operator=(const InlineNode &) = default;
InlineNode &InlineNode::operator=(InlineNode &&) noexcept = default;
InlineNode::~InlineNode() = default;

const QList<InlineNode> &InlineNode::children() const
{
    const QList<InlineNode> *children = childrenOf(m_payload);
    return children ? *children : noChildren;
}

InlineNode InlineNode::withChildren(QList<InlineNode> children) const
{
    InlineNode copy = *this;
    if (QList<InlineNode> *own = childrenOf(copy.m_payload))
        *own = std::move(children);
    return copy;
}

bool InlineNode::operator==(const InlineNode &other) const
{
    if (m_payload.index() != other.m_payload.index())
        return false;
    switch (kind()) {
    case Kind::Text:
        return canonicallyEqual(std::get<Text>(m_payload).literal, std::get<Text>(other.m_payload).literal);
    case Kind::Code:
        return canonicallyEqual(std::get<Code>(m_payload).literal, std::get<Code>(other.m_payload).literal);
    case Kind::Html:
        return canonicallyEqual(std::get<Html>(m_payload).literal, std::get<Html>(other.m_payload).literal);
    case Kind::SoftBreak:
    case Kind::LineBreak:
        return true;
    case Kind::Link:
        if (!canonicallyEqual(
                std::get<Link>(m_payload).destination, std::get<Link>(other.m_payload).destination))
            return false;
        break;
    case Kind::Image:
        if (!canonicallyEqual(std::get<Image>(m_payload).source, std::get<Image>(other.m_payload).source))
            return false;
        break;
    case Kind::Emphasis:
    case Kind::Strong:
    case Kind::Strikethrough:
        break;
    }
    return children() == other.children();
}

void feedHash(ModelHasher &hasher, const InlineNode &node)
{
    hasher.feed(static_cast<qint64>(node.kind()));
    std::visit(
        [&hasher](const auto &alternative) {
            if constexpr (requires { alternative.literal; })
                hasher.feed(alternative.literal);
            if constexpr (requires { alternative.destination; })
                hasher.feed(alternative.destination);
            if constexpr (requires { alternative.source; })
                hasher.feed(alternative.source);
            if constexpr (requires { alternative.children; }) {
                hasher.feedCount(alternative.children.size());
                for (const InlineNode &child : alternative.children)
                    feedHash(hasher, child);
            }
        },
        node.payload());
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
