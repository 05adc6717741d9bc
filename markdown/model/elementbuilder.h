#pragma once

#include <QList>
#include <QString>

#include <concepts>
#include <optional>
#include <type_traits>

// Elements that a plain string written among them can stand for. Only list items take
// one (a string item is literal text, never Markdown); table rows and columns do not.
template<class Element> inline constexpr bool takesLiteralText = false;

// Joins the elements a builder closure writes, in written order, into one list. The
// list, task-list, table-column and table-row builders are this, each over its element.
// Every part of a block goes through buildExpression: an element, a list of them (what a
// nested builder, a loop or a branch gave) or, where the element takes one, a string.
template<class Element> struct ElementBuilder
{
    using Elements = QList<Element>;

    // A builder closure: called once, while its owner is made, and not kept.
    template<class F> static constexpr bool isClosure = std::is_invocable_r_v<Elements, F>;

    static Elements buildExpression(const Element &element) { return { element }; }
    static Elements buildExpression(Elements elements) { return elements; }
    static Elements buildExpression(const QString &text) requires takesLiteralText<Element>
    {
        return { Element(text) };
    }

    template<class... Parts> static Elements buildBlock(const Parts &...parts)
    {
        Elements joined;
        (joined.append(buildExpression(parts)), ...);
        return joined;
    }

    // What a loop made, in order.
    template<class Range> static Elements buildArray(const Range &parts)
    {
        Elements joined;
        for (const auto &part : parts)
            joined.append(buildExpression(part));
        return joined;
    }

    template<class Part> static Elements buildOptional(const std::optional<Part> &part)
    {
        return part ? buildExpression(*part) : Elements();
    }

    template<class Part> static Elements buildEitherFirst(const Part &part) { return buildExpression(part); }
    template<class Part> static Elements buildEitherSecond(const Part &part) { return buildExpression(part); }
};
