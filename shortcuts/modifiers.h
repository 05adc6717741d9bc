#pragma once

#include <QFlags>
#include <QString>
#include <QtGlobal>

// Modifier keys in the two forms the shortcut code meets. Stored shortcuts keep
// the Carbon mask (Command 0x100, Shift 0x200, Option 0x800, Control 0x1000,
// Function 0x20000); everything that compares or shows modifiers works on
// ModifierFlags, whose bits are those of the other mask the stored form grew up
// with. On this platform Command is Ctrl, Control is Super (Meta), Option is Alt.
namespace GlobalShortcuts {

namespace CarbonModifier {
constexpr qint64 command = 0x100;
constexpr qint64 shift = 0x200;
constexpr qint64 option = 0x800;
constexpr qint64 control = 0x1000;
constexpr qint64 function = 0x20000;
} // namespace CarbonModifier

enum class ModifierFlag : quint32 {
    CapsLock = 0x10000,
    Shift = 0x20000,
    Control = 0x40000,
    Option = 0x80000,
    Command = 0x100000,
    NumericPad = 0x200000,
    Help = 0x400000,
    Function = 0x800000,
};
Q_DECLARE_FLAGS(ModifierFlags, ModifierFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(ModifierFlags)

// Only Command, Shift, Option, Control and Function carry over; every other bit
// (Caps Lock, numeric pad, device-dependent bits) is dropped either way.
qint64 cocoaToCarbonModifiers(ModifierFlags flags);
ModifierFlags carbonToCocoaModifiers(qint64 carbonModifiers);

// The mask with only the five known bits, by way of the flags and back.
qint64 normalizedCarbonModifiers(qint64 carbonModifiers);

// Qt's modifiers (Ctrl = Command, Meta = Control, Alt = Option; the keypad
// modifier becomes NumericPad). Qt has no Function modifier.
ModifierFlags modifierFlags(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(ModifierFlags flags);

// "Ctrl+Alt+Shift+Super+Fn+" for the modifiers present, in that fixed order, each
// followed by "+"; empty for none. The prefix of a shortcut's description.
QString modifierText(ModifierFlags flags);

} // namespace GlobalShortcuts
