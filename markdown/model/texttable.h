#pragma once

#include "markdown/model/blockcontent.h"
#include "markdown/model/blocknode.h"
#include "markdown/model/elementbuilder.h"
#include "markdown/model/inlinecontent.h"
#include "markdown/model/markdowncontent.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>

// A table block made from a collection of values of one type and a list of columns, each
// saying how one value becomes the inline content of one cell. The first row is the
// header of column titles, then one row per value in the collection's order.

enum class TextTableColumnAlignment { Leading, Center, Trailing };

// Absent is no alignment; leading, center and trailing are left, center and right.
RawTableColumnAlignment tableColumnAlignment(std::optional<TextTableColumnAlignment> alignment);

namespace detail {

// The lossless string form of a value a column shows: the text reads back as the same
// value. Floating-point values take the shortest form that does.
inline QString description(const QString &text)
{
    return text;
}
inline QString description(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
template<std::integral T>
requires(!std::same_as<T, bool>) QString description(T value)
{
    return QString::number(value);
}
template<std::floating_point T> QString description(T value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

template<class T>
concept Describable = requires(const T &value)
{
    {
        description(value)
        } -> std::same_as<QString>;
};

// A column's title: the string as one text inline, or what an inline builder closure gave.
inline InlineContent columnTitle(const QString &title)
{
    return InlineContentBuilder::buildExpression(title);
}
template<InlineContentClosure F> InlineContent columnTitle(F &&build)
{
    return std::forward<F>(build)();
}

template<class T>
concept ColumnTitle = requires(T &&title)
{
    {
        columnTitle(std::forward<T>(title))
        } -> std::same_as<InlineContent>;
};

} // namespace detail

template<class Value> struct TextTableColumn
{
    using Content = std::function<InlineContent(const Value &)>;

    // `content` is kept and called once per value when a table is built.
    template<detail::ColumnTitle Title, class F>
    requires std::is_invocable_r_v<InlineContent, const F &, const Value &> TextTableColumn(
        std::optional<TextTableColumnAlignment> alignment, Title &&title, F content)
        : alignment(alignment)
        , title(detail::columnTitle(std::forward<Title>(title)))
        , content(std::make_shared<const Content>(std::move(content)))
    { }
    // Shows a member of the value as literal text (never Markdown) in its lossless
    // string form: `value` points at a data member or a const getter.
    template<detail::ColumnTitle Title, class Member>
    requires std::is_member_pointer_v<Member> && detail::Describable<
        std::remove_cvref_t<std::invoke_result_t<Member, const Value &>>>
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, Title &&title, Member value)
        : alignment(alignment)
        , title(detail::columnTitle(std::forward<Title>(title)))
        , content(std::make_shared<const Content>([value](const Value &row) {
            return InlineContentBuilder::buildExpression(detail::description(std::invoke(value, row)));
        }))
    { }

    std::optional<TextTableColumnAlignment> alignment;
    InlineContent title;
    // Shared by the column's copies.
    std::shared_ptr<const Content> content;
};

template<class Value> struct TextTableRow
{
    explicit TextTableRow(Value value)
        : value(std::move(value))
    { }

    Value value;
};

template<class Value> using TextTableColumnBuilder = ElementBuilder<TextTableColumn<Value>>;
template<class Value> using TextTableRowBuilder = ElementBuilder<TextTableRow<Value>>;

namespace detail {

// The value type of a rows closure: V when it gives a list of TextTableRow<V>.
template<class> struct TableRowsOf;
template<class Value> struct TableRowsOf<QList<TextTableRow<Value>>>
{
    using type = Value;
};
template<class F>
using TableRowValue = typename TableRowsOf<std::remove_cvref_t<std::invoke_result_t<F>>>::type;

template<class F>
concept TableRowsClosure = requires
{
    typename TableRowValue<F>;
};

} // namespace detail

class TextTable
{
public:
    // Calls `columns` once, then each column's content once per value.
    template<std::ranges::random_access_range Values, class Columns>
    requires TextTableColumnBuilder<std::ranges::range_value_t<Values>>::template isClosure<Columns>
    TextTable(const Values &values, Columns &&columns)
    {
        build(values,
            QList<TextTableColumn<std::ranges::range_value_t<Values>>>(std::forward<Columns>(columns)()));
    }
    // The rows closure runs first; the rows' values are taken in the order it lists them.
    template<detail::TableRowsClosure Rows, class Columns>
    requires TextTableColumnBuilder<detail::TableRowValue<Rows>>::template isClosure<Columns> TextTable(
        Columns &&columns, Rows &&rows)
    {
        using Value = detail::TableRowValue<Rows>;
        const QList<TextTableRow<Value>> listed = std::forward<Rows>(rows)();
        build(std::views::transform(listed, &TextTableRow<Value>::value),
            QList<TextTableColumn<Value>>(std::forward<Columns>(columns)()));
    }

    MarkdownContent markdownContent() const
    {
        return detail::oneBlock(BlockNode::table(columnAlignments, rows));
    }

    QList<RawTableColumnAlignment> columnAlignments;
    // The header row first; every row has one cell per column.
    QList<RawTableRow> rows;

private:
    template<class Values, class Value>
    void build(const Values &values, const QList<TextTableColumn<Value>> &columns)
    {
        RawTableRow header;
        for (const TextTableColumn<Value> &column : columns) {
            columnAlignments.append(tableColumnAlignment(column.alignment));
            header.cells.append(RawTableCell { column.title.inlines });
        }
        rows.reserve(qsizetype(std::ranges::size(values)) + 1);
        rows.append(std::move(header));
        for (const auto &value : values) {
            RawTableRow row;
            row.cells.reserve(columns.size());
            for (const TextTableColumn<Value> &column : columns)
                row.cells.append(RawTableCell { (*column.content)(value).inlines });
            rows.append(std::move(row));
        }
    }
};
