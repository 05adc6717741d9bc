// The toggle shortcut's wiring: its release toggles the panel, its press doesn't.
#include <QWidget> // panelcontroller.h needs it complete

#include "app/appdelegate.h"
#include "app/panelcontroller.h"
#include "platform/defaults.h"
#include "platform/fake/fakealertpresenter.h"
#include "platform/fake/fakeclickmonitor.h"
#include "platform/fake/fakehotkeygrabber.h"
#include "platform/fake/fakenaturalscrolling.h"
#include "platform/fake/fakescrolltap.h"
#include "platform/notificationcenter.h"
#include "shortcuts/registry.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class AppDelegateShortcutTest : public ::testing::Test
{
protected:
    AppDelegateShortcutTest() { qputenv("QUORVANE_UPDATE_HOST", "http://127.0.0.1:9"); }

    std::unique_ptr<AppDelegate> launch(HotKeyGrabber *hotKeys)
    {
        AppServices services { defaults, alerts, clicks, center, network, scrollTaps, naturalScrolling,
            dir.filePath(QStringLiteral("com.quorvane.app")), [] { return false; }, [] { return false; },
            false, [] {}, hotKeys };
        auto delegate = std::make_unique<AppDelegate>(std::move(services));
        EXPECT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
        return delegate;
    }

    static void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    Defaults defaults { dir.filePath(QStringLiteral("config/defaults.json")) };
    FakeAlertPresenter alerts;
    FakeClickMonitor clicks;
    NotificationCenter center;
    QNetworkAccessManager network;
    FakeScrollTapFactory scrollTaps;
    FakeNaturalScrolling naturalScrolling;
    FakeHotKeyGrabber grabber;
};

TEST_F(AppDelegateShortcutTest, releasingTheStoredToggleShortcutTogglesThePanel)
{
    defaults.setString(QStringLiteral("GlobalShortcuts_toggleHUD"),
        QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    auto delegate = launch(&grabber);
    ASSERT_TRUE(grabber.isGrabbed(40, 768));
    ASSERT_NE(delegate->shortcuts(), nullptr);

    grabber.press(40, 768);
    processEvents();
    EXPECT_FALSE(delegate->panelController()->isVisible());
    grabber.release(40, 768);
    processEvents();
    EXPECT_TRUE(delegate->panelController()->isVisible());
}

TEST_F(AppDelegateShortcutTest, withoutAStoredShortcutNothingIsGrabbedOrWritten)
{
    auto delegate = launch(&grabber);
    EXPECT_EQ(grabber.grabAttempts(), 0);
    EXPECT_FALSE(defaults.contains(QStringLiteral("GlobalShortcuts_toggleHUD")));

    // The shortcut the user records later works at once.
    delegate->shortcuts()->setShortcut(GlobalShortcuts::Shortcut(40, 768), GlobalShortcuts::toggleHUD());
    grabber.release(40, 768);
    processEvents();
    EXPECT_TRUE(delegate->panelController()->isVisible());
}

TEST_F(AppDelegateShortcutTest, withoutAnXServerTheProgramRunsWithoutGlobalShortcuts)
{
    auto delegate = launch(nullptr);
    EXPECT_EQ(delegate->shortcuts(), nullptr);
}

} // namespace
