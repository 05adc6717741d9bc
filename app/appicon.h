#pragma once

#include <QIcon>

// The program's icon, for the tray and the settings: its own image, else the
// split-rectangle symbol, so it never shows an empty square. Main thread only.
QIcon appIcon();

// The icon as the tray shows it: readable whether the tray is light or dark.
QIcon trayIcon();
