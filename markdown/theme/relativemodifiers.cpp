#include "markdown/theme/relativemodifiers.h"

#include "markdown/theme/textstyleattributesreader.h"

namespace {

// The content made from the font properties in force, read where the view stands.
template<class Fn> ui::View withFontProperties(Fn fn)
{
    return TextStyleAttributesReader([fn](const ui::AttributeContainer &attributes) {
        return fn(attributes.get<FontPropertiesAttribute>());
    });
}

} // namespace

ui::ViewModifier relativeFrame(RelativeSize minWidth, ui::Alignment alignment)
{
    return [minWidth, alignment](const ui::View &view) {
        return withFontProperties([view, minWidth, alignment](const FontProperties *properties) {
            return view.frame(
                ui::FlexibleFrame().withMinWidth(minWidth.points(properties)).withAlignment(alignment));
        });
    };
}

ui::ViewModifier relativeFrame(
    std::optional<RelativeSize> width, std::optional<RelativeSize> height, ui::Alignment alignment)
{
    return [width, height, alignment](const ui::View &view) {
        return withFontProperties([view, width, height, alignment](const FontProperties *properties) {
            return view.frame(pointsOf(width, properties), pointsOf(height, properties), alignment);
        });
    };
}

ui::ViewModifier relativeLineSpacing(RelativeSize spacing)
{
    return [spacing](const ui::View &view) {
        return withFontProperties([view, spacing](const FontProperties *properties) {
            return view.lineSpacing(spacing.points(properties));
        });
    };
}

ui::ViewModifier relativePadding(ui::EdgeSet edges, RelativeSize length)
{
    return [edges, length](const ui::View &view) {
        return withFontProperties([view, edges, length](const FontProperties *properties) {
            return view.padding(ui::EdgeInsets::of(edges, length.points(properties)));
        });
    };
}
