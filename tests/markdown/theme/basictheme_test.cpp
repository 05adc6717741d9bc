#include "tests/markdown/theme/themeprobe.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

using Weight = FontProperties::Weight;

namespace {

struct SlotCase
{
    const char *name;
    StyleUnderTest style;
    std::optional<double> marginTop;
    std::optional<double> marginBottom;
    Insets insets;
    double scale;
    Weight weight;
    bool italic;
    bool monospaced;
    double lineSpacing;
};

void PrintTo(const SlotCase &c, std::ostream *out)
{
    *out << c.name;
}

StyleUnderTest heading(int level)
{
    return [level](const Theme &theme, const ui::View &label) {
        return theme.heading(level).body({ label, {} });
    };
}

StyleUnderTest block(const Theme::Style<BlockConfiguration> &(Theme::*slot)() const)
{
    return [slot](const Theme &theme, const ui::View &label) { return (theme.*slot)().body({ label, {} }); };
}

StyleUnderTest cell(int row)
{
    return [row](const Theme &theme, const ui::View &label) {
        return theme.tableCell().body({ row, 1, label, {} });
    };
}

StyleUnderTest codeBlock()
{
    return [](const Theme &theme, const ui::View &label) {
        return theme.codeBlock().body({ QStringLiteral("swift"), QStringLiteral("let x = 1"), label });
    };
}

StyleUnderTest thematicBreak()
{
    return [](const Theme &theme, const ui::View &) { return theme.thematicBreak().body(); };
}

class BasicTheme : public testing::TestWithParam<SlotCase>
{
};

const Insets none {};

} // namespace

// At 13 points: rem lengths are 13 × the factor, em lengths the rounded scaled size ×
// the factor, both rounded half away from zero.
TEST_P(BasicTheme, resolvesEachStyleToItsNumbersAtThirteenPoints)
{
    const SlotCase &c = GetParam();
    const StyledBlock laid = layOutStyle(Theme::basic(), c.style);
    EXPECT_EQ(laid.margin.top, c.marginTop);
    EXPECT_EQ(laid.margin.bottom, c.marginBottom);
    if (std::string(c.name) == "thematicBreak")
        return; // a divider has no label
    ASSERT_FALSE(laid.label.isNull());
    expectInsets(laid, c.insets);
    ASSERT_TRUE(laid.font);
    EXPECT_DOUBLE_EQ(laid.font->scale, c.scale);
    EXPECT_EQ(laid.font->size, 13);
    EXPECT_EQ(laid.font->weight, c.weight);
    EXPECT_EQ(laid.font->style == FontProperties::Style::Italic, c.italic);
    EXPECT_EQ(laid.font->familyVariant == FontProperties::FamilyVariant::Monospaced, c.monospaced);
    EXPECT_EQ(laid.lineSpacing, c.lineSpacing);
}

INSTANTIATE_TEST_SUITE_P(Themes, BasicTheme,
    testing::Values(
        // Headings ask 1.5 rem above (19.5 → 20) and 1 rem below, whatever their size.
        SlotCase { "heading1", heading(1), 20, 13, none, 2, Weight::Semibold, false, false, 0 },
        SlotCase { "heading2", heading(2), 20, 13, none, 1.5, Weight::Semibold, false, false, 0 },
        SlotCase { "heading3", heading(3), 20, 13, none, 1.17, Weight::Semibold, false, false, 0 },
        SlotCase { "heading4", heading(4), 20, 13, none, 1, Weight::Semibold, false, false, 0 },
        SlotCase { "heading5", heading(5), 20, 13, none, 0.83, Weight::Semibold, false, false, 0 },
        SlotCase { "heading6", heading(6), 20, 13, none, 0.67, Weight::Semibold, false, false, 0 },
        // 13 × 0.15 = 1.95 → 2 of line spacing; 0 above, 1 em below.
        SlotCase { "paragraph", block(&Theme::paragraph), 0, 13, none, 1, Weight::Regular, false, false, 2 },
        SlotCase { "blockquote", block(&Theme::blockquote), std::nullopt, std::nullopt, { 26, 0, 13, 0 }, 1,
            Weight::Regular, true, false, 0 },
        // The code font is 0.94 of 13 (12 points): its line spacing is 12 × 0.15 = 1.8
        // → 2, while the leading padding of 1 rem stays 13; the scroller fills the width.
        SlotCase {
            "codeBlock", codeBlock(), 0, 13, { 13, 0, unchecked, 0 }, 0.94, Weight::Regular, false, true, 2 },
        SlotCase { "table", block(&Theme::table), 0, 13, none, 1, Weight::Regular, false, false, 0 },
        // 13 × 0.72 = 9.36 → 9 left and right, 13 × 0.35 = 4.55 → 5 above and below.
        SlotCase { "headerCell", cell(0), std::nullopt, std::nullopt, { 9, 5, 9, 5 }, 1, Weight::Semibold,
            false, false, 2 },
        SlotCase { "bodyCell", cell(1), std::nullopt, std::nullopt, { 9, 5, 9, 5 }, 1, Weight::Regular, false,
            false, 2 },
        SlotCase { "thematicBreak", thematicBreak(), 26, 26, none, 1, Weight::Regular, false, false, 0 },
        SlotCase { "image", block(&Theme::image), std::nullopt, std::nullopt, none, 1, Weight::Regular, false,
            false, 0 },
        SlotCase { "list", block(&Theme::list), std::nullopt, std::nullopt, none, 1, Weight::Regular, false,
            false, 0 },
        SlotCase { "listItem", block(&Theme::listItem), std::nullopt, std::nullopt, none, 1, Weight::Regular,
            false, false, 0 }),
    [](const testing::TestParamInfo<SlotCase> &info) { return std::string(info.param.name); });

TEST(BasicThemeText, inlineCodeIsMonospacedAtNinetyFourHundredthsAndTheRestAreDefaults)
{
    const Theme basic = Theme::basic();
    FontProperties properties;
    ui::AttributeContainer code;
    properties.collectAttributes(code);
    basic.code().collectAttributes(code);
    EXPECT_EQ(code.get<FontPropertiesAttribute>()->familyVariant, FontProperties::FamilyVariant::Monospaced);
    EXPECT_DOUBLE_EQ(code.get<FontPropertiesAttribute>()->scale, 0.94);
    EXPECT_TRUE(basic.text().attributes().isEmpty());
    EXPECT_TRUE(basic.link().attributes().isEmpty());
    EXPECT_FALSE(basic.textBackgroundColor());
}

TEST(BasicThemeText, aCodeBlockScrollsSidewaysInsteadOfWrapping)
{
    const StyledBlock laid = layOutStyle(Theme::basic(), [](const Theme &theme, const ui::View &) {
        return theme.codeBlock().body({ std::nullopt, QString(),
            ui::View(ui::Color::red()).frame(2000, 10).tag(QStringLiteral("label")) });
    });
    EXPECT_EQ(laid.styled.width(), 800);
    EXPECT_EQ(laid.label.width(), 2000);
}

TEST(BasicThemeText, readingItTwiceGivesIndependentCopies)
{
    Theme first = Theme::basic();
    const Theme second = Theme::basic();
    first = first.heading1([](const BlockConfiguration &c) { return c.label.padding(50); });
    const StyledBlock changed = layOutStyle(first, heading(1));
    const StyledBlock kept = layOutStyle(second, heading(1));
    const StyledBlock stored = layOutStyle(Theme::basic(), heading(1));
    expectInsets(changed, { 50, 50, 50, 50 });
    expectInsets(kept, none);
    expectInsets(stored, none);
}
