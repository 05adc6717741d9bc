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

TEST(Font, theUserTextSizeIsTheFontsPixelsAgainstNinePointsAtNinetySixDotsPerInch)
{
    auto points = [](double size) {
        QFont font;
        font.setPointSizeF(size);
        return font;
    };
    QFont pixels;
    pixels.setPixelSize(16);
    const struct
    {
        const char *name;
        QFont font;
        double dotsPerInch;
        double scale;
    } cases[] = {
        { "qtsOwn", points(9), 96, 1 },
        { "largerFont", points(13.5), 96, 1.5 },
        { "moreDotsPerInch", points(9), 120, 1.25 },
        { "sizeInPixels", pixels, 120, 4.0 / 3 },
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(textSizeScale(c.font, c.dotsPerInch), c.scale) << c.name;
}
