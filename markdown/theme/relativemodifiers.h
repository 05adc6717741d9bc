#pragma once

#include "markdown/theme/relativesize.h"

#include "ui/view.h"

#include <optional>

// Modifiers that take lengths relative to the font in force where they stand: each
// resolves its lengths in whole points against the text style there (a view set in a
// heading's larger font gets larger em lengths), then applies the ordinary modifier.

// A flexible frame with only its minimum width set.
ui::ViewModifier relativeFrame(RelativeSize minWidth, ui::Alignment alignment);
// A fixed frame; an absent dimension stays free.
ui::ViewModifier relativeFrame(
    std::optional<RelativeSize> width, std::optional<RelativeSize> height, ui::Alignment alignment);
ui::ViewModifier relativeLineSpacing(RelativeSize spacing);
// Padding of the length on exactly the given edges.
ui::ViewModifier relativePadding(ui::EdgeSet edges, RelativeSize length);
