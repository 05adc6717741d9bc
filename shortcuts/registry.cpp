#include "shortcuts/registry.h"

#include "platform/defaults.h"
#include "platform/mainqueue.h"
#include "platform/notificationcenter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QSet>

#include <algorithm>

namespace GlobalShortcuts {

namespace {

// Follows the program's menus opening and closing, anywhere in the program.
// Menus are counted as a set: closing a submenu leaves its parent open, and
// the program's keys are still the menus' until the last one closes.
class MenuObserver final : public QObject
{
public:
    explicit MenuObserver(std::function<void(bool)> onChange)
        : m_onChange(std::move(onChange))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show && qobject_cast<QMenu *>(watched) && !m_open.contains(watched)) {
            m_open.insert(watched);
            // A menu destroyed while open sends no Hide its type can be told by.
            connect(watched, &QObject::destroyed, this, [this](QObject *gone) { closed(gone); });
            if (m_open.size() == 1)
                m_onChange(true);
        } else if (type == QEvent::Hide) {
            closed(watched);
        }
        return false;
    }

private:
    void closed(QObject *menu)
    {
        if (!m_open.remove(menu))
            return;
        disconnect(menu, &QObject::destroyed, this, nullptr);
        if (m_open.isEmpty())
            m_onChange(false);
    }

    std::function<void(bool)> m_onChange;
    QSet<QObject *> m_open; // the menus on screen; only compared, never followed
};

} // namespace

Registry::Registry(Defaults &defaults, NotificationCenter &notifications, HotKeyGrabber &grabber)
    : m_defaults(defaults)
    , m_notifications(notifications)
    , m_hotKeys(grabber)
{
    m_hotKeys.setOnDropped([this](const Shortcut &shortcut) { m_registeredHotKeys.remove(shortcut); });
}

Registry::~Registry() = default;

void Registry::declare(const Name &name)
{
    if (const std::optional<Shortcut> fallback = name.defaultShortcut()) {
        if (!m_defaults.contains(name.defaultsKey()))
            storeShortcut(name, *fallback);
    }
    installMenuObservers();
}

void Registry::setEnabled(bool enabled)
{
    if (enabled == m_isEnabled)
        return;
    m_isEnabled = enabled;
    m_hotKeys.updateEventHandler(m_isEnabled, m_isMenuOpen);
}

std::optional<Shortcut> Registry::shortcut(const Name &name) const
{
    const std::optional<QString> stored = m_defaults.string(name.defaultsKey());
    if (!stored)
        return std::nullopt;
    return Shortcut::fromJson(stored->toUtf8());
}

void Registry::storeShortcut(const Name &name, const Shortcut &shortcut)
{
    const QString json = QString::fromUtf8(shortcut.toJson());
    if (const std::optional<Shortcut> old = this->shortcut(name))
        unregisterHotKey(*old);
    registerHotKey(shortcut);
    m_defaults.setString(name.defaultsKey(), json);
    postShortcutChange(name);
}

void Registry::setShortcut(const std::optional<Shortcut> &shortcut, const Name &name)
{
    if (shortcut) {
        storeShortcut(name, *shortcut);
        return;
    }
    const std::optional<Shortcut> old = this->shortcut(name);
    if (!old)
        return;
    // False keeps a cleared default from being written again at the next declare().
    if (name.defaultShortcut())
        m_defaults.setBoolean(name.defaultsKey(), false);
    else
        m_defaults.remove(name.defaultsKey());
    unregisterHotKey(*old);
    postShortcutChange(name);
}

void Registry::reset(const QList<Name> &names)
{
    for (const Name &name : names)
        setShortcut(name.defaultShortcut(), name);
}

void Registry::resetAll()
{
    QList<Name> names;
    for (const QString &key : m_defaults.keys()) {
        if (key.startsWith(Name::keyPrefix()))
            names.append(Name(key.mid(Name::keyPrefix().size())));
    }
    installMenuObservers();
    reset(names);
}

void Registry::addAction(ActionTable &table, const Name &name, Action action)
{
    for (auto &[existing, actions] : table) {
        if (existing == name) {
            actions.append(std::move(action));
            return;
        }
    }
    table.append({ name, { std::move(action) } });
}

void Registry::onKeyDown(const Name &name, Action action)
{
    addAction(m_keyDownActions, name, std::move(action));
    registerStoredShortcut(name);
}

void Registry::onKeyUp(const Name &name, Action action)
{
    addAction(m_keyUpActions, name, std::move(action));
    registerStoredShortcut(name);
}

void Registry::removeHandler(const Name &name)
{
    const auto isName = [&](const std::pair<Name, QList<Action>> &entry) { return entry.first == name; };
    m_keyDownActions.removeIf(isName);
    m_keyUpActions.removeIf(isName);
    // An open stream still needs the hot key; another Name's actions don't keep it.
    if (const std::optional<Shortcut> stored = shortcut(name);
        stored && !shortcutsWithStreams().contains(*stored))
        unregisterHotKey(*stored);
}

void Registry::removeAllHandlers()
{
    const QSet<Shortcut> kept = shortcutsWithStreams();
    for (const Shortcut &shortcut : shortcutsWithActions()) {
        if (!kept.contains(shortcut))
            unregisterHotKey(shortcut);
    }
    m_keyDownActions.clear();
    m_keyUpActions.clear();
}

EventStream Registry::events(const Name &name)
{
    auto state = std::make_shared<EventStream::State>();
    const QUuid id = QUuid::createUuid();
    const std::weak_ptr<EventStream::State> weak = state;
    const auto sink = [weak](EventType type) {
        return [weak, type] {
            if (const std::shared_ptr<EventStream::State> stream = weak.lock())
                stream->yield(type);
        };
    };
    QPointer<Registry> self(this);
    // Both on the main queue, in this order: a removal never runs before its addition.
    MainQueue::async([self, name, id, down = sink(EventType::KeyDown), up = sink(EventType::KeyUp)] {
        if (self)
            self->addStream(name, id, down, up);
    });
    state->scheduleRemoval = [self, name, id] {
        MainQueue::async([self, name, id] {
            if (self)
                self->removeStream(name, id);
        });
    };
    return EventStream(std::move(state));
}

