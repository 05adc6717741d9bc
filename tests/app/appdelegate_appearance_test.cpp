#include "app/appdelegate.h"
#include "app/appearance.h"
#include "app/appstate.h"
#include "app/settingswindowcontroller.h"
#include "tests/app/fakesystem.h"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Scheme = ColorSchemePreference::Scheme;

enum class Look { Dark, Light, Desktop };

std::ostream &operator<<(std::ostream &out, Look look)
{
    return out << (look == Look::Dark ? "dark" : look == Look::Light ? "light" : "the desktop's palette");
}

class AppearanceFollowsTheDesktop;

struct FollowCase
{
    const char *name;
    const char *appearanceMode; // stored before the launch
    Scheme atLaunch; // what the desktop prefers then
    Look launched;
    std::function<void(AppearanceFollowsTheDesktop &)> then;
    Look finally;
};

void PrintTo(const FollowCase &c, std::ostream *out)
{
    *out << c.name;
}

class AppearanceFollowsTheDesktop : public ::testing::TestWithParam<FollowCase>, public FakeSystem
{
public: // the table's rows reach in
    ~AppearanceFollowsTheDesktop() override
    {
        delegate.reset();
        Appearance::setSystemPreference(Scheme::NoPreference);
        Appearance::apply(Appearance::Mode::System);
    }

    static Look look()
    {
        const QColor window = QApplication::palette().color(QPalette::Window);
        if (window == Appearance::paletteOf(Appearance::Mode::Dark).color(QPalette::Window))
            return Look::Dark;
        if (window == Appearance::paletteOf(Appearance::Mode::Light).color(QPalette::Window))
            return Look::Light;
        return Look::Desktop;
    }

    // As a person does it: in the settings window.
    void pick(const char *theme)
    {
        delegate->appState()->onOpenSettings();
        QWidget *window = SettingsWindowController::shared().window();
        ASSERT_NE(window, nullptr);
        auto *segment = window->findChild<QPushButton *>(QString::fromLatin1(theme));
        ASSERT_NE(segment, nullptr) << theme;
        segment->click();
    }

    std::unique_ptr<AppDelegate> delegate;
};

const FollowCase followCases[] = {
    { "opensInTheDarkTheDesktopPrefers", "system", Scheme::Dark, Look::Dark, nullptr, Look::Dark },
    { "opensInTheLightTheDesktopPrefers", "system", Scheme::Light, Look::Light, nullptr, Look::Light },
    { "turnsDarkWithTheDesktop", "system", Scheme::NoPreference, Look::Desktop,
        [](AppearanceFollowsTheDesktop &t) { t.colorScheme.set(Scheme::Dark); }, Look::Dark },
    { "turnsLightWithTheDesktop", "system", Scheme::Dark, Look::Dark,
        [](AppearanceFollowsTheDesktop &t) { t.colorScheme.set(Scheme::Light); }, Look::Light },
    { "aWithdrawnPreferenceLeavesTheDesktopsPalette", "system", Scheme::Dark, Look::Dark,
        [](AppearanceFollowsTheDesktop &t) { t.colorScheme.set(Scheme::NoPreference); }, Look::Desktop },
    { "followSystemAgainShowsWhatTheDesktopNowPrefers", "light", Scheme::NoPreference, Look::Light,
        [](AppearanceFollowsTheDesktop &t) {
            t.colorScheme.set(Scheme::Dark);
            EXPECT_EQ(t.look(), Look::Light) << "a fixed look holds";
            t.pick("theme-system");
        },
        Look::Dark },
};

TEST_P(AppearanceFollowsTheDesktop, whileFollowSystemIsChosen)
{
    const FollowCase &c = GetParam();
    defaults.setString(DefaultsKey::appearanceMode, QString::fromLatin1(c.appearanceMode));
    colorScheme.set(c.atLaunch);
    delegate = makeDelegate();
    ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
    EXPECT_EQ(look(), c.launched);
    if (c.then)
        c.then(*this);
    EXPECT_EQ(look(), c.finally);
}

INSTANTIATE_TEST_SUITE_P(AppDelegate, AppearanceFollowsTheDesktop, ::testing::ValuesIn(followCases),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
