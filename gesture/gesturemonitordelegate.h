#pragma once

class QScreen;

// Receives what the pull-down asks for, always on the main thread. The
// application decides whether a request still makes sense (a show while the
// panel is already up or moving is dropped there).
class GestureMonitorDelegate
{
public:
    // `screen` is the screen the gesture was made on (the primary screen when
    // that one has gone); never null.
    virtual void requestShow(QScreen *screen) = 0;
    virtual void requestHide() = 0;

protected:
    ~GestureMonitorDelegate() = default;
};
