#pragma once

#include <QPalette>
#include <QString>

// The program's light and dark looks, chosen by "appearanceMode": "dark", "light",
// or anything else (a missing value included) to follow the system. Qt 6.4 can't
// ask the desktop for its colour scheme, so "system" keeps the palette the desktop
// gave the program at start-up. Main thread only; needs the application object.
namespace Appearance {

enum class Mode { System, Light, Dark };

Mode modeFor(const QString &appearanceMode);
// The palette of a look; "system" is the one the desktop gave the program.
QPalette paletteOf(Mode mode);
void apply(Mode mode);
// Whether the palette now in force is a dark one (by its window colour's lightness).
bool isDark();

} // namespace Appearance
