#pragma once

#include <QObject>
#include <QPoint>

// Reports left and right mouse presses anywhere on the display, in other programs'
// windows too, while started. It only observes: the press still reaches its window.
// Main thread only; `pressed` is emitted on the main thread.
class GlobalClickMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // False when the display offers no way to observe presses (then nothing is ever
    // reported); starting twice is harmless.
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;

Q_SIGNALS:
    // `globalPosition` is the pointer in Qt's global (logical) coordinates.
    void pressed(QPoint globalPosition);
};
