#pragma once

#include "markdown/model/inlinenode.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <concepts>
#include <optional>
#include <type_traits>
#include <utility>

// A run of inline nodes, as code builds it: the text of a heading, a paragraph or a
// table cell. Two contents are equal when their nodes are, in order.
struct InlineContent
{
    QList<InlineNode> inlines;

    InlineContent inlineContent() const { return *this; }
    bool operator==(const InlineContent &) const = default;
};

// Everything that can stand in an inline builder: a value that gives its nodes as
// InlineContent. Each read builds the content afresh.
template<class T>
concept InlineContentProtocol = requires(const T &value)
{
    {
        value.inlineContent()
        } -> std::convertible_to<InlineContent>;
};

// A builder closure: called once, while the element is made, and not kept.
template<class F>
concept InlineContentClosure = std::is_invocable_r_v<InlineContent, F>;

// Joins elements and plain strings, in written order, into one InlineContent. A string
// is literal text, never Markdown: "*a*" stays one text node with its asterisks, and two
// strings in a row stay two text nodes.
namespace InlineContentBuilder {

inline InlineContent buildExpression(const QString &text)
{
    return { { InlineNode::text(text) } };
}
template<InlineContentProtocol T> InlineContent buildExpression(const T &value)
{
    return value.inlineContent();
}

// Elements and strings alike; each goes through buildExpression first.
template<class... Parts> InlineContent buildBlock(const Parts &...parts)
{
    InlineContent joined;
    (joined.inlines.append(buildExpression(parts).inlines), ...);
    return joined;
}

// The elements a loop made, in order.
template<class Range> InlineContent buildArray(const Range &values)
{
    InlineContent joined;
    for (const auto &value : values)
        joined.inlines.append(buildExpression(value).inlines);
    return joined;
}

template<InlineContentProtocol T> InlineContent buildOptional(const std::optional<T> &value)
{
    return value ? buildExpression(*value) : InlineContent();
}

template<InlineContentProtocol T> InlineContent buildEitherFirst(const T &value)
{
    return buildExpression(value);
}
template<InlineContentProtocol T> InlineContent buildEitherSecond(const T &value)
{
    return buildExpression(value);
}

} // namespace InlineContentBuilder

// A code span; its text is literal.
struct Code
{
    explicit Code(QString text)
        : text(std::move(text))
    { }
    InlineContent inlineContent() const { return { { InlineNode::code(text) } }; }

    QString text;
};

namespace detail {

// Emphasis, strong text and strikethrough differ only in the node they make.
template<class Styled> struct StyledInline
{
    // The string is one text node, not parsed.
    explicit StyledInline(const QString &text)
        : content(InlineContentBuilder::buildExpression(text))
    { }
    explicit StyledInline(InlineContent content)
        : content(std::move(content))
    { }
    template<InlineContentClosure F>
    explicit StyledInline(F &&build)
        : content(std::forward<F>(build)())
    { }

    InlineContent inlineContent() const { return { { InlineNode(Styled { content.inlines }) } }; }

    InlineContent content;
};

// A URL as a link or image node keeps it: its absolute, percent-encoded form. A URL made
// relative to a base is already resolved (markdownURL), so this is the resolved address.
inline QString absoluteString(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

} // namespace detail

using Emphasis = detail::StyledInline<InlineNode::Emphasis>;
using Strong = detail::StyledInline<InlineNode::Strong>;
using Strikethrough = detail::StyledInline<InlineNode::Strikethrough>;

struct InlineLink
{
    template<InlineContentClosure F>
    InlineLink(const QUrl &destination, F &&build)
        : destination(detail::absoluteString(destination))
        , content(std::forward<F>(build)())
    { }
    InlineLink(const QUrl &destination, InlineContent content)
        : destination(detail::absoluteString(destination))
        , content(std::move(content))
    { }
    // The title is one text node, not parsed.
    InlineLink(const QString &title, const QUrl &destination)
        : destination(detail::absoluteString(destination))
        , content(InlineContentBuilder::buildExpression(title))
    { }

    InlineContent inlineContent() const { return { { InlineNode::link(destination, content.inlines) } }; }

    QString destination;
    InlineContent content;
};

struct InlineImage
{
    // No alternative text.
    explicit InlineImage(const QUrl &source)
        : source(detail::absoluteString(source))
    { }
    // The label is the alternative text, one text node.
    InlineImage(const QString &label, const QUrl &source)
        : source(detail::absoluteString(source))
        , content(InlineContentBuilder::buildExpression(label))
    { }

    InlineContent inlineContent() const { return { { InlineNode::image(source, content.inlines) } }; }

    QString source;
    InlineContent content;
};

struct LineBreak
{
    InlineContent inlineContent() const { return { { InlineNode::lineBreak() } }; }
};

struct SoftBreak
{
    // How a soft break is shown: as one space (the default) or as a line break.
    enum class Mode { Space, LineBreak };

    InlineContent inlineContent() const { return { { InlineNode::softBreak() } }; }
};
