#include "ui/statestore.h"

#include <algorithm>

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

void StateStore::setChangeHandler(std::function<void(quint64)> handler)
{
    m_notifier->changed = std::move(handler);
}

quint64 StateStore::typeSalt(const std::type_info &type)
{
    return quint64(type.hash_code()) * 0xff51afd7ed558ccdull;
}

StateStore::Entry &StateStore::visit(quint64 key)
{
    Entry &entry = m_entries[key];
    entry.visited = true;
    if (!m_frames.empty())
        m_visits.push_back(key);
    return entry;
}

void StateStore::drop(std::unordered_map<quint64, Entry>::iterator it)
{
    if (it->second.cancelled)
        it->second.cancelled->store(true);
    m_entries.erase(it);
}

StateStore::ResolveFrame StateStore::beginResolve()
{
    if (m_frames.empty())
        m_visits.clear();
    m_frames.push_back({ m_reads.size(), m_visits.size() });
    return m_frames.back();
}

StateStore::ResolveRecord StateStore::endResolve(const ResolveFrame &frame, bool wantVisits)
{
    ResolveRecord record;
    record.reads.assign(m_reads.begin() + qsizetype(frame.reads), m_reads.end());
    m_reads.resize(frame.reads);
    if (wantVisits) {
        record.visits.assign(m_visits.begin() + qsizetype(frame.visits), m_visits.end());
        std::sort(record.visits.begin(), record.visits.end());
        record.visits.erase(std::unique(record.visits.begin(), record.visits.end()), record.visits.end());
    }
    m_frames.pop_back();
    return record;
}

void StateStore::beginResolveAgain(const std::vector<quint64> &visits)
{
    for (quint64 key : visits) {
        if (auto it = m_entries.find(key); it != m_entries.end())
            it->second.visited = false;
    }
}

std::vector<quint64> StateStore::endResolveAgain(const std::vector<quint64> &visits)
{
    std::vector<quint64> dropped;
    for (quint64 key : visits) {
        auto it = m_entries.find(key);
        if (it == m_entries.end() || it->second.visited)
            continue;
        dropped.push_back(key);
        drop(it);
    }
    return dropped;
}

void StateStore::task(quint64 identity, const QVariant &id, std::function<void(TaskHandle)> work)
{
    Entry &entry = visit(identity ^ taskSalt);
    if (entry.cancelled && entry.taskId == id)
        return;
    if (entry.cancelled)
        entry.cancelled->store(true);
    entry.taskId = id;
    entry.cancelled = std::make_shared<std::atomic<bool>>(false);
    m_pendingTasks.emplace_back(TaskHandle(entry.cancelled), std::move(work));
}

void StateStore::releaseTasks()
{
    m_holdingTasks = false;
    startPending();
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
        drop(it++);
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
    if (m_holdingTasks)
        return;
    auto pending = std::move(m_pendingTasks);
    m_pendingTasks.clear();
    for (auto &[handle, work] : pending) {
        if (!handle.isCancelled())
            work(handle);
    }
}

} // namespace ui
