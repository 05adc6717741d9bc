#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The keyboard as the program's shortcuts see it. Keys are named by their key
// codes in the program's own numbering (the Carbon virtual key codes that the
// stored shortcuts keep, e.g. 40 for the key that types "k" on a US layout);
// the X keycodes and symbols behind them come from a keymap (the server's, or a
// built-in US one). Key codes outside 0..65535 name no key. Main thread only.
class KeyboardLayout
{
public:
    virtual ~KeyboardLayout() = default;

    // The X keycode of the key; nullopt when the keymap has no such key.
    virtual std::optional<quint32> xKeycode(qint64 keyCode) const = 0;

    // The key code of an X keycode; nullopt when the program has no number for it.
    virtual std::optional<qint64> keyCode(quint32 xKeycode) const = 0;

    // What the key types in the first layout group without modifiers; empty when
    // it types nothing (a modifier, a dead key, a key the keymap lacks).
    virtual QString text(qint64 keyCode) const = 0;
};
