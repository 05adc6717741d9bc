#include "ui/font.h"

#include <gtest/gtest.h>

#include <QFontDatabase>

using namespace ui;

TEST(Font, aNamedFamilyStaysWhenItIsAlsoMonospaced)
{
    const QString family = QStringLiteral("DejaVu Serif");
    const QFont font = Font::custom(family, 15).monospaced().toQFont();
    EXPECT_EQ(font.family(), family);
    EXPECT_EQ(font.styleHint(), QFont::Monospace) << "the fallback is still a fixed-pitch font";
    EXPECT_EQ(font.pixelSize(), 15);

    const QFont system = Font::system(12).monospaced().toQFont();
    EXPECT_EQ(system.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
}
