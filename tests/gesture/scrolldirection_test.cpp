#include "gesture/scrolldirection.h"

#include "platform/defaults.h"
#include "platform/fake/fakenaturalscrolling.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ScrollDirectionTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    Defaults defaults { dir.filePath(QStringLiteral("defaults.json")) };
    FakeNaturalScrolling device;
    ScrollDirection direction { defaults, device };
};

TEST_F(ScrollDirectionTest, naturalWhenNothingSaysOtherwise)
{
    EXPECT_TRUE(direction.isNatural());
    defaults.setString(DefaultsKey::swipeScrollDirection, QStringLiteral("false"));
    EXPECT_TRUE(direction.isNatural());
}

TEST_F(ScrollDirectionTest, storedBooleanWinsOverTheDevice)
{
    device.set(true);
    defaults.setBoolean(DefaultsKey::swipeScrollDirection, false);
    EXPECT_FALSE(direction.isNatural());
    device.set(false);
    defaults.setBoolean(DefaultsKey::swipeScrollDirection, true);
    EXPECT_TRUE(direction.isNatural());
}

TEST_F(ScrollDirectionTest, deviceSettingAppliesWhenNoBooleanIsStored)
{
    device.set(false);
    EXPECT_FALSE(direction.isNatural());
    defaults.setInteger(DefaultsKey::swipeScrollDirection, 1);
    EXPECT_FALSE(direction.isNatural());
}

} // namespace
