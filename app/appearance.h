#pragma once

#include "platform/colorschemepreference.h"

#include <QPalette>
#include <QString>

// The program's light and dark looks, chosen by "appearanceMode": "dark", "light",
// or anything else (a missing value included) to follow the system. "system" takes
// the look the desktop prefers, as far as it says; where it says nothing, the
// palette the desktop gave the program at start-up. Main thread only; needs the
// application object.
namespace Appearance {

enum class Mode { System, Light, Dark };

Mode modeFor(const QString &appearanceMode);
// The palette of a look; "system" is the one of the desktop's preference.
QPalette paletteOf(Mode mode);
void apply(Mode mode);
// Takes the desktop's preference for "system", applied at once while "system" is in force.
void setSystemPreference(ColorSchemePreference::Scheme scheme);
// Whether the palette now in force is a dark one (by its window colour's lightness).
bool isDark();

} // namespace Appearance
