#pragma once

#include "markdown/theme/fontproperties.h"
#include "markdown/theme/relativesize.h"
#include "markdown/theme/textstyle.h"

#include "ui/color.h"

#include <optional>

// Font styles: each overwrites one field of the font properties the container already
// holds, and does nothing to a container without them.

class FontFamily final : public TextStyle
{
public:
    explicit FontFamily(FontProperties::Family family)
        : family(std::move(family))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::Family family;
};

class FontFamilyVariant final : public TextStyle
{
public:
    explicit FontFamilyVariant(FontProperties::FamilyVariant familyVariant)
        : familyVariant(familyVariant)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::FamilyVariant familyVariant;
};

class FontCapsVariant final : public TextStyle
{
public:
    explicit FontCapsVariant(FontProperties::CapsVariant capsVariant)
        : capsVariant(capsVariant)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::CapsVariant capsVariant;
};

class FontDigitVariant final : public TextStyle
{
public:
    explicit FontDigitVariant(FontProperties::DigitVariant digitVariant)
        : digitVariant(digitVariant)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::DigitVariant digitVariant;
};

class FontStyle final : public TextStyle
{
public:
    explicit FontStyle(FontProperties::Style style)
        : style(style)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::Style style;
};

class FontWeight final : public TextStyle
{
public:
    explicit FontWeight(FontProperties::Weight weight)
        : weight(weight)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::Weight weight;
};

class FontWidth final : public TextStyle
{
public:
    explicit FontWidth(FontProperties::Width width)
        : width(width)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    FontProperties::Width width;
};

// Points set the root size and cancel any scale; em multiplies the scale in force; rem
// sets the scale relative to the root size.
class FontSize final : public TextStyle
{
public:
    explicit FontSize(double points)
        : m_points(points)
    { }
    explicit FontSize(RelativeSize relative)
        : m_relative(relative)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;

private:
    std::optional<double> m_points;
    std::optional<RelativeSize> m_relative;
};

// Colour and decoration styles: set their attribute, or remove it when given nothing.

class ForegroundColor final : public TextStyle
{
public:
    explicit ForegroundColor(std::optional<ui::Color> color)
        : foregroundColor(std::move(color))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    std::optional<ui::Color> foregroundColor;
};

class BackgroundColor final : public TextStyle
{
public:
    explicit BackgroundColor(std::optional<ui::Color> color)
        : backgroundColor(std::move(color))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    std::optional<ui::Color> backgroundColor;
};

class StrikethroughStyle final : public TextStyle
{
public:
    explicit StrikethroughStyle(std::optional<ui::LineStyle> lineStyle)
        : lineStyle(std::move(lineStyle))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    std::optional<ui::LineStyle> lineStyle;
};

class UnderlineStyle final : public TextStyle
{
public:
    explicit UnderlineStyle(std::optional<ui::LineStyle> lineStyle)
        : lineStyle(std::move(lineStyle))
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    std::optional<ui::LineStyle> lineStyle;
};

class TextKerning final : public TextStyle
{
public:
    explicit TextKerning(std::optional<double> kern)
        : kern(kern)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    std::optional<double> kern;
};

class TextTracking final : public TextStyle
{
public:
    explicit TextTracking(std::optional<double> tracking)
        : tracking(tracking)
    { }
    void collectAttributes(ui::AttributeContainer &container) const override;
    std::optional<double> tracking;
};
