#include "platform/mainqueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace MainQueue {

void async(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void asyncAfter(std::chrono::milliseconds delay, std::function<void()> work, QObject *context)
{
    QObject *target = context ? context : QCoreApplication::instance();
    if (isMainThread()) {
        QTimer::singleShot(delay, target, std::move(work));
        return;
    }
    // A timer must be started on the thread that owns it.
    QPointer<QObject> guard(target);
    async([delay, work = std::move(work), guard]() mutable {
        if (guard)
            QTimer::singleShot(delay, guard.data(), std::move(work));
    });
}

bool isMainThread()
{
    const auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace MainQueue
