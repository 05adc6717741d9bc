#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The keys shown by name instead of by what the keyboard layout types: Return,
// the arrows, the function keys, the keypad. Internal to the shortcut code.
namespace GlobalShortcuts {

enum class SpecialKey {
    Return,
    Delete,
    DeleteForward,
    End,
    Escape,
    Help,
    Home,
    Space,
    Tab,
    PageUp,
    PageDown,
    UpArrow,
    RightArrow,
    DownArrow,
    LeftArrow,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    F13,
    F14,
    F15,
    F16,
    F17,
    F18,
    F19,
    F20,
    Keypad0,
    Keypad1,
    Keypad2,
    Keypad3,
    Keypad4,
    Keypad5,
    Keypad6,
    Keypad7,
    Keypad8,
    Keypad9,
    KeypadClear,
    KeypadDecimal,
    KeypadDivide,
    KeypadEnter,
    KeypadEquals,
    KeypadMinus,
    KeypadMultiply,
    KeypadPlus,
};

struct SpecialKeyInfo
{
    SpecialKey key;
    qint64 keyCode;
    // The key's part of a description ("Return", "F12", "Keypad 5"); the space bar's
    // comes from the texts and is empty here.
    const char *name;
    // The key equivalent of a menu item on this key; null for the keypad keys,
    // which menus can't carry.
    const char16_t *menuKeyEquivalent;
    // The Qt key of the same key (Qt::Key_unknown for the keypad keys).
    int qtKey;
};

// nullptr unless the key code is one of the special keys.
const SpecialKeyInfo *specialKey(qint64 keyCode);

// The special key that a Qt key stands for in a menu's shortcut; nullptr for others.
const SpecialKeyInfo *specialKeyForQtKey(int qtKey);

// Every special key, in the order of the enumeration.
const QList<SpecialKeyInfo> &specialKeys();

} // namespace GlobalShortcuts
