#pragma once

#include "markdown/model/blocknode.h"
#include "markdown/model/elementbuilder.h"
#include "markdown/model/inlinecontent.h"
#include "markdown/model/markdowncontent.h"

#include <QList>
#include <QString>

#include <concepts>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>

// A document written in code rather than Markdown text: small block values composed
// inside builder closures, each turning itself into model blocks. The result of a block
// builder is the same MarkdownContent that parsing gives, so the two mix freely.

// Everything that can stand in a block builder: a value that gives its blocks as a
// MarkdownContent. Each read builds the content afresh.
template<class T>
concept MarkdownContentProtocol = requires(const T &value)
{
    {
        value.markdownContent()
        } -> std::convertible_to<MarkdownContent>;
};

// A block builder closure: called once, while the element is made, and not kept.
template<class F>
concept MarkdownContentClosure = std::is_invocable_r_v<MarkdownContent, F>;

// Joins blocks and strings, in written order, into one MarkdownContent. Here, unlike in
// every other builder, a string is Markdown: "**a**" is a paragraph with strong text.
namespace MarkdownContentBuilder {

// Text the parser gives no document for adds nothing.
MarkdownContent buildExpression(const QString &markdown);
template<MarkdownContentProtocol T> MarkdownContent buildExpression(const T &value)
{
    return value.markdownContent();
}

template<class... Parts> MarkdownContent buildBlock(const Parts &...parts)
{
    QList<BlockNode> joined;
    (joined.append(buildExpression(parts).blocks()), ...);
    return MarkdownContent(std::move(joined));
}

// The blocks a loop made, in order.
template<class Range> MarkdownContent buildArray(const Range &values)
{
    QList<BlockNode> joined;
    for (const auto &value : values)
        joined.append(buildExpression(value).blocks());
    return MarkdownContent(std::move(joined));
}

template<class T> MarkdownContent buildOptional(const std::optional<T> &value)
{
    return value ? buildExpression(*value) : MarkdownContent();
}

template<class T> MarkdownContent buildEitherFirst(const T &value)
{
    return buildExpression(value);
}
template<class T> MarkdownContent buildEitherSecond(const T &value)
{
    return buildExpression(value);
}

} // namespace MarkdownContentBuilder

// An item of a bulleted or numbered list, before it becomes the model's item.
struct ListItem
{
    template<MarkdownContentClosure F>
    explicit ListItem(F &&build)
        : children(std::forward<F>(build)().blocks())
    { }
    // One paragraph holding the text literally: list items never parse a string.
    explicit ListItem(const QString &text);
    explicit ListItem(QList<BlockNode> children)
        : children(std::move(children))
    { }

    bool operator==(const ListItem &) const = default;

    QList<BlockNode> children;
};
size_t qHash(const ListItem &item, size_t seed = 0);

struct TaskListItem
{
    template<MarkdownContentClosure F>
    TaskListItem(bool isCompleted, F &&build)
        : isCompleted(isCompleted)
        , children(std::forward<F>(build)().blocks())
    { }
    // An unticked item of one paragraph holding the text literally.
    explicit TaskListItem(const QString &text);
    TaskListItem(bool isCompleted, QList<BlockNode> children)
        : isCompleted(isCompleted)
        , children(std::move(children))
    { }

    bool operator==(const TaskListItem &) const = default;

    bool isCompleted = false;
    QList<BlockNode> children;
};
size_t qHash(const TaskListItem &item, size_t seed = 0);

template<> inline constexpr bool takesLiteralText<ListItem> = true;
template<> inline constexpr bool takesLiteralText<TaskListItem> = true;

using ListContentBuilder = ElementBuilder<ListItem>;
using TaskListContentBuilder = ElementBuilder<TaskListItem>;

namespace detail {

inline MarkdownContent oneBlock(BlockNode block)
{
    return MarkdownContent(QList<BlockNode> { std::move(block) });
}

// The items made by calling `build` once per element of `elements`, in their order.
template<class Item, class Range, class F> QList<Item> itemsForEach(const Range &elements, F &build)
{
    QList<Item> items;
    for (const auto &element : elements)
        items.append(build(element));
    return items;
}

template<class Item, class Range> QList<Item> literalItems(const Range &strings)
{
    QList<Item> items;
    for (const auto &text : strings)
        items.append(Item(QString(text)));
    return items;
}

template<class F, class Range>
concept ItemsPerElement = std::ranges::input_range<Range> && std::is_invocable_r_v<QList<ListItem>, F &,
    const std::ranges::range_value_t<Range> &>;
template<class F, class Range>
concept TaskItemsPerElement = std::ranges::input_range<Range> && std::is_invocable_r_v<QList<TaskListItem>,
    F &, const std::ranges::range_value_t<Range> &>;
template<class Range>
concept StringRange
    = std::ranges::input_range<Range> && std::convertible_to<std::ranges::range_value_t<Range>, QString>;

} // namespace detail

