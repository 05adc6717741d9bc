#pragma once

#include "shortcuts/key.h"
#include "shortcuts/menuitem.h"
#include "shortcuts/modifiers.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QKeySequence>
#include <QString>

#include <optional>

class KeyboardLayout;
class QKeyEvent;

namespace GlobalShortcuts {

// The layout that descriptions, key characters and menu matching read: the X
// server's once the program has set it, else a built-in US layout. It is asked
// afresh at every call, so a layout switch shows at once. Main thread only.
KeyboardLayout &keyboardLayout();
// The layout must outlive its use; nullptr goes back to the built-in US layout.
void setKeyboardLayout(KeyboardLayout *layout);

// The character the key types without modifiers in the layout; nullopt for the
// special keys, for key codes outside 0..65535, and for keys that type nothing
// or more than one character.
std::optional<QString> keyToCharacter(qint64 keyCode, const KeyboardLayout &layout = keyboardLayout());

bool isSpecialKey(qint64 keyCode);

// One key with modifiers: the value that the stored settings, the hot keys and
// the recorder pass around, in the Carbon numbering (key code 40 with modifiers
// 0x300 is Ctrl+Shift+K). Any integers are kept; a key code with no key on this
// keyboard simply never fires and shows as U+FFFD.
class Shortcut
{
public:
    // Drops every modifier bit but the five known ones.
    Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers);
    Shortcut(Key key, ModifierFlags modifiers);

    // The shortcut of a key press or release (its X keycode read through the
    // layout); nullopt for other events and for keys the layout can't number.
    // Never carries Function, which Qt doesn't report.
    static std::optional<Shortcut> fromKeyEvent(
        const QKeyEvent &event, const KeyboardLayout &layout = keyboardLayout());

    // The stored form: one JSON object with the integers "carbonKeyCode" and
    // "carbonModifiers", other members ignored, values taken as they stand (not
    // normalised). nullopt for anything else: junk, a missing member, a member
    // that isn't a whole number in 64 bits.
    static std::optional<Shortcut> fromJson(const QByteArray &json);
    QByteArray toJson() const; // compact, "carbonKeyCode" first

    qint64 carbonKeyCode() const { return m_carbonKeyCode; }
    qint64 carbonModifiers() const { return m_carbonModifiers; }
    Key key() const { return Key(m_carbonKeyCode); }
    ModifierFlags modifiers() const { return carbonToCocoaModifiers(m_carbonModifiers); }

    // For people: "Ctrl+Shift+K", "Super+Alt+Space", "F12"; U+FFFD stands for a
    // key that types nothing in the layout.
    QString description(const KeyboardLayout &layout = keyboardLayout()) const;

    // The key equivalent a menu item on this shortcut carries (see MenuItem);
    // nullopt for the keypad keys and for keys that type nothing.
    std::optional<QString> menuItemKeyEquivalent(const KeyboardLayout &layout = keyboardLayout()) const;

    // The shortcut as a widget's or an action's own key sequence: the key the layout
    // types (or the special key) with the modifiers. nullopt for the keypad keys,
    // for keys that type nothing, and with Function, which Qt can't carry.
    std::optional<QKeySequence> keySequence(const KeyboardLayout &layout = keyboardLayout()) const;

    // The first item of the menu tree (depth first, in order) whose key
    // equivalent and modifiers are this shortcut's.
    std::optional<MenuItem> menuItemWithMatchingShortcut(
        const Menu &menu, const KeyboardLayout &layout = keyboardLayout()) const;

    friend bool operator==(const Shortcut &a, const Shortcut &b)
    {
        return a.m_carbonKeyCode == b.m_carbonKeyCode && a.m_carbonModifiers == b.m_carbonModifiers;
    }

private:
    struct Unnormalized
    {
    };
    Shortcut(Unnormalized, qint64 carbonKeyCode, qint64 carbonModifiers)
        : m_carbonKeyCode(carbonKeyCode)
        , m_carbonModifiers(carbonModifiers)
    { }

    qint64 m_carbonKeyCode;
    qint64 m_carbonModifiers;
};

inline size_t qHash(const Shortcut &shortcut, size_t seed = 0)
{
    return qHashMulti(seed, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

} // namespace GlobalShortcuts
