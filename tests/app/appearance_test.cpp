#include "app/appearance.h"

#include <gtest/gtest.h>

namespace {

TEST(Appearance, onlyDarkAndLightOverrideTheSystem)
{
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("dark")), Appearance::Mode::Dark);
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("light")), Appearance::Mode::Light);
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("system")), Appearance::Mode::System);
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("Dark")), Appearance::Mode::System);
    EXPECT_EQ(Appearance::modeFor(QString()), Appearance::Mode::System);
}

TEST(Appearance, systemRestoresThePaletteTheDesktopGave)
{
    Appearance::apply(Appearance::Mode::System);
    const bool systemIsDark = Appearance::isDark();
    Appearance::apply(Appearance::Mode::Dark);
    EXPECT_TRUE(Appearance::isDark());
    Appearance::apply(Appearance::Mode::Light);
    EXPECT_FALSE(Appearance::isDark());
    Appearance::apply(Appearance::Mode::System);
    EXPECT_EQ(Appearance::isDark(), systemIsDark);
}

} // namespace
