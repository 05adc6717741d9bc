#pragma once

#include <QString>

// The shortcut component's texts, compiled into the program in English so that
// no missing resource can stop it. Looked up by the component's fixed keys.
namespace GlobalShortcuts {

// The text for the key; the key itself when there is none (as a missing entry
// of a string table reads). "keyboard_shortcut_used_by_menu_item" holds "%1",
// the menu item's title.
QString localizedString(const QString &key);

// Upper case at the start of each word, lower case after it ("space" → "Space").
QString capitalized(const QString &text);

} // namespace GlobalShortcuts
