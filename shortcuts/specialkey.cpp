#include "shortcuts/specialkey.h"

#include <QHash>
#include <QList>

namespace GlobalShortcuts {

const QList<SpecialKeyInfo> &specialKeys()
{
    using S = SpecialKey;
    static const QList<SpecialKeyInfo> table = {
        { S::Return, 36, "Return", u"\u21A9", Qt::Key_Return },
        { S::Delete, 51, "Backspace", u"\u232B", Qt::Key_Backspace },
        { S::DeleteForward, 117, "Delete", u"\u2326", Qt::Key_Delete },
        { S::End, 119, "End", u"\u2198", Qt::Key_End },
        { S::Escape, 53, "Esc", u"\u238B", Qt::Key_Escape },
        // PC keyboards have Insert where the Help key was.
        { S::Help, 114, "Insert", u"?\u20DD", Qt::Key_Insert },
        { S::Home, 115, "Home", u"\u2196", Qt::Key_Home },
        { S::Space, 49, "", u" ", Qt::Key_Space },
        { S::Tab, 48, "Tab", u"\u21E5", Qt::Key_Tab },
        { S::PageUp, 116, "Page Up", u"\u21DE", Qt::Key_PageUp },
        { S::PageDown, 121, "Page Down", u"\u21DF", Qt::Key_PageDown },
        { S::UpArrow, 126, "Up", u"\u2191", Qt::Key_Up },
        { S::RightArrow, 124, "Right", u"\u2192", Qt::Key_Right },
        { S::DownArrow, 125, "Down", u"\u2193", Qt::Key_Down },
        { S::LeftArrow, 123, "Left", u"\u2190", Qt::Key_Left },
        { S::F1, 122, "F1", u"\uF704", Qt::Key_F1 },
        { S::F2, 120, "F2", u"\uF705", Qt::Key_F2 },
        { S::F3, 99, "F3", u"\uF706", Qt::Key_F3 },
        { S::F4, 118, "F4", u"\uF707", Qt::Key_F4 },
        { S::F5, 96, "F5", u"\uF708", Qt::Key_F5 },
        { S::F6, 97, "F6", u"\uF709", Qt::Key_F6 },
        { S::F7, 98, "F7", u"\uF70A", Qt::Key_F7 },
        { S::F8, 100, "F8", u"\uF70B", Qt::Key_F8 },
        { S::F9, 101, "F9", u"\uF70C", Qt::Key_F9 },
        { S::F10, 109, "F10", u"\uF70D", Qt::Key_F10 },
        { S::F11, 103, "F11", u"\uF70E", Qt::Key_F11 },
        { S::F12, 111, "F12", u"\uF70F", Qt::Key_F12 },
        { S::F13, 105, "F13", u"\uF710", Qt::Key_F13 },
        { S::F14, 107, "F14", u"\uF711", Qt::Key_F14 },
        { S::F15, 113, "F15", u"\uF712", Qt::Key_F15 },
        { S::F16, 106, "F16", u"\uF713", Qt::Key_F16 },
        { S::F17, 64, "F17", u"\uF714", Qt::Key_F17 },
        { S::F18, 79, "F18", u"\uF715", Qt::Key_F18 },
        { S::F19, 80, "F19", u"\uF716", Qt::Key_F19 },
        { S::F20, 90, "F20", u"\uF717", Qt::Key_F20 },
        { S::Keypad0, 82, "Keypad 0", nullptr, Qt::Key_unknown },
        { S::Keypad1, 83, "Keypad 1", nullptr, Qt::Key_unknown },
        { S::Keypad2, 84, "Keypad 2", nullptr, Qt::Key_unknown },
        { S::Keypad3, 85, "Keypad 3", nullptr, Qt::Key_unknown },
        { S::Keypad4, 86, "Keypad 4", nullptr, Qt::Key_unknown },
        { S::Keypad5, 87, "Keypad 5", nullptr, Qt::Key_unknown },
        { S::Keypad6, 88, "Keypad 6", nullptr, Qt::Key_unknown },
        { S::Keypad7, 89, "Keypad 7", nullptr, Qt::Key_unknown },
        { S::Keypad8, 91, "Keypad 8", nullptr, Qt::Key_unknown },
        { S::Keypad9, 92, "Keypad 9", nullptr, Qt::Key_unknown },
        { S::KeypadClear, 71, "Keypad Clear", nullptr, Qt::Key_unknown },
        { S::KeypadDecimal, 65, "Keypad .", nullptr, Qt::Key_unknown },
        { S::KeypadDivide, 75, "Keypad /", nullptr, Qt::Key_unknown },
        { S::KeypadEnter, 76, "Keypad Enter", nullptr, Qt::Key_unknown },
        { S::KeypadEquals, 81, "Keypad =", nullptr, Qt::Key_unknown },
        { S::KeypadMinus, 78, "Keypad -", nullptr, Qt::Key_unknown },
        { S::KeypadMultiply, 67, "Keypad *", nullptr, Qt::Key_unknown },
        { S::KeypadPlus, 69, "Keypad +", nullptr, Qt::Key_unknown },
    };
    return table;
}

const SpecialKeyInfo *specialKey(qint64 keyCode)
{
    static const QHash<qint64, const SpecialKeyInfo *> byCode = [] {
        QHash<qint64, const SpecialKeyInfo *> map;
        for (const SpecialKeyInfo &info : specialKeys())
            map.insert(info.keyCode, &info);
        return map;
    }();
    return byCode.value(keyCode, nullptr);
}

const SpecialKeyInfo *specialKeyForQtKey(int qtKey)
{
    if (qtKey == Qt::Key_unknown)
        return nullptr;
    // Enter and Help are the same keys to a menu as Return and Insert.
    if (qtKey == Qt::Key_Enter)
        qtKey = Qt::Key_Return;
    else if (qtKey == Qt::Key_Help)
        qtKey = Qt::Key_Insert;
    else if (qtKey == Qt::Key_Backtab)
        qtKey = Qt::Key_Tab;
    for (const SpecialKeyInfo &info : specialKeys()) {
        if (info.qtKey == qtKey)
            return &info;
    }
    return nullptr;
}

} // namespace GlobalShortcuts
