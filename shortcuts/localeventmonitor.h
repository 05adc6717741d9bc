#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>

namespace GlobalShortcuts {

// Watches the program's own events of some types, whichever widget they go to,
// while started: an application-wide event filter. The callback answers true to
// let an event through and false to swallow it. A monitor that watches key
// presses also takes every ShortcutOverride, so the program's own shortcuts
// don't fire while it holds the keyboard: the key comes to it as a key press.
// Destroying the monitor removes it. Main thread only.
class LocalEventMonitor final : public QObject
{
public:
    using Callback = std::function<bool(QEvent *event)>;

    LocalEventMonitor(QSet<QEvent::Type> events, Callback callback);
    ~LocalEventMonitor() override;

    // Returns the monitor, so that making and starting it can be one expression.
    LocalEventMonitor &start();
    void stop();
    bool isStarted() const { return m_started; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSet<QEvent::Type> m_events;
    Callback m_callback;
    bool m_started = false;

    bool isOnItsWayUp(const QObject *watched, const QEvent *event) const;

    // The event judged last and the object it was last seen at.
    const QEvent *m_lastEvent = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    QPointer<QObject> m_lastReceiver;
};

// The function keys (F1 to F35) that a recorder takes without modifiers.
bool isFunctionKey(int qtKey);

} // namespace GlobalShortcuts
