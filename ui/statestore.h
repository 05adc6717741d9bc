#pragma once

#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace ui {

class StateStore;

namespace detail {
// Outlives the store for as long as a State handle does, so that a late write from an
// asynchronous callback after the view tree is gone is dropped instead of crashing.
struct StateNotifier
{
    std::function<void(quint64 key)> changed;
};
} // namespace detail

// A value kept by the host for one place in the view tree (its identity) across
// rebuilds. Writing it schedules a rebuild of the views that read it; handles may be
// copied into callbacks. Main thread only.
template<class T> class State
{
public:
    State() = default;
    State(std::shared_ptr<T> value, std::weak_ptr<detail::StateNotifier> notifier, quint64 key)
        : m_value(std::move(value))
        , m_notifier(std::move(notifier))
        , m_key(key)
    { }

    const T &value() const { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return m_value.get(); }

    // Writes without asking for a rebuild, for state that only moves what is drawn.
    void setWithoutRebuild(T value) const { *m_value = std::move(value); }

    void set(T value) const
    {
        *m_value = std::move(value);
        if (auto notifier = m_notifier.lock(); notifier && notifier->changed)
            notifier->changed(m_key);
    }

private:
    std::shared_ptr<T> m_value;
    std::weak_ptr<detail::StateNotifier> m_notifier;
    quint64 m_key = 0;
};

// Asynchronous work started for a place in the tree; cancelled when the place leaves
// the tree or the work's id changes. The work checks isCancelled() before it writes.
class TaskHandle
{
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<std::atomic<bool>> cancelled)
        : m_cancelled(std::move(cancelled))
    { }
    bool isCancelled() const { return !m_cancelled || m_cancelled->load(); }

private:
    std::shared_ptr<std::atomic<bool>> m_cancelled;
};

// Keeps state and tasks keyed by identity. A resolve pass visits what still exists;
// endPass() drops the rest (cancelling their tasks) and starts new tasks. While views
// are resolved the store also notes, per view, which state it read and which entries
// its subtree visited, so that a write resolves again only the views that read it.
class StateStore
{
public:
    StateStore();
    ~StateStore();
    StateStore(const StateStore &) = delete;
    StateStore &operator=(const StateStore &) = delete;

    // Called after a state write with the written entry's key; the owner schedules a
    // rebuild of what read it.
    void setChangeHandler(std::function<void(quint64 key)> handler);

    template<class T> State<T> state(quint64 identity, const T &initial)
    {
        const quint64 key = identity ^ typeSalt(typeid(T));
        Entry &entry = visit(key);
        if (!m_frames.empty())
            m_reads.push_back(key);
        if (!entry.box)
            entry.box = std::make_shared<T>(initial);
        return State<T>(std::static_pointer_cast<T>(entry.box), m_notifier, key);
    }

    // One view being resolved: what it reads itself, apart from what the views it
    // resolves inside read, and every entry visited until it ends.
    struct ResolveFrame
    {
        size_t reads;
        size_t visits;
    };
    struct ResolveRecord
    {
        std::vector<quint64> reads; // state read by the view itself
        std::vector<quint64> visits; // entries its subtree visited, sorted, unique
    };
    ResolveFrame beginResolve();
    // `wantVisits`: whether to collect the visited entries (only views that read state
    // or wrap one that did keep them).
    ResolveRecord endResolve(const ResolveFrame &frame, bool wantVisits);
    // Whether the view being ended read state itself.
    bool frameRead(const ResolveFrame &frame) const { return m_reads.size() > frame.reads; }

    // Resolving a subtree again: `visits` are the entries it visited last time. What
    // the new subtree does not visit again is dropped (tasks cancelled) at the end;
    // the dropped keys come back in the order of `visits` (sorted, when it is).
    void beginResolveAgain(const std::vector<quint64> &visits);
    std::vector<quint64> endResolveAgain(const std::vector<quint64> &visits);

    void task(quint64 identity, const QVariant &id, std::function<void(TaskHandle)> work);
    // Runs `action` when the current pass is over, before the tasks start.
    void afterPass(std::function<void()> action);

    void beginPass();
    // Drops what the pass did not visit, then starts what it asked for.
    void endPass();
    // Runs the actions and starts the tasks asked for outside a pass (content that a
    // geometry reader resolved during a layout of its own).
    void startPending();
    // A tree resolved away from the main thread keeps its tasks until it is shown: the
    // answers they write arrive on the main thread and must find the tree there.
    void holdTasks() { m_holdingTasks = true; }
    void releaseTasks();

    int stateCount() const { return int(m_entries.size()); }
    // Whether the entry of `key` belongs to the tree (was visited by the last pass).
    bool contains(quint64 key) const { return m_entries.count(key) > 0; }

private:
    struct Entry
    {
        std::shared_ptr<void> box;
        QVariant taskId;
        std::shared_ptr<std::atomic<bool>> cancelled;
        bool visited = false;
    };
    static quint64 typeSalt(const std::type_info &type);

    Entry &visit(quint64 key);
    void drop(std::unordered_map<quint64, Entry>::iterator it);

    std::unordered_map<quint64, Entry> m_entries;
    std::vector<ResolveFrame> m_frames;
    std::vector<quint64> m_reads; // direct reads of the open frames, innermost last
    std::vector<quint64> m_visits; // entries visited since the outermost frame began
    std::vector<std::pair<TaskHandle, std::function<void(TaskHandle)>>> m_pendingTasks;
    std::vector<std::function<void()>> m_afterPass;
    std::shared_ptr<detail::StateNotifier> m_notifier;
    bool m_holdingTasks = false;
};

} // namespace ui
