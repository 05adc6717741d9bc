#include "app/appearance.h"
#include "ui/panelstyle.h"

#include "tests/support/contrast.h"

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

// What the chrome draws with, in each look: text reads at 4.5:1, and edges and
// icons that carry meaning at 3:1 (WCAG AA).
struct ContrastCase
{
    const char *name;
    QColor (*foreground)(const QPalette &);
    QPalette::ColorRole background;
    double minimum;
};

void PrintTo(const ContrastCase &c, std::ostream *out)
{
    *out << c.name;
}

QColor role(const QPalette &palette, QPalette::ColorRole role)
{
    return palette.color(QPalette::Active, role);
}

constexpr double text = 4.5;
constexpr double graphic = 3.0;

const ContrastCase contrastCases[] = {
    { "windowText", [](const QPalette &p) { return role(p, QPalette::WindowText); }, QPalette::Window, text },
    { "fieldText", [](const QPalette &p) { return role(p, QPalette::Text); }, QPalette::Base, text },
    { "secondaryText", [](const QPalette &p) { return PanelStyle::secondary(p); }, QPalette::Window, text },
    { "tertiaryText", [](const QPalette &p) { return PanelStyle::tertiary(p); }, QPalette::Window, text },
    { "formNote", [](const QPalette &p) { return role(p, QPalette::PlaceholderText); }, QPalette::Window,
        text },
    { "placeholder", [](const QPalette &p) { return role(p, QPalette::PlaceholderText); }, QPalette::Base,
        text },
    { "linkOnWindow", [](const QPalette &p) { return role(p, QPalette::Link); }, QPalette::Window, text },
    { "linkOnField", [](const QPalette &p) { return role(p, QPalette::Link); }, QPalette::Base, text },
    { "buttonText", [](const QPalette &p) { return role(p, QPalette::ButtonText); }, QPalette::Button, text },
    { "selectedText", [](const QPalette &p) { return role(p, QPalette::HighlightedText); },
        QPalette::Highlight, text },
    { "destructiveOnWindow", [](const QPalette &p) { return PanelStyle::destructive(p); }, QPalette::Window,
        text },
    { "destructiveButton", [](const QPalette &p) { return PanelStyle::destructive(p); }, QPalette::Button,
        text },
    { "accent", [](const QPalette &p) { return role(p, QPalette::Highlight); }, QPalette::Window, graphic },
    { "controlOutline", [](const QPalette &p) { return PanelStyle::controlOutline(p); }, QPalette::Window,
        graphic },
    { "controlOutlineOnField", [](const QPalette &p) { return PanelStyle::controlOutline(p); },
        QPalette::Base, graphic },
};

class ChromeContrast : public ::testing::TestWithParam<ContrastCase>
{
};

TEST_P(ChromeContrast, readsInBothLooks)
{
    const ContrastCase &c = GetParam();
    for (const auto mode : { Appearance::Mode::Light, Appearance::Mode::Dark }) {
        SCOPED_TRACE(mode == Appearance::Mode::Dark ? "dark" : "light");
        const QPalette palette = Appearance::paletteOf(mode);
        const QColor background = role(palette, c.background);
        EXPECT_GE(contrastRatio(over(c.foreground(palette), background), background), c.minimum);
    }
}

INSTANTIATE_TEST_SUITE_P(Appearance, ChromeContrast, ::testing::ValuesIn(contrastCases),
    [](const auto &info) { return info.param.name; });

} // namespace
