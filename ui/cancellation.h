#pragma once

#include <atomic>
#include <memory>

namespace ui {

// Lets long work on a worker thread (resolving and laying out a long document) be
// cut short: the work runs inside a Scope of its token, and the loops that can
// run long (resolving a view, measuring an element) ask isCurrentCancelled() and
// do no more once it answers true. What cut-short work makes is incomplete: the
// one who cancelled it throws it away. Copies share one flag; any thread.
class CancellationToken
{
public:
    CancellationToken();

    void cancel() const;
    // This token was cancelled, or every work was.
    bool isCancelled() const;

    // The program is ending: every work stops, also work started afterwards, so
    // that no worker holds up its end.
    static void cancelAll();
    static bool isAllCancelled();

    // While a scope lives, isCurrentCancelled() on its thread asks its token.
    class Scope
    {
    public:
        explicit Scope(const CancellationToken &token);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        const CancellationToken *m_previous;
    };
    // The token of this thread's innermost scope (or, outside any scope, the end
    // of every work) says stop.
    static bool isCurrentCancelled();
    // The token of this thread's innermost scope, to hand to helper threads; a
    // token never cancelled but by cancelAll() outside any scope.
    static CancellationToken current();

private:
    std::shared_ptr<std::atomic<bool>> m_cancelled;
};

} // namespace ui
