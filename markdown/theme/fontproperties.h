#pragma once

#include "markdown/theme/textstyle.h"

#include "ui/attributecontainer.h"
#include "ui/font.h"

#include <QString>

#include <optional>

namespace ui {
class AttributedText;
}

// The open font description that text styles edit while they are applied one after
// another; it becomes a real font only at the end of rendering (fontWithProperties),
// so that relative sizes compound and later styles change single fields.
class FontProperties final : public TextStyle
{
public:
    using Design = ui::Font::Design;
    using Weight = ui::Font::Weight;
    using Width = ui::Font::Width;

    // The system family in a design, or a font by name (names compare case-sensitively).
    struct Family
    {
        enum class Kind { System, Custom };
        Kind kind = Kind::System;
        Design design = Design::Default;
        QString name;

        static Family system(Design design = Design::Default) { return { Kind::System, design, {} }; }
        static Family custom(const QString &name) { return { Kind::Custom, Design::Default, name }; }
        bool operator==(const Family &other) const
        {
            return kind == other.kind && (kind == Kind::System ? design == other.design : name == other.name);
        }
    };
    enum class FamilyVariant { Normal, Monospaced };
    enum class CapsVariant { Normal, SmallCaps, LowercaseSmallCaps, UppercaseSmallCaps };
    enum class DigitVariant { Normal, Monospaced };
    enum class Style { Normal, Italic };

    static constexpr Weight defaultWeight = Weight::Regular;
    static constexpr double defaultSize = 13;

    FontProperties() = default;
    // Leaves the width unset.
    FontProperties(Family family, FamilyVariant familyVariant, CapsVariant capsVariant,
        DigitVariant digitVariant, Style style, Weight weight, double size, double scale);
    // Sets the width, even when it is the standard one.
    FontProperties(Family family, FamilyVariant familyVariant, CapsVariant capsVariant,
        DigitVariant digitVariant, Style style, Weight weight, Width width, double size, double scale);

    Family family;
    FamilyVariant familyVariant = FamilyVariant::Normal;
    CapsVariant capsVariant = CapsVariant::Normal;
    DigitVariant digitVariant = DigitVariant::Normal;
    Style style = Style::Normal;
    Weight weight = defaultWeight;
    double size = defaultSize;
    double scale = 1.0;

    // The standard width when unset. Writing always sets it: an unset width and a set
    // standard one resolve alike but are different values.
    Width width() const { return m_width.value_or(Width::Standard); }
    void setWidth(Width width) { m_width = width; }
    bool hasWidth() const { return m_width.has_value(); }

    // size × scale rounded to whole points, halves away from zero.
    double scaledSize() const;

    // As a text style: writes this whole description into the container.
    void collectAttributes(ui::AttributeContainer &container) const override;

    bool operator==(const FontProperties &other) const;

private:
    std::optional<Width> m_width;
};

size_t qHash(const FontProperties &properties, size_t seed = 0);

// The attribute that carries the description along with the text, named
// "fontProperties".
struct FontPropertiesAttribute
{
    using Value = FontProperties;
    static constexpr const char *name = "fontProperties";
};

// The font the description asks for: its scaled size; the system family in its design
// or the named family; then monospaced, the capitals variant, monospaced digits, a
// weight other than regular, a width other than standard, and italics last.
ui::Font fontWithProperties(const FontProperties &properties);

// A copy of `text` in which every run that carries font properties carries the font
// they resolve to instead; runs without them keep their attributes.
ui::AttributedText resolveFontProperties(const ui::AttributedText &text);
// The same, resolving in place.
ui::AttributedText resolveFontProperties(ui::AttributedText &&text);