EventStream Registry::events(EventType type, const Name &name)
{
    EventStream stream = events(name);
    stream.m_state->filter = type;
    return stream;
}

void Registry::addStream(const Name &name, const QUuid &id, Sink keyDown, Sink keyUp)
{
    for (auto [table, sink] :
        { std::pair { &m_keyDownStreams, &keyDown }, std::pair { &m_keyUpStreams, &keyUp } }) {
        auto entry
            = std::find_if(table->begin(), table->end(), [&](const auto &e) { return e.first == name; });
        if (entry == table->end())
            entry = table->insert(table->end(), { name, {} });
        entry->second.append({ id, std::move(*sink) });
    }
    registerStoredShortcut(name);
}

void Registry::removeStream(const Name &name, const QUuid &id)
{
    for (StreamTable *table : { &m_keyDownStreams, &m_keyUpStreams }) {
        for (auto entry = table->begin(); entry != table->end(); ++entry) {
            if (entry->first != name)
                continue;
            entry->second.removeIf([&](const std::pair<QUuid, Sink> &sink) { return sink.first == id; });
            if (entry->second.isEmpty())
                table->erase(entry);
            break;
        }
    }
    const std::optional<Shortcut> stored = shortcut(name);
    if (stored && !shortcutsWithActions().contains(*stored) && !shortcutsWithStreams().contains(*stored))
        unregisterHotKey(*stored);
}

void Registry::enable(const QList<Name> &names)
{
    for (const Name &name : names)
        registerStoredShortcut(name);
}

void Registry::disable(const QList<Name> &names)
{
    for (const Name &name : names) {
        if (const std::optional<Shortcut> stored = shortcut(name))
            unregisterHotKey(*stored);
    }
}

bool Registry::isEnabled(const Name &name) const
{
    if (!m_isEnabled)
        return false;
    const std::optional<Shortcut> stored = shortcut(name);
    return stored && m_registeredHotKeys.contains(*stored);
}

void Registry::installMenuObservers()
{
    if (m_menuObserver || !QCoreApplication::instance())
        return;
    m_menuObserver = std::make_unique<MenuObserver>([this](bool open) { setMenuOpen(open); });
}

void Registry::setMenuOpen(bool open)
{
    if (open == m_isMenuOpen)
        return;
    m_isMenuOpen = open;
    m_hotKeys.updateEventHandler(m_isEnabled, m_isMenuOpen);
}

void Registry::registerHotKey(const Shortcut &shortcut)
{
    if (m_registeredHotKeys.contains(shortcut))
        return;
    const bool accepted = m_hotKeys.registerHotKey(
        shortcut,
        [this](const Shortcut &fired) {
            handleHotKeyEvent(fired, &Registry::m_keyDownActions, &Registry::m_keyDownStreams);
        },
        [this](const Shortcut &fired) {
            handleHotKeyEvent(fired, &Registry::m_keyUpActions, &Registry::m_keyUpStreams);
        });
    if (accepted)
        m_registeredHotKeys.insert(shortcut);
}

void Registry::unregisterHotKey(const Shortcut &shortcut)
{
    m_hotKeys.unregisterHotKey(shortcut);
    m_registeredHotKeys.remove(shortcut);
}

void Registry::registerStoredShortcut(const Name &name)
{
    if (const std::optional<Shortcut> stored = shortcut(name))
        registerHotKey(*stored);
}

namespace {

template<class Table>
QSet<Shortcut> shortcutsOf(const Registry &registry, std::initializer_list<const Table *> tables)
{
    QSet<Shortcut> result;
    for (const Table *table : tables) {
        for (const auto &entry : *table) {
            if (const std::optional<Shortcut> stored = registry.shortcut(entry.first))
                result.insert(*stored);
        }
    }
    return result;
}

} // namespace

QSet<Shortcut> Registry::shortcutsWithActions() const
{
    return shortcutsOf<ActionTable>(*this, { &m_keyDownActions, &m_keyUpActions });
}

QSet<Shortcut> Registry::shortcutsWithStreams() const
{
    return shortcutsOf<StreamTable>(*this, { &m_keyDownStreams, &m_keyUpStreams });
}

void Registry::handleHotKeyEvent(
    const Shortcut &fired, ActionTable Registry::*actions, StreamTable Registry::*streams)
{
    if (m_isRecordingShortcut)
        return;
    // Copies: actions and sinks may add or remove others while they run.
    const ActionTable actionSnapshot = this->*actions;
    for (const auto &[name, list] : actionSnapshot) {
        if (shortcut(name) != fired)
            continue;
        for (const Action &action : list)
            action();
    }
    // Read only now, after every action ran.
    const StreamTable streamSnapshot = this->*streams;
    for (const auto &[name, sinks] : streamSnapshot) {
        if (shortcut(name) != fired)
            continue;
        for (const auto &[id, sink] : sinks)
            sink();
    }
}

void Registry::postShortcutChange(const Name &name)
{
    m_notifications.post(shortcutByNameDidChange, { { QStringLiteral("name"), QVariant::fromValue(name) } });
}

bool isShortcutChangeOf(const Notification &notification, const Name &name)
{
    const QVariant changed = notification.userInfo.value(QStringLiteral("name"));
    return changed.metaType() == QMetaType::fromType<Name>() && changed.value<Name>() == name;
}

} // namespace GlobalShortcuts
