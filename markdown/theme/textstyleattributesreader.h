#pragma once

#include "markdown/theme/fontproperties.h"
#include "markdown/theme/textstyle.h"

#include "ui/view.h"

#include <functional>
#include <initializer_list>

// The text style in force below a view: it accumulates (a style set further in is
// applied after the enclosing one) and is resolved into attributes only where a view
// reads it. The default is a FontProperties with every default, so resolved
// attributes always hold font properties at the root.
struct TextStyleKey
{
    using Value = AnyTextStyle;
    static Value defaultValue() { return FontProperties(); }
};

// Builds the content from the attributes that the text style in force leaves in an
// empty container. The container is made afresh each time the reader is resolved.
ui::View TextStyleAttributesReader(std::function<ui::View(const ui::AttributeContainer &)> content);
// The same, given only the resolved font properties: null when the style sets none.
ui::View FontPropertiesReader(std::function<ui::View(const FontProperties *)> content);

// The font properties the text style in force resolves to; absent when it sets none.
std::optional<FontProperties> fontPropertiesOf(const ui::EnvironmentValues &environment);

// Appends `style` to the text style in force for everything inside the modified view:
// the enclosing style is applied first, so `style` wins where both set something.
ui::ViewModifier markdownTextStyle(AnyTextStyle style);
// The styles in written order, as one block.
ui::ViewModifier markdownTextStyle(std::initializer_list<AnyTextStyle> styles);

// The font the resolved font properties describe, or no font (the body font) when the
// text style sets none.
ui::ViewModifier textStyleFont();
// The resolved foreground colour, or none (the primary colour).
ui::ViewModifier textStyleForegroundColor();
