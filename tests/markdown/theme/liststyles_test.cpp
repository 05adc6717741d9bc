#include "markdown/theme/liststyles.h"
#include "tests/markdown/theme/themeprobe.h"
#include "tests/support/printers.h"

#include "ui/symbolimage.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

struct RomanCase
{
    int number;
    const char *upper;
};

class RomanNumerals : public testing::TestWithParam<RomanCase>
{
};

FontProperties ofSize(double size, double scale = 1)
{
    FontProperties properties;
    properties.size = size;
    properties.scale = scale;
    return properties;
}

// The marker laid out in the text style `base`, painted on white.
QImage paintMarker(const ListMarkerStyle &style, int level, const FontProperties &base, QRectF *frame)
{
    ui::EnvironmentValues env;
    env.set<TextStyleKey>(base);
    ui::ViewTree tree(ui::VStack({ style.body({ level, 1 }) }), env);
    tree.rebuild(200);
    *frame = tree.root()->frame();
    QImage canvas(200, 100, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    tree.paint(painter, QRectF(0, 0, 200, 100));
    return canvas;
}

} // namespace

TEST_P(RomanNumerals, areBuiltGreedilyAndFallBackToDecimalDigits)
{
    EXPECT_EQ(romanNumeral(GetParam().number), QString::fromUtf8(GetParam().upper));
}

INSTANTIATE_TEST_SUITE_P(ListStyles, RomanNumerals,
    testing::Values(RomanCase { 1, "I" }, RomanCase { 3, "III" }, RomanCase { 4, "IV" },
        RomanCase { 9, "IX" }, RomanCase { 40, "XL" }, RomanCase { 1994, "MCMXCIV" },
        RomanCase { 3999, "MMMCMXCIX" }, RomanCase { 4000, "4000" }, RomanCase { 0, "0" },
        RomanCase { -5, "-5" }));

TEST(ListStyles, everyMarkerIsAtLeastOneAndAHalfEmWideAndAlignedTrailing)
{
    struct Case
    {
        const char *name;
        ListMarkerStyle style;
        FontProperties base;
        double width;
    } cases[] = {
        { "decimal", ListMarkers::decimal(), ofSize(13), 20 }, // 19.5 rounded away from zero
        { "upperRoman", ListMarkers::upperRoman(), ofSize(13), 20 },
        { "lowerRoman", ListMarkers::lowerRoman(), ofSize(13), 20 },
        { "dash", ListMarkers::dash(), ofSize(13), 20 },
        { "disc", ListMarkers::disc(), ofSize(13), 20 },
        { "circleInHeading", ListMarkers::circle(), ofSize(13, 2), 39 },
        { "squareAtRootSize16", ListMarkers::square(), ofSize(16), 24 },
    };
    for (const Case &c : cases) {
        const StyledBlock laid = layOutStyle(
            Theme(),
            [&c](const Theme &, const ui::View &) {
                return c.style.body({ 1, 3 });
            },
            c.base);
        EXPECT_EQ(laid.styled.width(), c.width) << c.name;
    }
    // A numeral wider than the minimum sets the width itself.
    const StyledBlock wide = layOutStyle(Theme(), [](const Theme &, const ui::View &) {
        return ListMarkers::upperRoman().body({ 1, 3888 });
    });
    EXPECT_GT(wide.styled.width(), 20);
}

TEST(ListStyles, aBulletIsDrawnAtAThirdOfTheTextSize)
{
    struct Case
    {
        AnyTextStyle base;
        double bulletFont;
    } cases[] = {
        { FontProperties(), 4 }, // 13 / 3 = 4.33
        { ofSize(13, 1.3), 6 }, // 17 / 3 = 5.67
        { EmptyTextStyle(), 4 }, // no font properties: 13 points
        { ofSize(13, 2), 9 }, // 26 / 3 = 8.67
    };
    for (const Case &c : cases) {
        const StyledBlock laid = layOutStyle(
            Theme(),
            [](const Theme &, const ui::View &) {
                return ListBullet(QStringLiteral("circle.fill")).tag(QStringLiteral("label"));
            },
            c.base);
        EXPECT_DOUBLE_EQ(laid.label.width(), ui::SymbolImage::sideFor(c.bulletFont, ui::ImageScale::Medium));
    }
}

TEST(ListStyles, discCircleSquareDrawsADiscThenACircleThenSquaresByLevel)
{
    // At 90 points a bullet is drawn at 30: large enough to tell the shapes apart.
    const FontProperties base = ofSize(90);
    const double side = ui::SymbolImage::sideFor(30, ui::ImageScale::Medium);
    auto at = [&](int level) {
        QRectF frame;
        const QImage image = paintMarker(ListMarkers::discCircleSquare(), level, base, &frame);
        const QPointF centre(frame.right() - side / 2, frame.center().y());
        const QPointF nearCorner = centre + QPointF(-side * 0.36, -side * 0.36);
        return std::make_tuple(image, image.pixelColor(centre.toPoint()) != QColor(Qt::white),
            image.pixelColor(nearCorner.toPoint()) != QColor(Qt::white));
    };
    const auto [disc, discCentre, discCorner] = at(1);
    const auto [circle, circleCentre, circleCorner] = at(2);
    const auto [square, squareCentre, squareCorner] = at(3);
    const auto [deeper, deeperCentre, deeperCorner] = at(7);
    EXPECT_TRUE(discCentre);
    EXPECT_FALSE(discCorner);
    EXPECT_FALSE(circleCentre) << "an empty circle";
    EXPECT_TRUE(squareCentre);
    EXPECT_TRUE(squareCorner) << "a square reaches into its corners";
    EXPECT_EQ(deeper, square);
    EXPECT_NE(disc, circle);
}

TEST(ListStyles, checkmarkSquareTellsCompletedFromOpenItems)
{
    const TaskListMarkerStyle style = TaskListMarkers::checkmarkSquare();
    auto paintTask = [&style](bool completed) {
        ui::ViewTree tree(ui::VStack({ style.body({ completed }) }));
        tree.rebuild(100);
        QImage canvas(40, 30, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        tree.paint(painter, QRectF(0, 0, 40, 30));
        return std::make_pair(canvas, tree.root()->frame());
    };
    const auto [done, doneFrame] = paintTask(true);
    const auto [open, openFrame] = paintTask(false);
    EXPECT_NE(done, open);
    EXPECT_EQ(doneFrame.width(), 20);
    EXPECT_EQ(openFrame.width(), 20);
    // A small symbol: 13 × 1.15 × 0.78 points high.
    EXPECT_DOUBLE_EQ(doneFrame.height(), ui::SymbolImage::sideFor(13, ui::ImageScale::Small));
}
