#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The position of each key the program numbers, as an XKB key name ("AC08" for the
// key right of "j" on a US board). Keys are matched by position, not by symbol, so a
// shortcut keeps its physical key when the user switches layouts; modifiers follow
// the program's convention (Command is Ctrl, Control is Super, Option is Alt) and
// the Help key sits where PC keyboards have Insert.
namespace XkbKeyNames {

// Empty when the key has no counterpart on a PC keyboard (fn) or the code is unknown.
QByteArray nameForKeyCode(qint64 keyCode);

// Every key code that has an XKB name, in ascending order.
const QList<qint64> &keyCodes();

} // namespace XkbKeyNames
