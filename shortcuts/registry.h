#pragma once

#include "shortcuts/carbonglobalshortcuts.h"
#include "shortcuts/eventstream.h"
#include "shortcuts/name.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <utility>

class Defaults;
class HotKeyGrabber;
class NotificationCenter;
struct Notification;

namespace GlobalShortcuts {

// Posted (user info "name": the Name) whenever a Name's stored shortcut changes.
inline const QString shortcutByNameDidChange = QStringLiteral("GlobalShortcuts_shortcutByNameDidChange");
// Whether such a notification tells of `name`'s shortcut.
bool isShortcutChangeOf(const Notification &notification, const Name &name);

// The named global shortcuts: one stored shortcut per Name in the settings
// ("GlobalShortcuts_<name>": the shortcut's JSON as a string, or false for a
// default the user cleared), the actions attached to each Name's press and
// release, and the hot keys that make them fire. When a hot key fires, every
// Name whose stored shortcut it is runs its actions. A stored value is read
// afresh at every use; one that doesn't decode counts as no shortcut.
//
// A hot key the system refuses is not counted as registered: the Name reads
// as not enabled, and the next registration point tries again.
// Main thread only; the registry must outlive the grabber's signals it connects.
class Registry final : public QObject
{
public:
    using Action = std::function<void()>;

    Registry(Defaults &defaults, NotificationCenter &notifications, HotKeyGrabber &grabber);
    ~Registry() override;

    // Makes a Name known: a Name with a default gets it stored (and registered)
    // when its key is absent; any stored value, even false or junk, is left alone.
    void declare(const Name &name);

    // Master switch: while false nothing fires; registrations stay.
    bool isEnabled() const { return m_isEnabled; }
    void setEnabled(bool enabled);

    std::optional<Shortcut> shortcut(const Name &name) const;
    // A value stores it; none clears it (to false when the Name has a default).
    void setShortcut(const std::optional<Shortcut> &shortcut, const Name &name);
    void storeShortcut(const Name &name, const Shortcut &shortcut);
    void reset(const QList<Name> &names);
    // Every "GlobalShortcuts_" entry that decodes is removed (defaults come back
    // when their Names are declared again); false and junk entries stay.
    void resetAll();

    // Actions accumulate, in the order added; adding one registers the Name's shortcut.
    void onKeyDown(const Name &name, Action action);
    void onKeyUp(const Name &name, Action action);
    void removeHandler(const Name &name);
    void removeAllHandlers();

    // A stream of the Name's presses and releases (see EventStream); the typed one
    // lets only one kind through. While any stream of a Name is open its shortcut
    // stays registered, even when its actions are removed.
    EventStream events(const Name &name);
    EventStream events(EventType type, const Name &name);

    void enable(const QList<Name> &names);
    void disable(const QList<Name> &names);
    // True when the Name's stored shortcut is registered and the switch is on.
    bool isEnabled(const Name &name) const;

    // While a recorder records, nothing fires.
    bool isRecordingShortcut() const { return m_isRecordingShortcut; }
    void setRecordingShortcut(bool recording) { m_isRecordingShortcut = recording; }

    // True while one of the program's menus is open.
    bool isMenuOpen() const { return m_isMenuOpen; }

    QSet<Shortcut> registeredHotKeys() const { return m_registeredHotKeys; }
    CarbonGlobalShortcuts &hotKeys() { return m_hotKeys; }
    // Where the change of a Name's shortcut is posted.
    NotificationCenter &notifications() const { return m_notifications; }

private:
    using ActionTable = QList<std::pair<Name, QList<Action>>>;
    // Each open stream's sink under its id, in the order the streams were opened.
    using Sink = std::function<void()>;
    using StreamTable = QList<std::pair<Name, QList<std::pair<QUuid, Sink>>>>;

    void installMenuObservers();
    void setMenuOpen(bool open);
    void registerHotKey(const Shortcut &shortcut);
    void unregisterHotKey(const Shortcut &shortcut);
    void registerStoredShortcut(const Name &name);
    QSet<Shortcut> shortcutsWithActions() const;
    QSet<Shortcut> shortcutsWithStreams() const;
    void addStream(const Name &name, const QUuid &id, Sink keyDown, Sink keyUp);
    void removeStream(const Name &name, const QUuid &id);
    void handleHotKeyEvent(
        const Shortcut &fired, ActionTable Registry::*actions, StreamTable Registry::*streams);
    void postShortcutChange(const Name &name);
    static void addAction(ActionTable &table, const Name &name, Action action);

    Defaults &m_defaults;
    NotificationCenter &m_notifications;
    CarbonGlobalShortcuts m_hotKeys;
    bool m_isEnabled = true;
    bool m_isMenuOpen = false;
    bool m_isRecordingShortcut = false;
    QSet<Shortcut> m_registeredHotKeys;
    ActionTable m_keyDownActions;
    ActionTable m_keyUpActions;
    StreamTable m_keyDownStreams;
    StreamTable m_keyUpStreams;
    std::unique_ptr<QObject> m_menuObserver;
};

} // namespace GlobalShortcuts

Q_DECLARE_METATYPE(GlobalShortcuts::Name)
