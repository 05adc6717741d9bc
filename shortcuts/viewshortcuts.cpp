#include "shortcuts/viewshortcuts.h"

#include "platform/notificationcenter.h"
#include "shortcuts/recordercocoa.h"
#include "shortcuts/registry.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace GlobalShortcuts {

namespace {

// Holds the stream while its widget is on screen.
class StreamWhileShown final : public QObject
{
public:
    StreamWhileShown(QWidget &widget, Registry &registry, const Name &name, std::optional<EventType> type,
        std::function<void(EventType)> action)
        : QObject(&widget)
        , m_registry(&registry)
        , m_name(name)
        , m_type(type)
        , m_action(std::move(action))
    {
        widget.installEventFilter(this);
        if (widget.isVisible())
            open();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            open();
        else if (event->type() == QEvent::Hide)
            m_stream.end();
        return false;
    }

private:
    void open()
    {
        if (m_stream.isOpen() || !m_registry)
            return;
        m_stream = m_type ? m_registry->events(*m_type, m_name) : m_registry->events(m_name);
        m_stream.setConsumer(m_action);
    }

    QPointer<Registry> m_registry;
    Name m_name;
    std::optional<EventType> m_type;
    std::function<void(EventType)> m_action;
    EventStream m_stream;
};

// Keeps a target's own key sequence on the Name's shortcut.
class LocalShortcut final : public QObject
{
public:
    using Apply = std::function<void(const QKeySequence &)>;

    LocalShortcut(QObject &target, Registry &registry, const Name &name, Apply apply)
        : QObject(&target)
        , m_registry(&registry)
        , m_name(name)
        , m_apply(std::move(apply))
    {
        NotificationCenter &center = registry.notifications();
        m_changes = center.addObserver(shortcutByNameDidChange, [this](const Notification &notification) {
            if (isShortcutChangeOf(notification, m_name))
                refresh();
        });
        m_recorders
            = center.addObserver(recorderActiveStatusDidChange, [this](const Notification &notification) {
                  const QVariant active = notification.userInfo.value(QStringLiteral("isActive"));
                  m_isRecorderActive = active.metaType() == QMetaType::fromType<bool>() && active.toBool();
                  refresh();
              });
        refresh();
    }

private:
    void refresh()
    {
        std::optional<QKeySequence> sequence;
        if (!m_isRecorderActive && m_registry) {
            if (const std::optional<Shortcut> stored = m_registry->shortcut(m_name))
                sequence = stored->keySequence();
        }
        m_apply(sequence.value_or(QKeySequence()));
    }

    QPointer<Registry> m_registry;
    Name m_name;
    Apply m_apply;
    bool m_isRecorderActive = false;
    NotificationToken m_changes;
    NotificationToken m_recorders;
};

} // namespace

void onKeyboardShortcut(
    QWidget &widget, Registry &registry, const Name &name, std::function<void(EventType)> action)
{
    new StreamWhileShown(widget, registry, name, std::nullopt, std::move(action));
}

void onKeyboardShortcut(
    QWidget &widget, Registry &registry, const Name &name, EventType type, std::function<void()> action)
{
    new StreamWhileShown(widget, registry, name, type, [action = std::move(action)](EventType) { action(); });
}

void globalKeyboardShortcut(QAbstractButton &button, Registry &registry, const Name &name)
{
    new LocalShortcut(
        button, registry, name, [&button](const QKeySequence &sequence) { button.setShortcut(sequence); });
}

void globalKeyboardShortcut(QAction &action, Registry &registry, const Name &name)
{
    new LocalShortcut(
        action, registry, name, [&action](const QKeySequence &sequence) { action.setShortcut(sequence); });
}

} // namespace GlobalShortcuts
