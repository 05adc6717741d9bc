#pragma once

#include "markdown/theme/blockstyle.h"

#include <QString>

using ListMarkerStyle = BlockStyle<ListMarkerConfiguration>;
using TaskListMarkerStyle = BlockStyle<TaskListMarkerConfiguration>;

// A bullet symbol sized to a third of the text size in force (4 points in 13-point
// text), drawn in the system font's regular weight.
ui::View ListBullet(const QString &symbolName);

// The marker styles for list items. Every marker is at least 1.5 em wide and aligned to
// its trailing edge, so that the markers of one list line up on their right edges.
namespace ListMarkers {
// "3." in digits of equal width.
ListMarkerStyle decimal();
// "III." and "iii."; numbers outside 1 to 3999 in decimal digits.
ListMarkerStyle upperRoman();
ListMarkerStyle lowerRoman();
ListMarkerStyle dash();
ListMarkerStyle disc();
ListMarkerStyle circle();
ListMarkerStyle square();
// A disc at level 1, a circle at level 2, a square below.
ListMarkerStyle discCircleSquare();
} // namespace ListMarkers

namespace TaskListMarkers {
// A checked square for a completed item, an empty one otherwise, small and in two
// layers.
TaskListMarkerStyle checkmarkSquare();
} // namespace TaskListMarkers

// The upper-case Roman numeral of 1 to 3999; any other number in decimal digits.
QString romanNumeral(int number);
