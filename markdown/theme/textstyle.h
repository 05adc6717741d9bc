#pragma once

#include "ui/attributecontainer.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <type_traits>

// A small immutable value that edits the attributes of a run of text in place. The
// concrete styles are in textstyles.h; composition is TextStyleBuilder's.
class TextStyle
{
public:
    virtual ~TextStyle();
    virtual void collectAttributes(ui::AttributeContainer &container) const = 0;
};

// Any text style as a value; copies share the style. Empty: changes nothing.
class AnyTextStyle final : public TextStyle
{
public:
    AnyTextStyle() = default;
    template<class Style,
        class = std::enable_if_t<
            std::is_base_of_v<TextStyle,
                std::decay_t<Style>> && !std::is_same_v<std::decay_t<Style>, AnyTextStyle>>>
    AnyTextStyle(Style style)
        : m_style(std::make_shared<const std::decay_t<Style>>(std::move(style)))
    { }

    void collectAttributes(ui::AttributeContainer &container) const override;
    // The attributes this style leaves in an empty container.
    ui::AttributeContainer attributes() const;

    // The wrapped style when it is of type Style.
    template<class Style> const Style *as() const { return dynamic_cast<const Style *>(m_style.get()); }

private:
    std::shared_ptr<const TextStyle> m_style;
};

class EmptyTextStyle final : public TextStyle
{
public:
    void collectAttributes(ui::AttributeContainer &) const override { }
};

// Two styles applied in order: where both set one attribute, the later one wins.
class TextStylePair final : public TextStyle
{
public:
    TextStylePair(AnyTextStyle first, AnyTextStyle second)
        : s0(std::move(first))
        , s1(std::move(second))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;

    AnyTextStyle s0;
    AnyTextStyle s1;
};

// One of two branches (an if with an else).
class ConditionalTextStyle final : public TextStyle
{
public:
    enum class Branch { First, Second };
    ConditionalTextStyle(Branch branch, AnyTextStyle style)
        : branch(branch)
        , style(std::move(style))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override
    {
        style.collectAttributes(container);
    }

    Branch branch;
    AnyTextStyle style;
};

// A style that may be absent (an if without else): absent changes nothing.
class OptionalTextStyle final : public TextStyle
{
public:
    explicit OptionalTextStyle(std::optional<AnyTextStyle> style)
        : style(std::move(style))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override
    {
        if (style)
            style->collectAttributes(container);
    }

    std::optional<AnyTextStyle> style;
};

// Joins styles written one after another into one style, in written order.
namespace TextStyleBuilder {
inline AnyTextStyle buildBlock()
{
    return EmptyTextStyle();
}
inline AnyTextStyle buildBlock(AnyTextStyle style)
{
    return style;
}
inline AnyTextStyle buildPartialBlock(AnyTextStyle first)
{
    return first;
}
inline TextStylePair buildPartialBlock(AnyTextStyle accumulated, AnyTextStyle next)
{
    return TextStylePair(std::move(accumulated), std::move(next));
}
inline ConditionalTextStyle buildEitherFirst(AnyTextStyle style)
{
    return ConditionalTextStyle(ConditionalTextStyle::Branch::First, std::move(style));
}
inline ConditionalTextStyle buildEitherSecond(AnyTextStyle style)
{
    return ConditionalTextStyle(ConditionalTextStyle::Branch::Second, std::move(style));
}
inline OptionalTextStyle buildOptional(std::optional<AnyTextStyle> style)
{
    return OptionalTextStyle(std::move(style));
}
inline AnyTextStyle buildLimitedAvailability(AnyTextStyle style)
{
    return style;
}
// A whole block: A, B, C becomes ((A, B), C); an empty block changes nothing.
AnyTextStyle block(std::initializer_list<AnyTextStyle> styles);
} // namespace TextStyleBuilder
