#include "tests/markdown/theme/themeprobe.h"
#include "tests/support/printers.h"

#include "ui/hostingview.h"
#include "ui/symbolimage.h"

#include <gtest/gtest.h>

using Weight = FontProperties::Weight;

namespace {

// The theme's text style sets 16 points; the renderer lays it under every block.
FontProperties sixteen()
{
    FontProperties properties;
    properties.size = 16;
    return properties;
}

constexpr quint32 dividerLight = 0xD0D0D3FF, dividerDark = 0x333438FF;
constexpr quint32 borderLight = 0xE4E4E8FF, borderDark = 0x42444EFF;
constexpr quint32 backgroundLight = 0xFFFFFFFF, backgroundDark = 0x18191DFF;
constexpr quint32 panelLight = 0xF7F7F9FF, panelDark = 0x25262AFF;

// The rule under a heading: the first line below the label's bottom padding.
ColourProbe ruleBelow(double padding)
{
    return pixelIs(
        "rule", [padding](const StyledBlock &b) { return QPointF(5, b.label.bottom() + padding + 0.5); },
        dividerLight, dividerDark);
}

const Insets none {};

class GitHubTheme : public testing::TestWithParam<std::tuple<ThemeSlotCase, ui::ColorScheme>>
{
};

} // namespace

TEST_P(GitHubTheme, resolvesEachStyleToItsNumbersAndColoursAtSixteenPoints)
{
    const auto &[slot, scheme] = GetParam();
    expectSlot(Theme::gitHub(), slot, sixteen(), scheme);
}

INSTANTIATE_TEST_SUITE_P(Themes, GitHubTheme,
    testing::Combine(
        testing::Values(
            // 32 × 0.3 = 9.6 → 10 of padding over a 1-point rule; 32 × 0.125 = 4.
            ThemeSlotCase { "heading1", headingStyle(1), 24, 16, { 0, 0, unchecked, 11 }, 2, Weight::Semibold,
                false, 4, { ruleBelow(10) } },
            // 24 × 0.3 = 7.2 → 7; 24 × 0.125 = 3.
            ThemeSlotCase { "heading2", headingStyle(2), 24, 16, { 0, 0, unchecked, 8 }, 1.5,
                Weight::Semibold, false, 3, { ruleBelow(7) } },
            ThemeSlotCase { "heading3", headingStyle(3), 24, 16, none, 1.25, Weight::Semibold, false, 3, {} },
            ThemeSlotCase { "heading4", headingStyle(4), 24, 16, none, 1, Weight::Semibold, false, 2, {} },
            ThemeSlotCase {
                "heading5", headingStyle(5), 24, 16, none, 0.875, Weight::Semibold, false, 2, {} },
            ThemeSlotCase { "heading6", headingStyle(6), 24, 16, none, 0.85, Weight::Semibold, false, 2,
                { foregroundIs(0x6B6E7BFF, 0x6D707DFF) } },
            ThemeSlotCase {
                "paragraph", blockStyle(&Theme::paragraph), 0, 16, none, 1, Weight::Regular, false, 4, {} },
            ThemeSlotCase { "listItem", blockStyle(&Theme::listItem), 4, std::nullopt, none, 1,
                Weight::Regular, false, 0, {} },
            // A bar 16 × 0.2 = 3.2 → 3 wide, then 16 on either side of the text; the bar
            // runs the text's whole height.
            ThemeSlotCase { "blockquote", blockStyle(&Theme::blockquote), std::nullopt, std::nullopt,
                { 19, 0, 16, 0 }, 1, Weight::Regular, false, 0,
                { foregroundIs(0x6B6E7BFF, 0x9294A0FF),
                    pixelIs(
                        "bar middle", [](const StyledBlock &b) { return QPointF(1, b.label.center().y()); },
                        borderLight, borderDark),
                    pixelIs(
                        "bar near the top",
                        [](const StyledBlock &b) { return QPointF(1.5, b.label.top() + 3); }, borderLight,
                        borderDark) } },
            // The code font is 16 × 0.85 = 13.6 → 14: 14 × 0.225 = 3.15 → 3.
            ThemeSlotCase { "codeBlock", codeBlockStyle(), 0, 16, { 16, 16, unchecked, 16 }, 0.85,
                Weight::Regular, true, 3,
                { pixelIs(
                    "panel", [](const StyledBlock &b) { return QPointF(400, b.styled.top() + 2); },
                    panelLight, panelDark) } },
            ThemeSlotCase { "table", blockStyle(&Theme::table), 0, 16, none, 1, Weight::Regular, false, 0,
                { borderIs(borderLight, borderDark), rowBackgroundIs(0, backgroundLight, backgroundDark),
                    rowBackgroundIs(1, backgroundLight, backgroundDark),
                    rowBackgroundIs(2, panelLight, panelDark),
                    rowBackgroundIs(3, backgroundLight, backgroundDark),
                    rowBackgroundIs(4, panelLight, panelDark) } },
            ThemeSlotCase { "headerCell", tableCellStyle(0), std::nullopt, std::nullopt, { 13, 6, 13, 6 }, 1,
                Weight::Semibold, false, 4, {} },
            ThemeSlotCase { "bodyCell", tableCellStyle(3), std::nullopt, std::nullopt, { 13, 6, 13, 6 }, 1,
                Weight::Regular, false, 4, {} },
            // A bar 16 × 0.25 = 4 tall in the border colour.
            ThemeSlotCase { "thematicBreak", thematicBreakStyle(), 24, 24, none, 1, Weight::Regular, false, 0,
                { pixelIs(
                      "rule", [](const StyledBlock &) { return QPointF(400, 3); }, borderLight, borderDark),
                    pixelIs(
                        "height", [](const StyledBlock &b) { return QPointF(400, b.styled.height() + 0.5); },
                        0xFFFFFFFF, 0xFFFFFFFF) } }),
        testing::Values(ui::ColorScheme::Light, ui::ColorScheme::Dark)),
    themeCaseName);

