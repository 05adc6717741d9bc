#include "ui/threadshaped.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace ui {

// What one thread made for texts and still keeps, freed by that thread as it ends.
struct ThreadShapedSlot::Maker
{
    std::mutex mutex; // held while anyone frees what the thread made
    bool ended = false;
    Entry *first = nullptr;
    // What is bound to the thread (a document) and was let go of on another: freed
    // here the next time the thread keeps something, or as it ends.
    std::vector<std::pair<void *, Deleter>> orphans;

    void end();
};

struct ThreadShapedSlot::Entry
{
    std::shared_ptr<Maker> maker;
    void *object = nullptr;
    Deleter deleter = nullptr;
    bool boundToThread = false;
    bool linked = false;
    Entry *previous = nullptr;
    Entry *next = nullptr;
};

namespace {

std::atomic<quint64> lastThread { 0 };

thread_local ThreadShapedSlot::Maker *thisThreadsMaker = nullptr;

std::shared_ptr<ThreadShapedSlot::Maker> makerOfThisThread()
{
    thread_local std::shared_ptr<ThreadShapedSlot::Maker> maker;
    if (!maker) {
        maker = std::make_shared<ThreadShapedSlot::Maker>();
        thisThreadsMaker = maker.get();
        // Emitted on the thread as it ends, before Qt frees its fonts.
        QObject::connect(QThread::currentThread(), &QThread::finished, [maker = maker] { maker->end(); });
    }
    return maker;
}

} // namespace

void ThreadShapedSlot::Maker::end()
{
    std::vector<std::pair<void *, Deleter>> freed;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ended = true;
        for (Entry *entry = first; entry; entry = std::exchange(entry->next, nullptr)) {
            if (entry->object)
                freed.emplace_back(std::exchange(entry->object, nullptr), entry->deleter);
            entry->linked = false;
            entry->previous = nullptr;
        }
        first = nullptr;
        freed.insert(freed.end(), orphans.begin(), orphans.end());
        orphans.clear();
    }
    // Nobody else reaches them now.
    for (const auto &[object, deleter] : freed)
        deleter(object);
}

ThreadShapedSlot::ThreadShapedSlot() = default;

ThreadShapedSlot::~ThreadShapedSlot()
{
    reset();
}

void *ThreadShapedSlot::get() const
{
    return m_entry && m_entry->maker.get() == thisThreadsMaker ? m_entry->object : nullptr;
}

void *ThreadShapedSlot::keep(void *object, Deleter deleter, bool boundToThread)
{
    reset();
    auto entry = std::make_unique<Entry>();
    entry->maker = makerOfThisThread();
    entry->object = object;
    entry->deleter = deleter;
    entry->boundToThread = boundToThread;
    std::vector<std::pair<void *, Deleter>> orphans;
    {
        Maker &maker = *entry->maker;
        const std::lock_guard<std::mutex> lock(maker.mutex);
        entry->next = maker.first;
        if (maker.first)
            maker.first->previous = entry.get();
        maker.first = entry.get();
        entry->linked = true;
        orphans.swap(maker.orphans);
    }
    for (const auto &[orphan, free] : orphans)
        free(orphan);
    m_entry = std::move(entry);
    return object;
}

void ThreadShapedSlot::reset()
{
    if (!m_entry)
        return;
    Maker &maker = *m_entry->maker;
    {
        // Held while freeing: the maker cannot end, and free its fonts, meanwhile.
        const std::lock_guard<std::mutex> lock(maker.mutex);
        Entry &entry = *m_entry;
        if (entry.linked) {
            (entry.previous ? entry.previous->next : maker.first) = entry.next;
            if (entry.next)
                entry.next->previous = entry.previous;
            entry.linked = false;
        }
        if (void *object = std::exchange(entry.object, nullptr)) {
            if (entry.boundToThread && &maker != thisThreadsMaker)
                maker.orphans.emplace_back(object, entry.deleter);
            else
                entry.deleter(object);
        }
    }
    m_entry.reset();
}

bool ThreadShapedSlot::keepsWithTexts()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

quint64 ThreadShapedSlot::threadNumber()
{
    thread_local const quint64 number = ++lastThread;
    return number;
}

#if !defined(QT_NO_DEBUG) || defined(QUORVANE_THREAD_CHECKS)
void checkShapedHere(bool sameThread, const char *where)
{
    if (!sameThread)
        qFatal("%s: text shaped with another thread's fonts used on this thread", where);
}
#endif

} // namespace ui
