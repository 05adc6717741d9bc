#include "shortcuts/modifiers.h"

#include <array>
#include <utility>

namespace GlobalShortcuts {

namespace {

constexpr std::array<std::pair<ModifierFlag, qint64>, 5> carbonBits = { {
    { ModifierFlag::Command, CarbonModifier::command },
    { ModifierFlag::Shift, CarbonModifier::shift },
    { ModifierFlag::Option, CarbonModifier::option },
    { ModifierFlag::Control, CarbonModifier::control },
    { ModifierFlag::Function, CarbonModifier::function },
} };

constexpr std::array<std::pair<ModifierFlag, Qt::KeyboardModifier>, 5> qtBits = { {
    { ModifierFlag::Command, Qt::ControlModifier },
    { ModifierFlag::Shift, Qt::ShiftModifier },
    { ModifierFlag::Option, Qt::AltModifier },
    { ModifierFlag::Control, Qt::MetaModifier },
    { ModifierFlag::NumericPad, Qt::KeypadModifier },
} };

} // namespace

qint64 cocoaToCarbonModifiers(ModifierFlags flags)
{
    qint64 mask = 0;
    for (const auto &[flag, bit] : carbonBits) {
        if (flags.testFlag(flag))
            mask |= bit;
    }
    return mask;
}

ModifierFlags carbonToCocoaModifiers(qint64 carbonModifiers)
{
    ModifierFlags flags;
    for (const auto &[flag, bit] : carbonBits) {
        if (carbonModifiers & bit)
            flags |= flag;
    }
    return flags;
}

qint64 normalizedCarbonModifiers(qint64 carbonModifiers)
{
    return cocoaToCarbonModifiers(carbonToCocoaModifiers(carbonModifiers));
}

ModifierFlags modifierFlags(Qt::KeyboardModifiers modifiers)
{
    ModifierFlags flags;
    for (const auto &[flag, bit] : qtBits) {
        if (modifiers.testFlag(bit))
            flags |= flag;
    }
    return flags;
}

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags)
{
    Qt::KeyboardModifiers modifiers;
    for (const auto &[flag, bit] : qtBits) {
        if (flags.testFlag(flag))
            modifiers |= bit;
    }
    return modifiers;
}

QString modifierText(ModifierFlags flags)
{
    // The order people read on Linux desktops; Command shows as Ctrl, Control as Super.
    static const std::array<std::pair<ModifierFlag, const char *>, 5> names = { {
        { ModifierFlag::Command, "Ctrl+" },
        { ModifierFlag::Option, "Alt+" },
        { ModifierFlag::Shift, "Shift+" },
        { ModifierFlag::Control, "Super+" },
        { ModifierFlag::Function, "Fn+" },
    } };
    QString text;
    for (const auto &[flag, name] : names) {
        if (flags.testFlag(flag))
            text += QLatin1String(name);
    }
    return text;
}

} // namespace GlobalShortcuts
