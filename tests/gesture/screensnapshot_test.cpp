#include "gesture/screensnapshot.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenSnapshot, convertsRootPixelsToTheYUpSpaceOfThePrimary)
{
    // A primary that does not start at the root's origin, a taller screen to its
    // right that starts higher up, and one below the primary.
    const ScreenSnapshot snapshot({ { QStringLiteral("main"), QRect(1000, 200, 1440, 900) },
        { QStringLiteral("tall"), QRect(2440, 0, 1080, 1920) },
        { QStringLiteral("below"), QRect(1000, 1100, 800, 600) } });
    ASSERT_EQ(snapshot.screens().size(), 3u);
    EXPECT_EQ(snapshot.screens()[0].frame, QRectF(1000, 0, 1440, 900));
    EXPECT_EQ(snapshot.screens()[1].frame, QRectF(2440, -820, 1080, 1920));
    EXPECT_EQ(snapshot.screens()[2].frame, QRectF(1000, -600, 800, 600));
    EXPECT_EQ(snapshot.screens()[1].name, QStringLiteral("tall"));

    // The top row of each screen lands on its frame's top edge.
    EXPECT_EQ(snapshot.toDesktop(QPointF(1200, 200)), QPointF(1200, 900));
    EXPECT_EQ(snapshot.toDesktop(QPointF(2500, 0)), QPointF(2500, 1100));
    EXPECT_EQ(snapshot.toDesktop(QPointF(1200, 1100)), QPointF(1200, 0));
}

TEST(ScreenSnapshot, noScreensGiveAnEmptyList)
{
    const ScreenSnapshot snapshot;
    EXPECT_TRUE(snapshot.screens().empty());
    EXPECT_EQ(snapshot.toDesktop(QPointF(5, 7)), QPointF(5, -7));
}

} // namespace
