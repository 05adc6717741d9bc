#include "ui/statestore.h"

namespace ui {

namespace {
constexpr quint64 taskSalt = 0x9e3779b97f4a7c15ull;
}

StateStore::StateStore()
    : m_notifier(std::make_shared<detail::StateNotifier>())
{ }

StateStore::~StateStore()
{
    for (auto &[key, entry] : m_entries) {
        if (entry.cancelled)
            entry.cancelled->store(true);
    }
}

void StateStore::setChangeHandler(std::function<void()> handler)
{
    m_notifier->changed = std::move(handler);
}

quint64 StateStore::typeSalt(const std::type_info &type)
{
    return quint64(type.hash_code()) * 0xff51afd7ed558ccdull;
}

void StateStore::task(quint64 identity, const QVariant &id, std::function<void(TaskHandle)> work)
{
    Entry &entry = m_entries[identity ^ taskSalt];
    entry.visited = true;
    if (entry.cancelled && entry.taskId == id)
        return;
    if (entry.cancelled)
        entry.cancelled->store(true);
    entry.taskId = id;
    entry.cancelled = std::make_shared<std::atomic<bool>>(false);
    m_pendingTasks.emplace_back(TaskHandle(entry.cancelled), std::move(work));
}

void StateStore::afterPass(std::function<void()> action)
{
    m_afterPass.push_back(std::move(action));
}

void StateStore::beginPass()
{
    for (auto &[key, entry] : m_entries)
        entry.visited = false;
}

void StateStore::endPass()
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.visited) {
            ++it;
            continue;
        }
        if (it->second.cancelled)
            it->second.cancelled->store(true);
        it = m_entries.erase(it);
    }
    startPending();
}

void StateStore::startPending()
{
    // Run only now: actions and work that finishes at once may write state, which
    // must not happen in the middle of a pass.
    auto actions = std::move(m_afterPass);
    m_afterPass.clear();
    for (const auto &action : actions)
        action();
    auto pending = std::move(m_pendingTasks);
    m_pendingTasks.clear();
    for (auto &[handle, work] : pending) {
        if (!handle.isCancelled())
            work(handle);
    }
}

} // namespace ui
