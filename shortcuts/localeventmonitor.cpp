#include "shortcuts/localeventmonitor.h"

#include <QCoreApplication>
#include <QInputEvent>

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
    // An application filter sees an event once per object it passes through
    // (a key press climbs from the focus widget to its window); judge it once.
    if (!m_events.contains(event->type()) || !watched->isWidgetType())
        return false;
    const auto *input = dynamic_cast<const QInputEvent *>(event);
    const Seen seen { event, event->type(), input ? input->timestamp() : 0 };
    if (seen == m_lastSeen)
        return false; // let through once already; this is its way up to the parents
    m_lastSeen = seen;
    return !m_callback(event);
}

bool isFunctionKey(int qtKey)
{
    return qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35;
}

} // namespace GlobalShortcuts
