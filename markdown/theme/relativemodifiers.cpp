#include "markdown/theme/relativemodifiers.h"

#include "markdown/theme/textstyleattributesreader.h"

ui::ViewModifier relativeFrame(RelativeSize minWidth, ui::Alignment alignment)
{
    return [minWidth, alignment](const ui::View &view) {
        return FontPropertiesReader([view, minWidth, alignment](const FontProperties *properties) {
            return view.frame(
                ui::FlexibleFrame().withMinWidth(minWidth.points(properties)).withAlignment(alignment));
        });
    };
}

ui::ViewModifier relativeFrame(
    std::optional<RelativeSize> width, std::optional<RelativeSize> height, ui::Alignment alignment)
{
    return [width, height, alignment](const ui::View &view) {
        return FontPropertiesReader([view, width, height, alignment](const FontProperties *properties) {
            return view.frame(pointsOf(width, properties), pointsOf(height, properties), alignment);
        });
    };
}

ui::ViewModifier relativeLineSpacing(RelativeSize spacing)
{
    return [spacing](const ui::View &view) {
        return FontPropertiesReader([view, spacing](const FontProperties *properties) {
            return view.lineSpacing(spacing.points(properties));
        });
    };
}

ui::ViewModifier relativePadding(ui::EdgeSet edges, RelativeSize length)
{
    return [edges, length](const ui::View &view) {
        return FontPropertiesReader([view, edges, length](const FontProperties *properties) {
            return view.padding(ui::EdgeInsets::of(edges, length.points(properties)));
        });
    };
}
