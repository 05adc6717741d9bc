#include "gesture/screensnapshot.h"

#include <QGuiApplication>
#include <QScreen>

ScreenSnapshot::ScreenSnapshot(const QList<RootScreen> &screens)
{
    if (screens.isEmpty())
        return;
    const QRect &primary = screens.first().geometry;
    m_primaryBottom = double(primary.y()) + primary.height();
    m_screens.reserve(screens.size());
    for (const RootScreen &screen : screens) {
        const QRect &g = screen.geometry;
        m_screens.push_back({ screen.name,
            QRectF(g.x(), m_primaryBottom - (double(g.y()) + g.height()), g.width(), g.height()) });
    }
}

ScreenSnapshot ScreenSnapshot::ofDesktop()
{
    QList<RootScreen> result;
    QScreen *primary = QGuiApplication::primaryScreen();
    const auto add = [&result](QScreen *screen) {
        // Qt scales a screen's size but keeps its position on the root window;
        // the tap reports device pixels.
        const QRect g = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        result.append({ screen->name(), QRect(g.topLeft(), (QSizeF(g.size()) * ratio).toSize()) });
    };
    if (primary)
        add(primary);
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary)
            add(screen);
    }
    return ScreenSnapshot(result);
}
