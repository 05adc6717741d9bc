#pragma once

#include <QMutex>

#include <chrono>
#include <functional>
#include <memory>

// A trailing-edge debouncer: each schedule() drops the action still pending and
// arms the new one to run once, `delay` after this call, on the main thread.
// A burst of calls therefore runs only its last action, `delay` after the last.
//
// Each scheduled action runs at most once: at its deadline, or earlier at a
// flush() (then on the caller's thread); never after a cancel(). Destroying the
// debouncer does not cancel: an action already armed still runs at its deadline,
// so owners that die first cancel() or guard their action.
//
// schedule, cancel and flush may be called from any thread; only the exchange of
// the pending item is locked, never the running of an action.
class Debouncer
{
public:
    using Action = std::function<void()>;

    explicit Debouncer(std::chrono::milliseconds delay);
    Debouncer(const Debouncer &) = delete;
    Debouncer &operator=(const Debouncer &) = delete;

    std::chrono::milliseconds delay() const { return m_delay; }

    void schedule(Action action);
    void cancel();
    void flush();

    // True while an action is armed and has neither run nor been cancelled.
    bool isPending() const;

private:
    struct WorkItem;

    const std::chrono::milliseconds m_delay;
    mutable QMutex m_lock;
    std::shared_ptr<WorkItem> m_workItem;
};
