#pragma once

#include <QObject>

class KeyboardLayout;

// System-wide hot keys: a key with modifiers that reaches the program whichever
// window has the focus. Keys and modifiers are given in the program's own
// numbering (Carbon key codes and modifier masks: Command 0x100 = Ctrl, Shift
// 0x200, Option 0x800 = Alt, Control 0x1000 = Super, Function 0x20000); the
// backend translates them. A grab holds with Caps Lock and Num Lock on or off.
// Main thread only; the signals come on the main thread.
class HotKeyGrabber : public QObject
{
    Q_OBJECT
public:
    // grab()'s answer when the combination has no counterpart on this system: a
    // key code with no key, a Function modifier, or a key code outside 0..65535.
    static constexpr int cannotExpress = -1;
    // grab()'s answer when another program holds the combination (X's BadAccess).
    static constexpr int heldByAnotherClient = 10;

    using QObject::QObject;

    // 0 when the hot key is in place; otherwise the system's error code (or
    // cannotExpress), and nothing stays grabbed. Grabbing what is already
    // grabbed is harmless.
    virtual int grab(qint64 keyCode, qint64 carbonModifiers) = 0;
    // Releases the grab; nothing happens when there is none.
    virtual void ungrab(qint64 keyCode, qint64 carbonModifiers) = 0;

    // Whether another program holds the combination, asked without keeping
    // anything: heldByAnotherClient when one does, cannotExpress as for grab(),
    // else 0 (free, or grabbed by this grabber itself).
    virtual int probe(qint64 keyCode, qint64 carbonModifiers) = 0;

    // The layout the hot keys are translated with; nullptr when the backend has
    // none of its own (the built-in one applies).
    virtual KeyboardLayout *keyboardLayout() { return nullptr; }

Q_SIGNALS:
    // Once per press, however long the key is held (auto-repeat never repeats it).
    void pressed(qint64 keyCode, qint64 carbonModifiers);
    // When the grabbed key goes up, with the modifiers it was pressed with (they
    // may already be up by then).
    void released(qint64 keyCode, qint64 carbonModifiers);
    // A grab could not be taken again after the keyboard's keymap changed (its
    // key or a modifier went, or another program took the combination between):
    // it is no longer held. `status` is what grab() would answer.
    void lost(qint64 keyCode, qint64 carbonModifiers, int status);
};
