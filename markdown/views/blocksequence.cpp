#include "markdown/views/blocksequence.h"

#include "markdown/theme/blockmargin.h"
#include "markdown/views/markdownenvironment.h"

#include <memory>

namespace {

ui::HorizontalAlignment stackAlignment(ui::TextAlignment alignment)
{
    switch (alignment) {
    case ui::TextAlignment::Leading:
        return ui::HorizontalAlignment::Leading;
    case ui::TextAlignment::Center:
        return ui::HorizontalAlignment::Center;
    case ui::TextAlignment::Trailing:
        return ui::HorizontalAlignment::Trailing;
    }
    return ui::HorizontalAlignment::Leading;
}

// The larger of the block's own top and the previous block's bottom; absent when
// neither asks.
std::optional<double> collapsed(std::optional<double> ownTop, std::optional<double> previousBottom)
{
    BlockMargin facing { ownTop, std::nullopt };
    facing.raise(previousBottom, std::nullopt);
    return facing.top;
}

// A block resolved already, handed to the stack as a view: its margins had to be read
// before the spacing above it could be known. The first resolve hands over that
// element; any later one (the view layer resolving just this place again after a
// state write inside it) resolves the block afresh where it first was.
ui::View resolvedView(ui::ElementPtr element, ui::View block, ui::ResolveScope blockScope)
{
    auto held = std::make_shared<ui::ElementPtr>(std::move(element));
    return ui::View::make(
        [held, block, blockScope](const ui::EnvironmentValues &env, const ui::ResolveScope &) {
            if (*held)
                return std::move(*held);
            return block.resolve(env, blockScope);
        });
}

} // namespace

ui::View BlockSequence(std::vector<BlockSequenceItem> items)
{
    auto shared = std::make_shared<const std::vector<BlockSequenceItem>>(std::move(items));
    return ui::View::make([shared](const ui::EnvironmentValues &env, const ui::ResolveScope &scope) {
        const bool tight = env.get<TightSpacingEnabledKey>();
        std::vector<ui::View> children;
        children.reserve(shared->size());
        bool first = true;
        std::optional<double> previousBottom;
        for (size_t i = 0; i < shared->size(); ++i) {
            const BlockSequenceItem &item = (*shared)[i];
            const ui::ResolveScope blockScope
                = scope.child(i).withExplicitId(QVariant::fromValue(quint64(item.identity)));
            ui::ElementPtr element = item.view.resolve(env, blockScope);
            if (element->isEmpty())
                continue;
            const BlockMargin &margin = element->preferences().get<BlockMarginsPreference>();
            const std::optional<double> spacing = first
                ? std::optional<double>(0)
                : collapsed(margin.top, tight ? std::optional<double>(0) : previousBottom);
            previousBottom = margin.bottom;
            first = false;
            ui::View child = resolvedView(std::move(element), item.view, blockScope);
            // An absent spacing pads by the default amount, a zero one by nothing.
            if (!spacing || *spacing != 0)
                child = child.padding(ui::Edge::top, spacing);
            children.push_back(std::move(child));
        }
        return ui::VStack(stackAlignment(env.get<ui::MultilineTextAlignmentKey>()), 0, std::move(children))
            .resolve(env, scope);
    });
}
