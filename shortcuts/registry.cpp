#include "shortcuts/registry.h"

#include "platform/defaults.h"
#include "platform/notificationcenter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QSet>

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
    if (const std::optional<Shortcut> stored = shortcut(name))
        unregisterHotKey(*stored);
}

void Registry::removeAllHandlers()
{
    for (const Shortcut &shortcut : shortcutsWithActions())
        unregisterHotKey(shortcut);
    m_keyDownActions.clear();
    m_keyUpActions.clear();
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
        shortcut, [this](const Shortcut &fired) { handleHotKeyEvent(fired, &Registry::m_keyDownActions); },
        [this](const Shortcut &fired) { handleHotKeyEvent(fired, &Registry::m_keyUpActions); });
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

QSet<Shortcut> Registry::shortcutsWithActions() const
{
    QSet<Shortcut> result;
    for (const ActionTable *table : { &m_keyDownActions, &m_keyUpActions }) {
        for (const auto &[name, actions] : *table) {
            if (const std::optional<Shortcut> stored = shortcut(name))
                result.insert(*stored);
        }
    }
    return result;
}

void Registry::handleHotKeyEvent(const Shortcut &fired, ActionTable Registry::*table)
{
    if (m_isRecordingShortcut)
        return;
    // A copy: actions may add or remove actions while they run.
    const ActionTable snapshot = this->*table;
    for (const auto &[name, actions] : snapshot) {
        if (shortcut(name) != fired)
            continue;
        for (const Action &action : actions)
            action();
    }
}

void Registry::postShortcutChange(const Name &name)
{
    m_notifications.post(shortcutByNameDidChange, { { QStringLiteral("name"), QVariant::fromValue(name) } });
}

} // namespace GlobalShortcuts
