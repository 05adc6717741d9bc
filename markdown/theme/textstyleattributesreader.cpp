#include "markdown/theme/textstyleattributesreader.h"

ui::View TextStyleAttributesReader(std::function<ui::View(const ui::AttributeContainer &)> content)
{
    return ui::EnvironmentReader([content = std::move(content)](const ui::EnvironmentValues &env) {
        ui::AttributeContainer attributes;
        env.get<TextStyleKey>().collectAttributes(attributes);
        return content(attributes);
    });
}

ui::View FontPropertiesReader(std::function<ui::View(const FontProperties *)> content)
{
    return TextStyleAttributesReader(
        [content = std::move(content)](const ui::AttributeContainer &attributes) {
            return content(attributes.get<FontPropertiesAttribute>());
        });
}

std::optional<FontProperties> fontPropertiesOf(const ui::EnvironmentValues &environment)
{
    ui::AttributeContainer attributes;
    environment.get<TextStyleKey>().collectAttributes(attributes);
    return attributes.value<FontPropertiesAttribute>();
}

ui::ViewModifier markdownTextStyle(AnyTextStyle style)
{
    return [style = std::move(style)](const ui::View &view) {
        return view.transformEnvironment<TextStyleKey>([style](AnyTextStyle &current) {
            current = TextStyleBuilder::buildPartialBlock(current, style);
        });
    };
}

ui::ViewModifier markdownTextStyle(std::initializer_list<AnyTextStyle> styles)
{
    return markdownTextStyle(TextStyleBuilder::block(styles));
}

ui::ViewModifier textStyleFont()
{
    return [](const ui::View &view) {
        return FontPropertiesReader([view](const FontProperties *properties) {
            return view.font(properties ? std::optional(fontWithProperties(*properties)) : std::nullopt);
        });
    };
}

ui::ViewModifier textStyleForegroundColor()
{
    return [](const ui::View &view) {
        return TextStyleAttributesReader([view](const ui::AttributeContainer &attributes) {
            return view.foregroundColor(attributes.value<ui::ForegroundColorAttribute>());
        });
    };
}
