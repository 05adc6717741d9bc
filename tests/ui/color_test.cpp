#include "ui/color.h"

#include <gtest/gtest.h>

using namespace ui;

TEST(Color, packedValuesReadRedGreenBlueThenOpacity)
{
    struct Case
    {
        quint32 packed;
        QColor expected;
    } cases[] = {
        { 0xFF000080u, QColor::fromRgbF(1, 0, 0, 128.0f / 255) },
        { 0x000000FFu, QColor(0, 0, 0) },
        { 0x2C65CFFFu, QColor(0x2C, 0x65, 0xCF) },
        { 0x12345600u, QColor::fromRgbF(0x12 / 255.0f, 0x34 / 255.0f, 0x56 / 255.0f, 0) },
    };
    for (const Case &c : cases) {
        const QColor colour = Color::rgba(c.packed).resolve(ColorScheme::Light);
        EXPECT_EQ(colour.name(QColor::HexArgb), c.expected.name(QColor::HexArgb)) << std::hex << c.packed;
    }
    EXPECT_NEAR(Color::rgba(0xFF000080u).resolve(ColorScheme::Dark).alphaF(), 0.502, 0.001);
    EXPECT_EQ(Color::rgba(0x12345600u).resolve(ColorScheme::Light).alpha(), 0) << "fully transparent";
}
