#include "app/appicon.h"

#include "tests/support/contrast.h"

#include <gtest/gtest.h>

namespace {

// The tray's colour is the desktop's: the icon must read on any of them, at 3:1 as
// a graphic that carries meaning.
TEST(TrayIcon, readsOnLightMiddleAndDarkTrays)
{
    const struct
    {
        const char *name;
        QColor tray;
    } trays[] = {
        { "white", Qt::white },
        { "lightGrey", QColor(0xe5, 0xe5, 0xea) },
        { "middleGrey", QColor(0x80, 0x80, 0x80) },
        { "darkGrey", QColor(0x26, 0x26, 0x28) },
        { "black", Qt::black },
    };
    for (const int size : { 16, 22, 32 }) {
        const QImage icon = trayIcon().pixmap(size).toImage();
        ASSERT_EQ(icon.width(), size);
        for (const auto &tray : trays) {
            SCOPED_TRACE(tray.name);
            EXPECT_GE(strongestContrast(icon, tray.tray), 3.0) << size;
        }
    }
}

} // namespace
