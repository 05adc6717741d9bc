// What the panel tells the pull-down: the recogniser must always know whether
// the panel is up, or it looks for the wrong movement.
#include "app/appdelegate.h"
#include "app/appstate.h"
#include "app/panelcontroller.h"
#include "gesture/gesturemonitor.h"
#include "platform/defaults.h"
#include "platform/fake/fakealertpresenter.h"
#include "platform/fake/fakeclickmonitor.h"
#include "platform/fake/fakenaturalscrolling.h"
#include "platform/fake/fakescrolltap.h"
#include "platform/notificationcenter.h"

#include <QAbstractAnimation>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class AppDelegateGestureTest : public ::testing::Test
{
protected:
    AppDelegateGestureTest() { qputenv("QUORVANE_UPDATE_HOST", "http://127.0.0.1:9"); }

    AppDelegate &launch()
    {
        AppServices services { defaults, alerts, clicks, center, network, taps, device,
            dir.filePath(QStringLiteral("store")), [] { return true; }, [] { return true; }, false, [] {} };
        delegate = std::make_unique<AppDelegate>(std::move(services));
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
        finish();
    }
    void hide()
    {
        delegate->requestHide();
        finish();
    }
    void finish()
    {
        if (QAbstractAnimation *animation = delegate->panelController()->runningAnimation())
            animation->setCurrentTime(animation->totalDuration());
    }

    QTemporaryDir dir;
    Defaults defaults { dir.filePath(QStringLiteral("config/defaults.json")) };
    FakeAlertPresenter alerts;
    FakeClickMonitor clicks;
    NotificationCenter center;
    QNetworkAccessManager network;
    FakeScrollTapFactory taps;
    FakeNaturalScrolling device;
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
