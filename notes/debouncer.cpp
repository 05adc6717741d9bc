#include "notes/debouncer.h"

#include "platform/mainqueue.h"

#include <atomic>

// The queued timer and the debouncer share one item; whoever claims it first
// (the deadline, a flush, or a cancel) decides, so an action can't run twice.
struct Debouncer::WorkItem
{
    enum State { Pending, Claimed };

    explicit WorkItem(Action action)
        : action(std::move(action))
    { }

    bool claim()
    {
        int expected = Pending;
        return state.compare_exchange_strong(expected, Claimed);
    }

    void runIfPending()
    {
        if (claim())
            action();
    }

    const Action action;
    std::atomic<int> state { Pending };
};

Debouncer::Debouncer(std::chrono::milliseconds delay)
    : m_delay(delay)
{ }

void Debouncer::schedule(Action action)
{
    auto item = std::make_shared<WorkItem>(std::move(action));
    {
        QMutexLocker locker(&m_lock);
        if (m_workItem)
            m_workItem->claim();
        m_workItem = item;
    }
    if (MainQueue::isMainThread()) {
        MainQueue::asyncAfter(m_delay, [item] { item->runIfPending(); });
        return;
    }
    // Off the main thread the timer can only start once the main loop gets the
    // request; keep the deadline measured from this call.
    const auto deadline = std::chrono::steady_clock::now() + m_delay;
    MainQueue::async([item, deadline] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        MainQueue::asyncAfter(std::max(left, std::chrono::milliseconds(0)), [item] { item->runIfPending(); });
    });
}

void Debouncer::cancel()
{
    QMutexLocker locker(&m_lock);
    if (m_workItem)
        m_workItem->claim();
    m_workItem.reset();
}

void Debouncer::flush()
{
    std::shared_ptr<WorkItem> item;
    {
        QMutexLocker locker(&m_lock);
        item.swap(m_workItem);
    }
    if (item)
        item->runIfPending();
}

bool Debouncer::isPending() const
{
    QMutexLocker locker(&m_lock);
    return m_workItem && m_workItem->state.load() == WorkItem::Pending;
}
