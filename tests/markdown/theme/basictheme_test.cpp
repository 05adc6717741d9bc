#include "tests/markdown/theme/themeprobe.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

using Weight = FontProperties::Weight;

namespace {

class BasicTheme : public testing::TestWithParam<ThemeSlotCase>
{
};

const Insets none {};

} // namespace

// At 13 points: rem lengths are 13 × the factor, em lengths the rounded scaled size ×
// the factor, both rounded half away from zero.
TEST_P(BasicTheme, resolvesEachStyleToItsNumbersAtThirteenPoints)
{
    expectSlot(Theme::basic(), GetParam(), FontProperties(), ui::ColorScheme::Light);
}

INSTANTIATE_TEST_SUITE_P(Themes, BasicTheme,
    testing::Values(
        // Headings ask 1.5 rem above (19.5 → 20) and 1 rem below, whatever their size.
        ThemeSlotCase { "heading1", headingStyle(1), 20, 13, none, 2, Weight::Semibold, false, 0 },
        ThemeSlotCase { "heading2", headingStyle(2), 20, 13, none, 1.5, Weight::Semibold, false, 0 },
        ThemeSlotCase { "heading3", headingStyle(3), 20, 13, none, 1.17, Weight::Semibold, false, 0 },
        ThemeSlotCase { "heading4", headingStyle(4), 20, 13, none, 1, Weight::Semibold, false, 0 },
        ThemeSlotCase { "heading5", headingStyle(5), 20, 13, none, 0.83, Weight::Semibold, false, 0 },
        ThemeSlotCase { "heading6", headingStyle(6), 20, 13, none, 0.67, Weight::Semibold, false, 0 },
        // 13 × 0.15 = 1.95 → 2 of line spacing; 0 above, 1 em below.
        ThemeSlotCase {
            "paragraph", blockStyle(&Theme::paragraph), 0, 13, none, 1, Weight::Regular, false, 2 },
        ThemeSlotCase { "blockquote", blockStyle(&Theme::blockquote), std::nullopt, std::nullopt,
            { 26, 0, 13, 0 }, 1, Weight::Regular, false, 0, {}, true },
        // The code font is 0.94 of 13 (12 points): its line spacing is 12 × 0.15 = 1.8
        // → 2, while the leading padding of 1 rem stays 13; the scroller fills the width.
        ThemeSlotCase {
            "codeBlock", codeBlockStyle(), 0, 13, { 13, 0, unchecked, 0 }, 0.94, Weight::Regular, true, 2 },
        ThemeSlotCase { "table", blockStyle(&Theme::table), 0, 13, none, 1, Weight::Regular, false, 0 },
        // 13 × 0.72 = 9.36 → 9 left and right, 13 × 0.35 = 4.55 → 5 above and below.
        ThemeSlotCase { "headerCell", tableCellStyle(0), std::nullopt, std::nullopt, { 9, 5, 9, 5 }, 1,
            Weight::Semibold, false, 2 },
        ThemeSlotCase { "bodyCell", tableCellStyle(1), std::nullopt, std::nullopt, { 9, 5, 9, 5 }, 1,
            Weight::Regular, false, 2 },
        ThemeSlotCase { "thematicBreak", thematicBreakStyle(), 26, 26, none, 1, Weight::Regular, false, 0 }),
    [](const testing::TestParamInfo<ThemeSlotCase> &info) { return std::string(info.param.name); });

TEST(BasicThemeText, readingItTwiceGivesIndependentCopies)
{
    Theme first = Theme::basic();
    const Theme second = Theme::basic();
    first = first.heading1([](const BlockConfiguration &c) { return c.label.padding(50); });
    const StyledBlock changed = layOutStyle(first, headingStyle(1));
    const StyledBlock kept = layOutStyle(second, headingStyle(1));
    const StyledBlock stored = layOutStyle(Theme::basic(), headingStyle(1));
    expectInsets(changed, { 50, 50, 50, 50 });
    expectInsets(kept, none);
    expectInsets(stored, none);
}
