#pragma once

#include <QRect>
#include <QString>

#include <optional>

class QScreen;

// A screen as the panel needs it, as a plain value so that placement can be tested
// without a display. `geometry` is the whole screen and `availableGeometry` the part
// not taken by docks and top panels, both in Qt's global, top-left, y-down space.
struct ScreenInfo
{
    QString name;
    QRect geometry;
    QRect availableGeometry;

    // Height of the panel along the top edge (the top panel's part of the screen).
    int topBarHeight() const { return availableGeometry.top() - geometry.top(); }

    static ScreenInfo of(const QScreen &screen);
    // The given screen, else the primary one, else the first one; none without screens.
    static std::optional<ScreenInfo> preferring(const QScreen *screen);

    friend bool operator==(const ScreenInfo &, const ScreenInfo &) = default;
};
