#include "markdown/theme/blockmargin.h"
#include "markdown/theme/textstyles.h"
#include "tests/markdown/theme/themeprobe.h"

#include <gtest/gtest.h>

TEST(BlockMargins, raiseKeepsTheLargerEdgeAndAbsentOnlyWhenBothAre)
{
    struct Case
    {
        BlockMargin start;
        std::optional<double> top, bottom;
        BlockMargin expected;
    } cases[] = {
        { { 12, std::nullopt }, 8, std::nullopt, { 12, std::nullopt } },
        { { 10, std::nullopt }, std::nullopt, std::nullopt, { 10, std::nullopt } },
        { {}, std::nullopt, std::nullopt, {} },
        { {}, 0, 16, { 0, 16 } },
        { { 4, 30 }, 6, 20, { 6, 30 } },
    };
    for (Case &c : cases) {
        c.start.raise(c.top, c.bottom);
        EXPECT_EQ(c.start, c.expected);
    }
}

TEST(BlockMargins, theModifierRaisesWhatTheContentReportsAndRelativeOnesResolveWhereTheyStand)
{
    const auto reported = [](StyleUnderTest style, AnyTextStyle base = FontProperties()) {
        return layOutStyle(Theme(), style, base).margin;
    };
    EXPECT_EQ(reported([](const Theme &, const ui::View &label) {
        return label.modifier(markdownMargin(12.0, std::nullopt)).modifier(markdownMargin(8.0, std::nullopt));
    }),
        (BlockMargin { 12, std::nullopt }));
    EXPECT_EQ(reported([](const Theme &, const ui::View &label) {
        return label.modifier(markdownMargin(RelativeSize::em(1), std::nullopt));
    }),
        (BlockMargin { 13, std::nullopt }));
    FontProperties heading;
    heading.scale = 2;
    EXPECT_EQ(reported(
                  [](const Theme &, const ui::View &label) {
                      return label.modifier(markdownMargin(RelativeSize::em(0.8), RelativeSize::rem(1)));
                  },
                  heading),
        (BlockMargin { 21, 13 }));
    // Stacked blocks report the largest edge among them.
    EXPECT_EQ(reported([](const Theme &, const ui::View &) {
        return ui::VStack({ ui::View().modifier(markdownMargin(std::nullopt, 16.0)),
            ui::View(ui::Color::red()).modifier(markdownMargin(5.0, 24.0)) });
    }),
        (BlockMargin { 5, 24 }));
}
