#include "markdown/theme/textstyle.h"

TextStyle::~TextStyle() = default;

void AnyTextStyle::collectAttributes(ui::AttributeContainer &container) const
{
    if (m_style)
        m_style->collectAttributes(container);
}

ui::AttributeContainer AnyTextStyle::attributes() const
{
    ui::AttributeContainer container;
    collectAttributes(container);
    return container;
}

void TextStylePair::collectAttributes(ui::AttributeContainer &container) const
{
    s0.collectAttributes(container);
    s1.collectAttributes(container);
}

AnyTextStyle TextStyleBuilder::block(std::initializer_list<AnyTextStyle> styles)
{
    if (styles.size() == 0)
        return buildBlock();
    auto it = styles.begin();
    AnyTextStyle accumulated = buildPartialBlock(*it++);
    for (; it != styles.end(); ++it)
        accumulated = buildPartialBlock(accumulated, *it);
    return accumulated;
}
