#include "markdown/theme/fontproperties.h"

#include "ui/text.h"

#include <QHashFunctions>

#include <cmath>

FontProperties::FontProperties(Family family, FamilyVariant familyVariant, CapsVariant capsVariant,
    DigitVariant digitVariant, Style style, Weight weight, double size, double scale)
    : family(std::move(family))
    , familyVariant(familyVariant)
    , capsVariant(capsVariant)
    , digitVariant(digitVariant)
    , style(style)
    , weight(weight)
    , size(size)
    , scale(scale)
{ }

FontProperties::FontProperties(Family family, FamilyVariant familyVariant, CapsVariant capsVariant,
    DigitVariant digitVariant, Style style, Weight weight, Width width, double size, double scale)
    : FontProperties(std::move(family), familyVariant, capsVariant, digitVariant, style, weight, size, scale)
{
    m_width = width;
}

double FontProperties::scaledSize() const
{
    return std::round(size * scale);
}

void FontProperties::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<FontPropertiesAttribute>(*this);
}

bool FontProperties::operator==(const FontProperties &other) const
{
    return family == other.family && familyVariant == other.familyVariant && capsVariant == other.capsVariant
        && digitVariant == other.digitVariant && style == other.style && weight == other.weight
        && m_width == other.m_width && size == other.size && scale == other.scale;
}

size_t qHash(const FontProperties &p, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, int(p.family.kind));
    seed = p.family.kind == FontProperties::Family::Kind::System ? combine(seed, int(p.family.design))
                                                                 : combine(seed, p.family.name);
    seed = combine(seed, int(p.familyVariant));
    seed = combine(seed, int(p.capsVariant));
    seed = combine(seed, int(p.digitVariant));
    seed = combine(seed, int(p.style));
    seed = combine(seed, int(p.weight));
    seed = combine(seed, p.hasWidth() ? 1 : 0);
    if (p.hasWidth())
        seed = combine(seed, int(p.width()));
    seed = combine(seed, p.size);
    seed = combine(seed, p.scale);
    return seed;
}

ui::Font fontWithProperties(const FontProperties &properties)
{
    const double points = properties.scaledSize();
    ui::Font font = properties.family.kind == FontProperties::Family::Kind::System
        ? ui::Font::system(points, ui::Font::Weight::Regular, properties.family.design)
        : ui::Font::custom(properties.family.name, points);
    if (properties.familyVariant == FontProperties::FamilyVariant::Monospaced)
        font = font.monospaced();
    switch (properties.capsVariant) {
    case FontProperties::CapsVariant::Normal:
        break;
    case FontProperties::CapsVariant::SmallCaps:
        font = font.smallCaps();
        break;
    case FontProperties::CapsVariant::LowercaseSmallCaps:
        font = font.lowercaseSmallCaps();
        break;
    case FontProperties::CapsVariant::UppercaseSmallCaps:
        font = font.uppercaseSmallCaps();
        break;
    }
    if (properties.digitVariant == FontProperties::DigitVariant::Monospaced)
        font = font.monospacedDigit();
    if (properties.weight != ui::Font::Weight::Regular)
        font = font.weight(properties.weight);
    if (properties.width() != ui::Font::Width::Standard)
        font = font.width(properties.width());
    if (properties.style == FontProperties::Style::Italic)
        font = font.italic();
    return font;
}

ui::AttributedText resolveFontProperties(const ui::AttributedText &text)
{
    return resolveFontProperties(ui::AttributedText(text));
}

ui::AttributedText resolveFontProperties(ui::AttributedText &&text)
{
    for (ui::AttributedRun &run : text.runs()) {
        const FontProperties *properties = run.attributes.get<FontPropertiesAttribute>();
        if (!properties)
            continue;
        run.attributes.set<ui::FontAttribute>(fontWithProperties(*properties));
        run.attributes.remove<FontPropertiesAttribute>();
    }
    return std::move(text);
}
