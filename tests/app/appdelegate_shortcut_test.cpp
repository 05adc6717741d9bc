// The toggle shortcut's wiring: its release toggles the panel, its press doesn't.
#include "app/appdelegate.h"
#include "app/appstate.h"
#include "app/panelcontroller.h"
#include "app/settingswindowcontroller.h"
#include "platform/fake/fakehotkeygrabber.h"
#include "shortcuts/recordercocoa.h"
#include "shortcuts/registry.h"
#include "tests/app/fakesystem.h"
#include "tests/support/waitfor.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

class AppDelegateShortcutTest : public ::testing::Test, public FakeSystem
{
protected:
    std::unique_ptr<AppDelegate> launch(HotKeyGrabber *grabber)
    {
        trusted = false;
        hotKeys = grabber;
        auto delegate = makeDelegate();
        EXPECT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
        return delegate;
    }

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

TEST_F(AppDelegateShortcutTest, aCombinationRecordedInTheSettingsTogglesThePanelAtOnce)
{
    defaults.setString(QStringLiteral("GlobalShortcuts_toggleHUD"),
        QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    auto delegate = launch(&grabber);
    delegate->appState()->onOpenSettings();
    QWidget *window = SettingsWindowController::shared().window();
    ASSERT_NE(window, nullptr);
    auto *recorder = window->findChild<GlobalShortcuts::RecorderCocoa *>();
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->shortcutName(), GlobalShortcuts::toggleHUD());
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Shift+K"));

    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == window; }));
    recorder->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(recorder->isRecording());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier, 44, 0, 0);
    QApplication::sendEvent(recorder, &press);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(grabber.isGrabbed(40, 768)); // the old combination is let go
    ASSERT_TRUE(grabber.isGrabbed(38, 0x900));
    grabber.release(38, 0x900);
    processEvents();
    EXPECT_TRUE(delegate->panelController()->isVisible());
    SettingsWindowController::shared().destroyWindow();
}

TEST_F(AppDelegateShortcutTest, withoutAnXServerTheProgramRunsWithoutGlobalShortcuts)
{
    auto delegate = launch(nullptr);
    EXPECT_EQ(delegate->shortcuts(), nullptr);
}

} // namespace
