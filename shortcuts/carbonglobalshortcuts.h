#pragma once

#include "shortcuts/shortcut.h"

#include <QList>
#include <QObject>

#include <functional>
#include <map>
#include <memory>

class HotKeyGrabber;

namespace GlobalShortcuts {

class LocalEventMonitor;

// The hot-key layer under the registry, named for the key numbering it takes
// (the Carbon codes of the stored shortcuts). It hands each shortcut to the
// system's hot keys (HotKeyGrabber: X key grabs) and calls the registration's
// callbacks on press and release. It has three modes, chosen by the registry's
// two flags:
// - enabled, no menu open: the hot keys are grabbed and fire;
// - enabled, a menu of ours open: the menu holds the keyboard, so the grabs are
//   suspended and our own key events are matched instead (and kept from the menu);
// - disabled: suspended, nothing fires.
// Main thread only.
class CarbonGlobalShortcuts final : public QObject
{
public:
    using Callback = std::function<void(const Shortcut &)>;

    explicit CarbonGlobalShortcuts(HotKeyGrabber &grabber);
    ~CarbonGlobalShortcuts() override;

    // False when the system refused the hot key: then "Error registering hotkey
    // <description>: <code>" is printed on standard output (the X error code, 10
    // when another program holds it; -1 when X can't express it) and nothing is kept.
    bool registerHotKey(const Shortcut &shortcut, Callback onKeyDown, Callback onKeyUp);
    // Ends every registration of an equal shortcut; nothing happens when there is none.
    void unregisterHotKey(const Shortcut &shortcut);

    void updateEventHandler(bool isEnabled, bool isMenuOpen);

    // For the recorder's conflict check. X keeps no common list of the desktop's
    // shortcuts: a desktop or program that answers one holds a grab on it, so the
    // grab is tried, and released at once.
    bool isHeldByAnotherProgram(const Shortcut &shortcut) const;

    // Told when a registration was dropped because its grab could not be taken
    // again, on resuming after a menu or after a keymap change (the error line
    // has been printed).
    void setOnDropped(std::function<void(const Shortcut &)> onDropped) { m_onDropped = std::move(onDropped); }

    int registrationCount() const { return int(m_hotKeys.size()); }

private:
    struct HotKey
    {
        Shortcut shortcut;
        qint64 id;
        bool grabbed;
        Callback onKeyDown;
        Callback onKeyUp;
    };
    enum class Mode { HotKeys, MenuOpen, Disabled };

    void suspendAll();
    void notifyDropped(const QList<Shortcut> &dropped);
    void onPressed(qint64 keyCode, qint64 carbonModifiers);
    void onReleased(qint64 keyCode, qint64 carbonModifiers);
    void onLost(qint64 keyCode, qint64 carbonModifiers, int status);
    void fire(const Shortcut &fired, Callback HotKey::*callback);
    bool matchKeyEvent(QEvent *event);

    HotKeyGrabber &m_grabber;
    std::map<qint64, HotKey> m_hotKeys; // by id; ids are never reused
    qint64 m_hotKeyId = 0;
    Mode m_mode = Mode::HotKeys;
    std::unique_ptr<LocalEventMonitor> m_keyMonitor;
    std::function<void(const Shortcut &)> m_onDropped;
};

// Prints the line for a hot key the system refused, on standard output.
void printRegistrationError(const Shortcut &shortcut, int status);

} // namespace GlobalShortcuts
