#include "ui/shapingscope.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <vector>

namespace ui {

namespace {

std::atomic<quint64> lastScope { 0 };
std::atomic<quint64> lastThread { 0 };

struct Kept
{
    quint64 scope = 0; // the outermost scope's number, 0 outside any
    int depth = 0;
    std::vector<std::shared_ptr<void>> objects;
};

thread_local Kept kept;

} // namespace

ShapingScope::ShapingScope()
    : m_outermost(kept.depth++ == 0)
{
    if (m_outermost)
        kept.scope = ++lastScope;
}

ShapingScope::~ShapingScope()
{
    --kept.depth;
    if (!m_outermost)
        return;
    kept.scope = 0;
    // Freed here, while this thread's fonts still are.
    std::vector<std::shared_ptr<void>> objects = std::move(kept.objects);
    kept.objects.clear();
}

bool ShapingScope::keepsWithTexts()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

quint64 ShapingScope::threadNumber()
{
    thread_local const quint64 number = ++lastThread;
    return number;
}

quint64 ShapingScope::current()
{
    return kept.scope;
}

quint64 ShapingScope::hold(std::shared_ptr<void> object)
{
    // Without a scope it would outlive what it was shaped with, or leak.
    if (kept.scope == 0)
        qFatal("ShapingScope: text shaped on a worker thread outside any shaping scope");
    kept.objects.push_back(std::move(object));
    return kept.scope;
}

#if !defined(QT_NO_DEBUG) || defined(QUORVANE_THREAD_CHECKS)
void checkShapedHere(bool sameThread, const char *where)
{
    if (!sameThread)
        qFatal("%s: text shaped with another thread's fonts used on this thread", where);
}
#endif

} // namespace ui
