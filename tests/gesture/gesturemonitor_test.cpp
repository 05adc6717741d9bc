#include "gesture/gesturemonitor.h"

#include "gesture/gesturemonitordelegate.h"
#include "platform/defaults.h"
#include "platform/fake/fakenaturalscrolling.h"
#include "platform/fake/fakescrolltap.h"
#include "tests/support/logcapture.h"
#include "tests/support/waitfor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class RecordingDelegate final : public GestureMonitorDelegate
{
public:
    void requestShow(QScreen *screen) override { shows.push_back(screen); }
    void requestHide() override { ++hides; }

    std::vector<QScreen *> shows;
    int hides = 0;
};

void settle()
{
    QCoreApplication::processEvents();
}

class GestureMonitorTest : public ::testing::Test
{
protected:
    GestureMonitorTest() { monitor.setDelegate(&delegate); }

    FakeScrollTap &startedTap()
    {
        monitor.start();
        EXPECT_TRUE(taps.last && taps.last->waitUntilRunning(2000));
        return *taps.last;
    }

    // Notches 40 ms apart with the pointer at the top of the primary screen.
    std::vector<std::optional<bool>> scroll(FakeScrollTap &tap, int notches, double delta, double rootY = 0)
    {
        std::vector<std::optional<bool>> answers;
        const QRect primary = QGuiApplication::primaryScreen()->geometry();
        for (int i = 0; i < notches; ++i) {
            answers.push_back(tap.scroll({ delta, QPointF(primary.x() + 100, primary.y() + rootY), m_time }));
            m_time += 0.04;
        }
        return answers;
    }

    void pause() { m_time += 1.0; }

    LogCapture logs;
    QTemporaryDir dir;
    Defaults defaults { dir.filePath(QStringLiteral("defaults.json")) };
    FakeNaturalScrolling device;
    FakeScrollTapFactory taps;
    RecordingDelegate delegate;
    GestureMonitor monitor { taps, ScrollDirection(defaults, device) };

private:
    double m_time = 100.0;
};

using Answers = std::vector<std::optional<bool>>;
constexpr std::optional<bool> passes = false;
constexpr std::optional<bool> swallowed = true;

TEST_F(GestureMonitorTest, startsOnceAndStopsOnce)
{
    FakeScrollTap &tap = startedTap();
    EXPECT_TRUE(monitor.isStarted());
    monitor.start();
    EXPECT_EQ(taps.created(), 1);
    EXPECT_EQ(logs.count(QStringLiteral("GestureMonitor started")), 1);

    monitor.stop();
    monitor.stop();
    EXPECT_FALSE(monitor.isStarted());
    EXPECT_TRUE(tap.hasReturned());
    EXPECT_FALSE(tap.isEnabled());
    EXPECT_EQ(logs.count(QStringLiteral("GestureMonitor stopped")), 1);

    startedTap();
    EXPECT_EQ(taps.created(), 2);
}

TEST_F(GestureMonitorTest, untappableSessionLogsAndALaterStartSucceeds)
{
    taps.failCreate(true);
    monitor.start();
    EXPECT_FALSE(monitor.isStarted());
    EXPECT_TRUE(logs.contains(
        QStringLiteral("Failed to create the scroll tap — no X server with XInput 2 is available")));
    EXPECT_FALSE(
        logs.containsPrefix(QStringLiteral("Failed to create CGEventTap"))); // no macOS facility here
    EXPECT_FALSE(logs.contains(QStringLiteral("GestureMonitor started")));

    taps.failCreate(false);
    startedTap();
    EXPECT_TRUE(monitor.isStarted());
}

TEST_F(GestureMonitorTest, tapThatCanNotInstallStopsTheMonitor)
{
    taps.next->failInstall();
    monitor.start();
    EXPECT_FALSE(monitor.isStarted());
    EXPECT_TRUE(logs.contains(QStringLiteral("GestureMonitor tap thread failed to create run loop source")));
    EXPECT_TRUE(logs.contains(QStringLiteral("GestureMonitor stopped")));
    EXPECT_FALSE(logs.contains(QStringLiteral("GestureMonitor started")));
}

TEST_F(GestureMonitorTest, slowStartupIsLoggedAndTheTapStays)
{
    taps.next->holdInstall();
    monitor.start();
    EXPECT_TRUE(monitor.isStarted());
    EXPECT_TRUE(
        logs.contains(QStringLiteral("GestureMonitor tap thread did not finish startup before timeout")));
    EXPECT_TRUE(logs.contains(QStringLiteral("GestureMonitor started")));
    taps.last->releaseInstall();
    EXPECT_TRUE(taps.last->waitUntilRunning(2000));
    monitor.stop();
    EXPECT_TRUE(taps.last->hasReturned());
}

TEST_F(GestureMonitorTest, stuckTapThreadIsCutOffSoNoGrabOutlivesStop)
{
    FakeScrollTap &tap = startedTap();
    tap.ignoreInterrupts();
    monitor.stop();
    EXPECT_FALSE(monitor.isStarted());
    EXPECT_TRUE(tap.wasAbandoned());
    EXPECT_TRUE(
        logs.contains(QStringLiteral("GestureMonitor tap thread did not finish before stop timeout")));
    EXPECT_TRUE(logs.contains(QStringLiteral("GestureMonitor stopped")));
    tap.releaseRun();
    EXPECT_TRUE(waitFor([&] { return tap.hasReturned(); }, std::chrono::milliseconds(2000)));
}

