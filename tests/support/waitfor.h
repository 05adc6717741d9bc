#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <chrono>
#include <functional>

// Runs the event loop until `condition` holds or the deadline passes; returns
// whether it held. Tests wait on what they expect, never for a fixed time.
inline bool waitFor(const std::function<bool()> &condition,
    std::chrono::milliseconds deadline = std::chrono::milliseconds(5000))
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > deadline.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for `span`: only for checking that something does NOT
// happen after what the test waited for already happened.
inline void runEventsFor(std::chrono::milliseconds span)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < span.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}
