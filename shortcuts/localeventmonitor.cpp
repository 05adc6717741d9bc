#include "shortcuts/localeventmonitor.h"

#include <QCoreApplication>

namespace GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(QSet<QEvent::Type> events, Callback callback)
    : m_events(std::move(events))
    , m_callback(std::move(callback))
{ }

LocalEventMonitor::~LocalEventMonitor()
{
    stop();
}

LocalEventMonitor &LocalEventMonitor::start()
{
    if (!m_started && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_started = true;
    }
    return *this;
}

void LocalEventMonitor::stop()
{
    if (m_started && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_started = false;
}

bool LocalEventMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // Qt asks with ShortcutOverride before a key press whether the focus wants
    // the key itself; accepting it keeps the program's shortcuts from firing.
    if (event->type() == QEvent::ShortcutOverride && m_events.contains(QEvent::KeyPress)) {
        event->accept();
        return true;
    }
    if (!m_events.contains(event->type()) || !watched->isWidgetType())
        return false;
    const bool judged = isOnItsWayUp(watched, event);
    m_lastEvent = event;
    m_lastType = event->type();
    m_lastReceiver = watched;
    if (judged)
        return false; // let through once already
    if (m_callback(event))
        return false;
    // Accepted, so that Qt doesn't offer the swallowed event to the parents in turn.
    event->accept();
    return true;
}

bool LocalEventMonitor::isOnItsWayUp(const QObject *watched, const QEvent *event) const
{
    // An application filter sees an event once per object it passes through: a
    // key press climbs from the focus widget to its window. Qt builds events on
    // the stack, so a new one can have the last one's address; only a visit to
    // an ancestor of where the last one was seen is that one climbing.
    if (event != m_lastEvent || event->type() != m_lastType || !m_lastReceiver)
        return false;
    for (const QObject *up = m_lastReceiver->parent(); up; up = up->parent()) {
        if (up == watched)
            return true;
    }
    return false;
}

bool isFunctionKey(int qtKey)
{
    return qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35;
}

} // namespace GlobalShortcuts
