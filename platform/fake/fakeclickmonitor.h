#pragma once

#include "platform/globalclickmonitor.h"

// Presses happen only when a test calls press(), and only while started.
class FakeClickMonitor final : public GlobalClickMonitor
{
    Q_OBJECT
public:
    using GlobalClickMonitor::GlobalClickMonitor;

    bool start() override
    {
        ++m_starts;
        m_running = true;
        return true;
    }
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }

    void press(QPoint globalPosition)
    {
        if (m_running)
            Q_EMIT pressed(globalPosition);
    }
    int starts() const { return m_starts; }

private:
    bool m_running = false;
    int m_starts = 0;
};
