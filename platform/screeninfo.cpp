#include "platform/screeninfo.h"

#include <QGuiApplication>
#include <QScreen>

ScreenInfo ScreenInfo::of(const QScreen &screen)
{
    return { screen.name(), screen.geometry(), screen.availableGeometry() };
}

std::optional<ScreenInfo> ScreenInfo::preferring(const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = QGuiApplication::screens().constFirst();
    if (!screen)
        return std::nullopt;
    return of(*screen);
}
