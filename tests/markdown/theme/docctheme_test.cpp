#include "tests/markdown/theme/themeprobe.h"
#include "tests/support/printers.h"

#include "ui/symbolimage.h"

#include <gtest/gtest.h>

using Weight = FontProperties::Weight;

namespace {

constexpr quint32 ruleLight = 0xD2D2D7FF, ruleDark = 0x424245FF;

const Insets none {};

QPointF middleOf(const StyledBlock &b)
{
    return QPointF(400, b.styled.center().y());
}

class DocCTheme : public testing::TestWithParam<std::tuple<ThemeSlotCase, ui::ColorScheme>>
{
};

} // namespace

TEST_P(DocCTheme, resolvesEachStyleToItsNumbersAndColoursAtThirteenPoints)
{
    const auto &[slot, scheme] = GetParam();
    expectSlot(Theme::docC(), slot, FontProperties(), scheme);
}

INSTANTIATE_TEST_SUITE_P(Themes, DocCTheme,
    testing::Combine(
        testing::Values(
            // 26 × 0.8 = 20.8 → 21 above, nothing below.
            ThemeSlotCase { "heading1", headingStyle(1), 21, 0, none, 2, Weight::Semibold, false, 0, {} },
            // 13 × 1.88235 = 24.47 → 24: 24 × 0.0625 = 1.5 → 2, 24 × 1.6 = 38.4 → 38.
            ThemeSlotCase {
                "heading2", headingStyle(2), 38, 0, none, 1.88235, Weight::Semibold, false, 2, {} },
            // 21.41 → 21: 1.5 → 2 and 33.6 → 34.
            ThemeSlotCase {
                "heading3", headingStyle(3), 34, 0, none, 1.64706, Weight::Semibold, false, 2, {} },
            // 18.35 → 18: 1.50003 → 2 and 28.8 → 29.
            ThemeSlotCase {
                "heading4", headingStyle(4), 29, 0, none, 1.41176, Weight::Semibold, false, 2, {} },
            // 16.82 → 17: 1.55 → 2 and 27.2 → 27.
            ThemeSlotCase {
                "heading5", headingStyle(5), 27, 0, none, 1.29412, Weight::Semibold, false, 2, {} },
            ThemeSlotCase { "heading6", headingStyle(6), 21, 0, none, 1, Weight::Semibold, false, 3, {} },
            // 13 × 0.235295 = 3.06 → 3; 13 × 0.8 = 10.4 → 10.
            ThemeSlotCase {
                "paragraph", blockStyle(&Theme::paragraph), 10, 0, none, 1, Weight::Regular, false, 3, {} },
            ThemeSlotCase { "listItem", blockStyle(&Theme::listItem), 10, std::nullopt, none, 1,
                Weight::Regular, false, 0, {} },
            // 13 × 0.94118 = 12.24 → 12 on every side of a box as wide as the document,
            // outlined inside its edge over its fill.
            ThemeSlotCase { "blockquote", blockStyle(&Theme::blockquote), 21, 0, { 12, 12, 748, 12 }, 1,
                Weight::Regular, false, 0,
                { pixelIs(
                      "fill", [](const StyledBlock &b) { return middleOf(b); }, 0xF5F5F7FF, 0x323232FF),
                    pixelIs(
                        "outline", [](const StyledBlock &) { return QPointF(400, 0.5); }, 0x696969FF,
                        0x9A9A9EFF),
                    pixelIs(
                        "outline near the far end", [](const StyledBlock &) { return QPointF(780, 0.5); },
                        0x696969FF, 0x9A9A9EFF) } },
            // The code text is 0.88235 rem (11.47 → 11 points): 11 × 0.333335 = 3.67 → 4.
            ThemeSlotCase { "codeBlock", codeBlockStyle(), 10, 0, { 14, 8, unchecked, 8 }, 0.88235,
                Weight::Regular, true, 4,
                { pixelIs(
                    "panel", [](const StyledBlock &b) { return middleOf(b); }, 0xF5F5F7FF, 0x333336FF) } },
            ThemeSlotCase { "image", blockStyle(&Theme::image), 21, 21, { 380, 0, 380, 0 }, 1,
                Weight::Regular, false, 0, {} },
            ThemeSlotCase { "table", blockStyle(&Theme::table), 21, 0, none, 1, Weight::Regular, false, 0,
                { borderIs(ruleLight, ruleDark) } },
            // 13 × 0.58824 = 7.65 → 8 on every side.
            ThemeSlotCase { "headerCell", tableCellStyle(0), std::nullopt, std::nullopt, { 8, 8, 8, 8 }, 1,
                Weight::Semibold, false, 3, {} },
            ThemeSlotCase { "bodyCell", tableCellStyle(2), std::nullopt, std::nullopt, { 8, 8, 8, 8 }, 1,
                Weight::Regular, false, 3, {} },
            // 13 × 2.35 = 30.55 → 31 above and below a divider in the rule colour.
            ThemeSlotCase { "thematicBreak", thematicBreakStyle(), 31, 31, none, 1, Weight::Regular, false, 0,
                { pixelIs(
                    "rule", [](const StyledBlock &) { return QPointF(400, 0.5); }, ruleLight, ruleDark) } }),
        testing::Values(ui::ColorScheme::Light, ui::ColorScheme::Dark)),
    themeCaseName);

TEST(DocCThemeText, completedAndOpenTasksShowTheSameDisc)
{
    const StyledBlock done = layOutStyle(Theme::docC(), taskMarkerStyle(true));
    const StyledBlock open = layOutStyle(Theme::docC(), taskMarkerStyle(false));
    EXPECT_EQ(done.image, open.image);
    EXPECT_EQ(done.styled.width(), 20);
    EXPECT_DOUBLE_EQ(done.label.height(), ui::SymbolImage::sideFor(4, ui::ImageScale::Medium));
}
