#include "platform/fake/fakescrolltap.h"

#include <chrono>

bool FakeScrollTap::install()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_holdInstall; });
    m_installed = !m_failInstall;
    return m_installed;
}

void FakeScrollTap::run(const Handler &handler)
{
    std::unique_lock lock(m_mutex);
    m_handler = handler;
    m_running = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_interrupted && !m_ignoreInterrupts; });
    m_running = false;
    m_returned = true;
    m_handler = nullptr;
    m_changed.notify_all();
}

void FakeScrollTap::interrupt()
{
    std::lock_guard lock(m_mutex);
    m_interrupted = true;
    m_changed.notify_all();
}

void FakeScrollTap::setEnabled(bool enabled)
{
    std::lock_guard lock(m_mutex);
    m_enabled = enabled;
}

bool FakeScrollTap::isEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

bool FakeScrollTap::canSwallow() const
{
    std::lock_guard lock(m_mutex);
    return m_installed && !m_observeOnly && !m_abandoned;
}

void FakeScrollTap::abandon()
{
    std::lock_guard lock(m_mutex);
    m_abandoned = true;
}

std::optional<bool> FakeScrollTap::scroll(const ScrollEvent &event)
{
    Handler handler;
    bool swallows = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_running || !m_enabled || m_abandoned)
            return std::nullopt;
        handler = m_handler;
        swallows = !m_observeOnly;
    }
    // Called unlocked, as the real tap thread calls it.
    const bool answer = handler(event);
    return swallows && answer;
}

void FakeScrollTap::failInstall()
{
    std::lock_guard lock(m_mutex);
    m_failInstall = true;
}

void FakeScrollTap::observeOnly()
{
    std::lock_guard lock(m_mutex);
    m_observeOnly = true;
}

void FakeScrollTap::holdInstall()
{
    std::lock_guard lock(m_mutex);
    m_holdInstall = true;
}

void FakeScrollTap::releaseInstall()
{
    std::lock_guard lock(m_mutex);
    m_holdInstall = false;
    m_changed.notify_all();
}

void FakeScrollTap::ignoreInterrupts()
{
    std::lock_guard lock(m_mutex);
    m_ignoreInterrupts = true;
}

void FakeScrollTap::releaseRun()
{
    std::lock_guard lock(m_mutex);
    m_ignoreInterrupts = false;
    m_changed.notify_all();
}

bool FakeScrollTap::waitUntilRunning(int milliseconds)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_running; });
}

bool FakeScrollTap::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool FakeScrollTap::hasReturned() const
{
    std::lock_guard lock(m_mutex);
    return m_returned;
}

bool FakeScrollTap::wasAbandoned() const
{
    std::lock_guard lock(m_mutex);
    return m_abandoned;
}

std::shared_ptr<ScrollTap> FakeScrollTapFactory::create()
{
    if (m_failCreate)
        return nullptr;
    ++m_created;
    last = next;
    next = std::make_shared<FakeScrollTap>();
    return last;
}
