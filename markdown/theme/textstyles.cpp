#include "markdown/theme/textstyles.h"

namespace {
template<class Fn> void editFontProperties(ui::AttributeContainer &container, Fn &&edit)
{
    container.modifyIfPresent<FontPropertiesAttribute>(std::forward<Fn>(edit));
}
} // namespace

void FontFamily::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.family = family; });
}

void FontFamilyVariant::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.familyVariant = familyVariant; });
}

void FontCapsVariant::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.capsVariant = capsVariant; });
}

void FontDigitVariant::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.digitVariant = digitVariant; });
}

void FontStyle::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.style = style; });
}

void FontWeight::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.weight = weight; });
}

void FontWidth::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) { p.setWidth(width); });
}

void FontSize::collectAttributes(ui::AttributeContainer &container) const
{
    editFontProperties(container, [this](FontProperties &p) {
        if (m_points) {
            p.size = *m_points;
            p.scale = 1.0;
        } else if (m_relative->unit == RelativeSize::Unit::Em) {
            p.scale *= m_relative->value;
        } else {
            p.scale = m_relative->value;
        }
    });
}

void ForegroundColor::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<ui::ForegroundColorAttribute>(foregroundColor);
}

void BackgroundColor::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<ui::BackgroundColorAttribute>(backgroundColor);
}

void StrikethroughStyle::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<ui::StrikethroughStyleAttribute>(lineStyle);
}

void UnderlineStyle::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<ui::UnderlineStyleAttribute>(lineStyle);
}

void TextKerning::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<ui::KernAttribute>(kern);
}

void TextTracking::collectAttributes(ui::AttributeContainer &container) const
{
    container.set<ui::TrackingAttribute>(tracking);
}
