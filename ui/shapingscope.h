#pragma once

#include <QtGlobal>

#include <memory>

namespace ui {

// Where a thread keeps the text it shapes. Qt keeps fonts per thread: a text is shaped
// with the fonts of its thread, which that thread may be using at the same time and
// frees when it ends. So a text's lines are broken, measured and drawn only on the
// thread that shaped them, and none of them outlives that thread.
//
// The application's thread outlasts every text: a text keeps what it shapes there
// with itself. Any other thread (a worker laying a long note out, a helper measuring
// its share of a column, each of which may end once idle) keeps it in the outermost
// scope alive on it, and frees it there as that scope ends: the text shapes again
// the next time it is laid out there. Scopes nest; only the outermost one keeps.
// Freeing what a thread shaped only lets go of its fonts: any thread may do it while
// that one lives.
class ShapingScope
{
public:
    ShapingScope();
    ~ShapingScope();
    ShapingScope(const ShapingScope &) = delete;
    ShapingScope &operator=(const ShapingScope &) = delete;

    // True on the application's thread, where texts keep what they shape themselves.
    static bool keepsWithTexts();
    // This thread's number: no other thread, alive or to come, has it.
    static quint64 threadNumber();

    // What a text shaped on a thread other than the application's, kept by the scope
    // it was shaped in: found again only on that thread while that scope lives, and
    // never touched anywhere else (the object may be long gone).
    template<class T> class Handle
    {
    public:
        T *get() const { return m_scope != 0 && m_scope == current() ? m_object : nullptr; }
        // Hands `object` to the scope alive on this thread; there must be one.
        T &keep(std::unique_ptr<T> object)
        {
            T &kept = *object;
            m_scope = hold(std::shared_ptr<void>(std::move(object)));
            m_object = &kept;
            return kept;
        }

    private:
        quint64 m_scope = 0;
        T *m_object = nullptr;
    };

private:
    // The outermost scope alive on this thread (every scope of every thread has its
    // own number); none when 0.
    static quint64 current();
    static quint64 hold(std::shared_ptr<void> object);

    bool m_outermost;
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
