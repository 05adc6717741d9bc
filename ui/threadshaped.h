#pragma once

#include <QObject>
#include <QtGlobal>

#include <memory>
#include <type_traits>

namespace ui {

// Qt keeps fonts per thread: a text is shaped with the fonts of its thread, which that
// thread may be using at the same time and frees when it ends. So a text's lines are
// broken, measured and drawn only on the thread that shaped them, and none of them
// outlives that thread.
//
// The application's thread outlasts every text: a text keeps what it shapes there
// itself. What it shapes on another thread (a worker laying a long note out, a helper
// measuring its share of a column, any of which may end once idle) it keeps in a
// ThreadShaped: found again only on the thread that made it, and freed with the text,
// or by that thread as it ends, while its fonts still are, should it end first.
// Freeing what a thread shaped only lets go of that thread's fonts: any thread may do
// it while that one lives. A QObject (a document) is freed on its own thread only.
class ThreadShapedSlot
{
public:
    using Deleter = void (*)(void *);

    ThreadShapedSlot();
    ~ThreadShapedSlot();
    ThreadShapedSlot(const ThreadShapedSlot &) = delete;
    ThreadShapedSlot &operator=(const ThreadShapedSlot &) = delete;

    // What this thread made, or null.
    void *get() const;
    // Lets go of what another thread made and keeps `object`, made on this thread.
    void *keep(void *object, Deleter deleter, bool boundToThread);
    void reset();

    // True on the application's thread, where texts keep what they shape themselves.
    static bool keepsWithTexts();
    // This thread's number: no other thread, alive or to come, has it.
    static quint64 threadNumber();

    struct Entry;
    struct Maker;

private:
    std::unique_ptr<Entry> m_entry;
};

// A ThreadShapedSlot that holds objects of one type.
template<class T> class ThreadShaped
{
public:
    T *get() const { return static_cast<T *>(m_slot.get()); }
    T &keep(std::unique_ptr<T> object)
    {
        return *static_cast<T *>(m_slot.keep(
            object.release(), [](void *kept) { delete static_cast<T *>(kept); },
            std::is_base_of_v<QObject, T>));
    }

private:
    ThreadShapedSlot m_slot;
};

// Stops the program where thread checks are built in (debug builds, and every build
// that builds the tests) when `sameThread` is false: what one thread shaped was about
// to be used on another. `where` names the caller.
#if !defined(QT_NO_DEBUG) || defined(QUORVANE_THREAD_CHECKS)
void checkShapedHere(bool sameThread, const char *where);
#else
inline void checkShapedHere(bool, const char *)
{ }
#endif

} // namespace ui