// A list stores the tightness asked for unless an item holds two or more paragraphs
// directly (those inside a quote or a sub-list do not count): then it is loose. Items can
// make a list loose, never tight.

struct BulletedList
{
    BulletedList(bool tight, const QList<ListItem> &items);
    template<class F>
    requires ListContentBuilder::isClosure<F> BulletedList(bool tight, F &&items)
        : BulletedList(tight, QList<ListItem>(std::forward<F>(items)()))
    { }
    template<class Range, class F>
    requires detail::ItemsPerElement<F, Range> BulletedList(const Range &elements, bool tight, F &&items)
        : BulletedList(tight, detail::itemsForEach<ListItem>(elements, items))
    { }
    // One item per string, each the string as literal text.
    template<detail::StringRange Range>
    BulletedList(const Range &strings, bool tight)
        : BulletedList(tight, detail::literalItems<ListItem>(strings))
    { }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::bulletedList(tight, items));
    }

    bool tight = true;
    QList<RawListItem> items;
};

struct NumberedList
{
    NumberedList(bool tight, qint64 start, const QList<ListItem> &items);
    template<class F>
    requires ListContentBuilder::isClosure<F> NumberedList(bool tight, qint64 start, F &&items)
        : NumberedList(tight, start, QList<ListItem>(std::forward<F>(items)()))
    { }
    template<class Range, class F>
    requires detail::ItemsPerElement<F, Range> NumberedList(
        const Range &elements, bool tight, qint64 start, F &&items)
        : NumberedList(tight, start, detail::itemsForEach<ListItem>(elements, items))
    { }
    template<detail::StringRange Range>
    NumberedList(const Range &strings, bool tight, qint64 start)
        : NumberedList(tight, start, detail::literalItems<ListItem>(strings))
    { }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::numberedList(tight, start, items));
    }

    bool tight = true;
    qint64 start = 1;
    QList<RawListItem> items;
};

// There is no form over a list of strings: a task item is more than its text.
struct TaskList
{
    TaskList(bool tight, const QList<TaskListItem> &items);
    template<class F>
    requires TaskListContentBuilder::isClosure<F> TaskList(bool tight, F &&items)
        : TaskList(tight, QList<TaskListItem>(std::forward<F>(items)()))
    { }
    template<class Range, class F>
    requires detail::TaskItemsPerElement<F, Range> TaskList(const Range &elements, bool tight, F &&items)
        : TaskList(tight, detail::itemsForEach<TaskListItem>(elements, items))
    { }

    MarkdownContent markdownContent() const { return detail::oneBlock(BlockNode::taskList(tight, items)); }

    bool tight = true;
    QList<RawTaskListItem> items;
};

struct Blockquote
{
    template<MarkdownContentClosure F>
    explicit Blockquote(F &&build)
        : content(std::forward<F>(build)())
    { }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::blockquote(content.blocks()));
    }

    MarkdownContent content;
};

struct CodeBlock
{
    // An absent language stays absent in the model: no fence info, not an empty one.
    template<class F>
    requires std::is_invocable_r_v<QString, F> CodeBlock(std::optional<QString> language, F &&content)
        : language(std::move(language))
        , content(std::forward<F>(content)())
    { }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::codeBlock(language, content));
    }

    std::optional<QString> language;
    QString content;
};

struct Heading
{
    // The raw value of a level is its number.
    enum class Level : qint64 { Level1 = 1, Level2, Level3, Level4, Level5, Level6 };

    template<InlineContentClosure F>
    Heading(Level level, F &&build)
        : level(level)
        , content(std::forward<F>(build)())
    { }
    Heading(Level level, InlineContent content)
        : level(level)
        , content(std::move(content))
    { }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::heading(static_cast<qint64>(level), content.inlines));
    }

    Level level;
    InlineContent content;
};

// The level of a number from 1 to 6; no value for any other.
std::optional<Heading::Level> headingLevel(qint64 rawValue);
inline qint64 rawValue(Heading::Level level)
{
    return static_cast<qint64>(level);
}
// As its raw value.
size_t qHash(Heading::Level level, size_t seed = 0);

struct Paragraph
{
    template<InlineContentClosure F>
    explicit Paragraph(F &&build)
        : content(std::forward<F>(build)())
    { }
    explicit Paragraph(InlineContent content)
        : content(std::move(content))
    { }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::paragraph(content.inlines));
    }

    InlineContent content;
};

struct ThematicBreak
{
    MarkdownContent markdownContent() const { return detail::oneBlock(BlockNode::thematicBreak()); }
};
