#include "markdown/theme/blockmargin.h"

#include "markdown/theme/textstyleattributesreader.h"

#include <algorithm>

namespace {

std::optional<double> larger(std::optional<double> a, std::optional<double> b)
{
    if (a && b)
        return std::max(*a, *b);
    return a ? a : b;
}

} // namespace

void BlockMargin::raise(std::optional<double> top, std::optional<double> bottom)
{
    this->top = larger(this->top, top);
    this->bottom = larger(this->bottom, bottom);
}

ui::ViewModifier markdownMargin(std::optional<double> top, std::optional<double> bottom)
{
    return [top, bottom](const ui::View &view) {
        return view.transformPreference<BlockMarginsPreference>(
            [top, bottom](BlockMargin &margin) { margin.raise(top, bottom); });
    };
}

ui::ViewModifier markdownMargin(std::optional<RelativeSize> top, std::optional<RelativeSize> bottom)
{
    return [top, bottom](const ui::View &view) {
        return FontPropertiesReader([view, top, bottom](const FontProperties *properties) {
            return view.modifier(markdownMargin(pointsOf(top, properties), pointsOf(bottom, properties)));
        });
    };
}
