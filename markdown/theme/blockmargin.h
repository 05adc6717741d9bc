#pragma once

#include "markdown/theme/relativesize.h"

#include "ui/view.h"

#include <optional>

// The space a block asks for above and below itself, in points; an absent edge asks
// for nothing. Neighbouring blocks collapse their margins: the larger one is used.
struct BlockMargin
{
    std::optional<double> top;
    std::optional<double> bottom;

    // Each given edge becomes the larger of the value already there and the given one;
    // an edge stays absent only when both are.
    void raise(std::optional<double> top, std::optional<double> bottom);

    bool operator==(const BlockMargin &) const = default;
};

// The margins a view reports to the sequence that stacks it: per edge the largest of
// every block inside it.
struct BlockMarginsPreference
{
    using Value = BlockMargin;
    static Value defaultValue() { return {}; }
    static void reduce(Value &value, const Value &next) { value.raise(next.top, next.bottom); }
};

// Raises the margins the modified view reports.
ui::ViewModifier markdownMargin(std::optional<double> top, std::optional<double> bottom);
// The same with lengths relative to the text style where the modifier stands,
// resolved in whole points.
ui::ViewModifier markdownMargin(std::optional<RelativeSize> top, std::optional<RelativeSize> bottom);
