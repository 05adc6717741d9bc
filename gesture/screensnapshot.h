#pragma once

#include "gesture/gesturestatemachine.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>

#include <span>
#include <vector>

// The screens as the tap thread may see them. Only the main thread may ask Qt
// about screens, so it builds a snapshot whenever they change and the tap
// thread reads that, under the monitor's lock.
class ScreenSnapshot
{
public:
    // A screen on the root window: device pixels, y pointing down.
    struct RootScreen
    {
        QString name;
        QRect geometry;
    };

    ScreenSnapshot() = default;
    // `screens` in the desktop's order, the primary first.
    explicit ScreenSnapshot(const QList<RootScreen> &screens);

    // The application's screens now. Main thread.
    static ScreenSnapshot ofDesktop();

    // Frames in the recogniser's y-up space, whose origin is the primary
    // screen's bottom-left corner.
    std::span<const GestureScreen> screens() const { return m_screens; }

    // A root-window position in that y-up space.
    QPointF toDesktop(const QPointF &root) const { return { root.x(), m_primaryBottom - root.y() }; }

private:
    std::vector<GestureScreen> m_screens;
    double m_primaryBottom = 0;
};
