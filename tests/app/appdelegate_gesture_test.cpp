// What the panel tells the pull-down: the recogniser must always know whether
// the panel is up, or it looks for the wrong movement.
#include "app/appdelegate.h"
#include "app/appstate.h"
#include "app/panelcontroller.h"
#include "gesture/gesturemonitor.h"
#include "tests/app/fakesystem.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

class AppDelegateGestureTest : public ::testing::Test, public FakeSystem
{
protected:
    AppDelegate &launch()
    {
        delegate = makeDelegate();
        EXPECT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
        return *delegate;
    }

    void switchGesture(bool on)
    {
        delegate->appState()->setGestureEnabled(on);
        delegate->appState()->onGestureEnabledChanged(on);
    }

    bool recognizerSeesPanel() const { return delegate->gestureMonitor()->stateMachine().isPanelVisible(); }

    void show()
    {
        delegate->requestShow(QGuiApplication::primaryScreen());
        finishAnimation(*delegate->panelController());
    }
    void hide()
    {
        delegate->requestHide();
        finishAnimation(*delegate->panelController());
    }

    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateGestureTest, everyFinishedShowAndHideReachesTheRecognizer)
{
    launch();
    ASSERT_NE(delegate->gestureMonitor(), nullptr);
    EXPECT_FALSE(recognizerSeesPanel());
    show();
    EXPECT_TRUE(recognizerSeesPanel());
    hide();
    EXPECT_FALSE(recognizerSeesPanel());
}

TEST_F(AppDelegateGestureTest, switchedBackOnWhileThePanelIsUpTheRecognizerKnows)
{
    launch();
    show();
    switchGesture(false);
    EXPECT_FALSE(recognizerSeesPanel());
    switchGesture(true);
    EXPECT_TRUE(recognizerSeesPanel());
}

TEST_F(AppDelegateGestureTest, monitorMadeWhileThePanelIsUpLooksForTheHidingMovement)
{
    defaults.setBoolean(DefaultsKey::isGestureEnabled, false);
    launch();
    show();
    switchGesture(true);
    ASSERT_NE(delegate->gestureMonitor(), nullptr);
    EXPECT_TRUE(recognizerSeesPanel());
}

} // namespace