TEST_F(GestureMonitorTest, sixNotchesAtTheTopShowThePanelAndOnlyTheTriggerIsSwallowed)
{
    FakeScrollTap &tap = startedTap();
    EXPECT_EQ(scroll(tap, 7, 10), (Answers { passes, passes, passes, passes, passes, swallowed, swallowed }));
    EXPECT_TRUE(delegate.shows.empty()) << "requests reach the delegate on a later turn of the main queue";
    settle();
    ASSERT_EQ(delegate.shows.size(), 1u);
    EXPECT_EQ(delegate.shows[0], QGuiApplication::primaryScreen());
}

TEST_F(GestureMonitorTest, fiveNotchesOrNotchesBelowTheZoneDoNothing)
{
    FakeScrollTap &tap = startedTap();
    EXPECT_EQ(scroll(tap, 5, 10), Answers(5, passes));
    pause();
    EXPECT_EQ(scroll(tap, 6, 10, 20), Answers(6, passes));
    settle();
    EXPECT_TRUE(delegate.shows.empty());
}

TEST_F(GestureMonitorTest, shownPanelHidesOnTheOppositeNotches)
{
    FakeScrollTap &tap = startedTap();
    monitor.setPanelVisible(true);
    EXPECT_EQ(scroll(tap, 6, 10), Answers(6, passes));
    pause();
    EXPECT_EQ(scroll(tap, 6, -10).back(), swallowed);
    settle();
    EXPECT_EQ(delegate.hides, 1);
    EXPECT_TRUE(delegate.shows.empty());
}

TEST_F(GestureMonitorTest, visibilityReportResetsTheRecognizerAMomentLater)
{
    FakeScrollTap &tap = startedTap();
    scroll(tap, 6, 10);
    ASSERT_EQ(monitor.stateMachine().state(), GestureStateMachine::State::Triggered);
    monitor.setPanelVisible(true);
    EXPECT_EQ(monitor.stateMachine().state(), GestureStateMachine::State::Triggered);
    EXPECT_TRUE(monitor.stateMachine().isPanelVisible());
    EXPECT_TRUE(waitFor([&] { return monitor.stateMachine().state() == GestureStateMachine::State::Idle; },
        std::chrono::milliseconds(2000)));
}

TEST_F(GestureMonitorTest, disabledTapPassesEverythingUntilEnabledAgain)
{
    FakeScrollTap &tap = startedTap();
    monitor.setPanelVisible(true);
    monitor.disable();
    EXPECT_FALSE(tap.isEnabled());
    EXPECT_FALSE(monitor.stateMachine().isPanelVisible());
    EXPECT_TRUE(logs.contains(QStringLiteral("GestureMonitor disabled")));
    EXPECT_EQ(scroll(tap, 6, 10), Answers(6, std::nullopt));

    monitor.enable();
    EXPECT_TRUE(tap.isEnabled());
    EXPECT_TRUE(logs.contains(QStringLiteral("GestureMonitor enabled")));
    // The panel is still shown: the recogniser must know, or a pull-down would
    // trigger a show that the application drops, and it would stay stuck.
    EXPECT_TRUE(monitor.stateMachine().isPanelVisible());
    pause();
    scroll(tap, 6, -10);
    settle();
    EXPECT_EQ(delegate.hides, 1);
}

TEST_F(GestureMonitorTest, switchedOffBeforeStartTheTapStartsDisabled)
{
    monitor.disable();
    monitor.enable();
    monitor.disable();
    FakeScrollTap &tap = startedTap();
    EXPECT_FALSE(tap.isEnabled());
    EXPECT_EQ(scroll(tap, 1, 10), Answers { std::nullopt });
    monitor.enable();
    EXPECT_TRUE(tap.isEnabled());
}

TEST_F(GestureMonitorTest, switchingOnReadsTheScrollingDirectionAgain)
{
    FakeScrollTap &tap = startedTap();
    EXPECT_TRUE(monitor.stateMachine().isNaturalScrolling());
    defaults.setBoolean(DefaultsKey::swipeScrollDirection, false);
    monitor.disable();
    monitor.enable();
    EXPECT_FALSE(monitor.stateMachine().isNaturalScrolling());
    EXPECT_EQ(scroll(tap, 6, 10), Answers(6, passes));
    pause();
    EXPECT_EQ(scroll(tap, 6, -10).back(), swallowed);
    settle();
    EXPECT_EQ(delegate.shows.size(), 1u);
}

TEST_F(GestureMonitorTest, showForAScreenThatHasGoneUsesThePrimary)
{
    FakeScrollTap &tap = startedTap();
    monitor.publishScreens(
        ScreenSnapshot({ { QStringLiteral("unplugged"), QRect(QPoint(0, 0), QSize(300, 200)) } }));
    scroll(tap, 6, 10);
    settle();
    ASSERT_EQ(delegate.shows.size(), 1u);
    EXPECT_EQ(delegate.shows[0], QGuiApplication::primaryScreen());
}

TEST_F(GestureMonitorTest, requestPostedBeforeTheMonitorWentIsDropped)
{
    {
        GestureMonitor shortLived(taps, ScrollDirection(defaults, device));
        shortLived.setDelegate(&delegate);
        shortLived.start();
        ASSERT_TRUE(taps.last->waitUntilRunning(2000));
        scroll(*taps.last, 6, 10);
    }
    settle();
    EXPECT_TRUE(delegate.shows.empty());
}

} // namespace
