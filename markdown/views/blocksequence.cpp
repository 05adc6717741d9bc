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

// An element resolved already, handed to the stack as a view. Its margins had to be
// read before the spacing above it could be known; it is resolved once, right where it
// is made, and never escapes this file.
ui::View resolvedView(ui::ElementPtr element)
{
    auto held = std::make_shared<ui::ElementPtr>(std::move(element));
    return ui::View::make([held](const ui::EnvironmentValues &env, const ui::ResolveScope &scope) {
        Q_ASSERT_X(*held, "BlockSequence", "a resolved block was placed twice");
        if (!*held)
            return ui::EmptyView().resolve(env, scope);
        return std::move(*held);
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
            ui::ElementPtr element = item.view.resolve(
                env, scope.child(i).withExplicitId(QVariant::fromValue(quint64(item.identity))));
            if (element->isEmpty())
                continue;
            const BlockMargin &margin = element->preferences().get<BlockMarginsPreference>();
            const std::optional<double> spacing = first
                ? std::optional<double>(0)
                : collapsed(margin.top, tight ? std::optional<double>(0) : previousBottom);
            previousBottom = margin.bottom;
            first = false;
            ui::View child = resolvedView(std::move(element));
            // An absent spacing pads by the default amount, a zero one by nothing.
            if (!spacing || *spacing != 0)
                child = child.padding(ui::Edge::top, spacing);
            children.push_back(std::move(child));
        }
        return ui::VStack(stackAlignment(env.get<ui::MultilineTextAlignmentKey>()), 0, std::move(children))
            .resolve(env, scope);
    });
}