TEST(GitHubThemeText, taskMarkersAreSmallGreyCheckBoxesInBothAppearances)
{
    for (const ui::ColorScheme scheme : { ui::ColorScheme::Light, ui::ColorScheme::Dark }) {
        const StyledBlock done = layOutStyle(Theme::gitHub(), taskMarkerStyle(true), sixteen(), 800, scheme);
        const StyledBlock open = layOutStyle(Theme::gitHub(), taskMarkerStyle(false), sixteen(), 800, scheme);
        EXPECT_EQ(done.styled.width(), 24) << "1.5 em of 16 points";
        EXPECT_DOUBLE_EQ(done.styled.height(), ui::SymbolImage::sideFor(13, ui::ImageScale::Small));
        EXPECT_NE(done.image, open.image);
    }
    const StyledBlock light = layOutStyle(Theme::gitHub(), taskMarkerStyle(true), sixteen(), 800);
    const StyledBlock dark
        = layOutStyle(Theme::gitHub(), taskMarkerStyle(true), sixteen(), 800, ui::ColorScheme::Dark);
    EXPECT_EQ(light.image, dark.image) << "the check box keeps its greys in the dark";
}

TEST(GitHubThemeText, theQuoteBarIsAsTallAsTheQuotedText)
{
    const StyleUnderTest quote = [](const Theme &theme, const ui::View &) {
        return theme.blockquote().body(
            { ui::View(ui::Color::blue()).frame(40, 60).tag(QStringLiteral("label")), {} });
    };
    const StyledBlock laid = layOutStyle(Theme::gitHub(), quote, sixteen());
    EXPECT_EQ(laid.styled.height(), 60);
    for (const double y : { 2.0, 30.0, 57.0 })
        EXPECT_EQ(laid.pixel(QPointF(1.5, y)), QColor(0xE4, 0xE4, 0xE8)) << y;
    EXPECT_EQ(laid.pixel(QPointF(4.5, 30)), QColor(Qt::white)) << "3 points wide";
}

TEST(GitHubThemeText, switchingTheAppearanceRedrawsTheSameThemeInItsOtherColours)
{
    const Theme theme = Theme::gitHub();
    ui::HostingView host;
    host.resize(300, 100);
    host.setRootView(theme.codeBlock().body({ std::nullopt, QString(), ui::View().frame(40, 10) }));
    auto panelAfterSwitchingTo = [&host](ui::ColorScheme scheme) {
        ui::EnvironmentValues env;
        env.set<ui::ColorSchemeKey>(scheme);
        host.setEnvironment(env);
        host.flush();
        QImage canvas(300, 60, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        host.tree().paint(painter, QRectF(0, 0, 300, 60));
        return canvas.pixelColor(150, 20);
    };
    EXPECT_EQ(panelAfterSwitchingTo(ui::ColorScheme::Light), QColor(0xF7, 0xF7, 0xF9));
    EXPECT_EQ(panelAfterSwitchingTo(ui::ColorScheme::Dark), QColor(0x25, 0x26, 0x2A));
    EXPECT_EQ(panelAfterSwitchingTo(ui::ColorScheme::Light), QColor(0xF7, 0xF7, 0xF9));
}
