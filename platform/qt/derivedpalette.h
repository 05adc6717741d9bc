#pragma once

#include <QPalette>

#include <functional>

class QWidget;

// Keeps colours of `widget` derived from the palette it inherits: `derive` is
// given a copy of that palette and sets the roles it changes, now and again
// whenever the inherited palette changes (the appearance switched while the
// program runs), so a dimmed text never keeps the previous look's colour.
// Calling it again for the widget replaces its derivation. Main thread only.
void derivePalette(QWidget &widget, std::function<void(QPalette &)> derive);
// For a widget with a style sheet, which otherwise keeps the colours of the look
// in force when the sheet was applied: it takes the inherited palette again, and
// its sheet is applied again, whenever the inherited palette changes. Call it
// after setting the sheet.
void followLook(QWidget &widget);
// Makes every widget with a style sheet follow each change of the application's
// palette, however it comes (the look chosen in the settings, the desktop's), as
// followLook does: a sheet otherwise keeps the look it was applied in, on its
// widget and on every widget inside it. Widgets made later are covered too. Needs
// the application object; calling it again does nothing. Main thread only.
void followLookEverywhere();
