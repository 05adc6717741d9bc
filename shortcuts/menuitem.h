#pragma once

#include "shortcuts/modifiers.h"

#include <QList>
#include <QPointer>
#include <QString>

class QAction;

namespace GlobalShortcuts {

// One entry of the program's menus as a shortcut sees it: the key equivalent is
// the key's character in lower case ("k"), or the special key's symbol ("\u21A9"
// for Return); an upper-case letter implies Shift. Items without a shortcut
// have an empty key equivalent and never match one.
struct MenuItem
{
    QString title;
    QString keyEquivalent;
    ModifierFlags keyEquivalentModifierMask;
    QList<MenuItem> submenu;
    QPointer<QAction> action; // the action behind the item, when there is one
};

using Menu = QList<MenuItem>;

} // namespace GlobalShortcuts
