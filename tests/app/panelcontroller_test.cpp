#include "app/panelcontroller.h"
#include "app/quorvpanel.h"
#include "platform/fake/fakeclickmonitor.h"

#include <QAbstractAnimation>
#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const ScreenInfo laptop { QStringLiteral("Built-in"), QRect(0, 0, 2560, 1440), QRect(0, 24, 2560, 1416) };

class PanelControllerTest : public ::testing::Test
{
protected:
    PanelControllerTest()
    {
        controller.setHostingView(content);
        panel.setContent(content);
        controller.onShow = [this] { ++shows; };
        controller.onHide = [this] { ++hides; };
        controller.onAnimationComplete = [this](bool visible) { completions.push_back(visible); };
    }

    // Jumps the running transition to its end, as if its time had passed.
    void finishAnimation()
    {
        if (QAbstractAnimation *animation = controller.runningAnimation())
            animation->setCurrentTime(animation->totalDuration());
    }

    QuorvPanel panel;
    QWidget *content = new QWidget;
    FakeClickMonitor clicks;
    NotificationCenter center;
    PanelController controller { panel, clicks, center };
    int shows = 0;
    int hides = 0;
    std::vector<bool> completions;
};

TEST(PanelGeometry, fillsTheVisibleWidthUnderTheTopPanel)
{
    EXPECT_EQ(PanelController::targetFrame(laptop), QRect(0, 24, 2560, 576));
    const ScreenInfo small { QStringLiteral("S"), QRect(0, 0, 1728, 1117), QRect(0, 24, 1728, 1093) };
    EXPECT_EQ(PanelController::targetFrame(small).height(), 446);
    // A second screen right of the first, with a dock on its left edge.
    const ScreenInfo side { QStringLiteral("R"), QRect(2560, 0, 1920, 1080), QRect(2620, 30, 1860, 1050) };
    EXPECT_EQ(PanelController::targetFrame(side), QRect(2620, 30, 1860, 432));
}

TEST_F(PanelControllerTest, showDropsThePanelAndReportsTheEnd)
{
    controller.show(laptop);
    EXPECT_TRUE(controller.isVisible());
    EXPECT_TRUE(controller.isAnimating());
    EXPECT_TRUE(clicks.isRunning());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(controller.contentOpacity(), 0.0);
    EXPECT_EQ(panel.geometry().height(), 1); // starts collapsed at the top edge
    EXPECT_EQ(panel.geometry().top(), 24);

    finishAnimation();
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(completions, std::vector<bool> { true });
    EXPECT_EQ(panel.geometry(), QRect(0, 24, 2560, 576));
    EXPECT_EQ(content->geometry(), QRect(0, 0, 2560, 576));
    EXPECT_EQ(controller.contentOpacity(), 1.0);
}

TEST_F(PanelControllerTest, hideCollapsesThePanelAndRestoresTheContent)
{
    controller.show(laptop);
    finishAnimation();
    controller.hide();
    EXPECT_FALSE(controller.isVisible());
    EXPECT_TRUE(controller.isAnimating());
    EXPECT_FALSE(clicks.isRunning());
    EXPECT_EQ(hides, 1);

    finishAnimation();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(completions, (std::vector<bool> { true, false }));
    EXPECT_EQ(controller.contentOpacity(), 1.0);
}

TEST_F(PanelControllerTest, repeatedRequestsChangeNothing)
{
    controller.hide();
    controller.hideImmediately();
    EXPECT_EQ(hides, 0);
    controller.show(laptop);
    controller.show(laptop);
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(completions.empty());
}

TEST_F(PanelControllerTest, toggleDuringTheCollapseShowsAgainAndStaysShown)
{
    controller.show(laptop);
    finishAnimation();
    controller.hide();
    controller.show(laptop); // the collapse is superseded
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(shows, 2);
    finishAnimation();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(controller.isVisible());
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(completions, (std::vector<bool> { true, true }));
}

TEST_F(PanelControllerTest, hideDuringTheDropEndsHidden)
{
    controller.show(laptop);
    controller.hide();
    finishAnimation();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(completions, std::vector<bool> { false });
}

TEST_F(PanelControllerTest, immediateHideDuringTheDropReportsHiddenOnly)
{
    controller.show(laptop);
    controller.hideImmediately();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(controller.runningAnimation(), nullptr);
    EXPECT_EQ(controller.contentOpacity(), 1.0);
    EXPECT_EQ(completions, std::vector<bool> { false });
}

TEST_F(PanelControllerTest, dismissNotificationHidesAtOnceOnlyWhenShown)
{
    center.post(NotificationName::dismissHUD);
    EXPECT_EQ(hides, 0);
    controller.show(laptop);
    finishAnimation();
    center.post(NotificationName::dismissHUD);
    EXPECT_FALSE(controller.isVisible());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(hides, 1);
    EXPECT_EQ(completions, (std::vector<bool> { true, false }));
}

TEST_F(PanelControllerTest, pressOutsideHidesButNotInsideOrOnOwnWindows)
{
    controller.isOwnWindowAt = [](QPoint p) { return p == QPoint(2500, 5); };
    controller.show(laptop);
    finishAnimation();
    clicks.press(QPoint(100, 300)); // inside
    EXPECT_TRUE(controller.isVisible());
    clicks.press(QPoint(2500, 5)); // the tray icon
    EXPECT_TRUE(controller.isVisible());
    clicks.press(QPoint(100, 900)); // below the panel
    EXPECT_FALSE(controller.isVisible());
    EXPECT_TRUE(controller.isAnimating());
    EXPECT_EQ(hides, 1);
}

TEST_F(PanelControllerTest, theClickMonitorLivesExactlyWhileShown)
{
    controller.show(laptop);
    EXPECT_TRUE(controller.isClickMonitorInstalled());
    controller.hideImmediately();
    EXPECT_FALSE(controller.isClickMonitorInstalled());
    EXPECT_FALSE(clicks.isRunning());
    controller.show(laptop);
    EXPECT_EQ(clicks.starts(), 2);
}

// What the window system holds of the panel against what its widgets paint when
// asked afresh, at every frame of the drop and the collapse: a part of the content
// left out of a repaint keeps an older frame.
class PanelOnScreenTest : public ::testing::Test
{
protected:
    PanelOnScreenTest()
    {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        palette.setColor(QPalette::Base, Qt::white);
        panel.setPalette(palette);
        // A part that paints itself opaquely, as a scroll area's viewport does,
        // inside a content that paints nothing of its own.
        auto *layout = new QVBoxLayout(content);
        layout->setContentsMargins(40, 40, 40, 40);
        layout->addWidget(new QAbstractScrollArea);
        controller.setHostingView(content);
        panel.setContent(content);
    }
    ~PanelOnScreenTest() override { controller.hideImmediately(); }

    // The test steps the transition itself: left running, the animation's timer would
    // move it on between a step and its check, and under load run it to its end and
    // free it while the test still steps it.
    void holdTransition()
    {
        QAbstractAnimation *animation = controller.runningAnimation();
        ASSERT_NE(animation, nullptr);
        animation->pause();
    }

    // Runs the held transition through `times` (ms) and checks the screen after each.
    void expectEveryFrameOnScreen(const std::vector<int> &times)
    {
        QAbstractAnimation *animation = controller.runningAnimation();
        ASSERT_NE(animation, nullptr);
        ASSERT_EQ(animation->state(), QAbstractAnimation::Paused);
        for (int time : times) {
            animation->setCurrentTime(time);
            settle();
            if (!panel.isVisible())
                return;
            ASSERT_EQ(onScreen(), painted())
                << "at " << time << " ms, content opacity " << controller.contentOpacity();
        }
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    QImage onScreen() const
    {
        return QGuiApplication::primaryScreen()
            ->grabWindow(panel.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage painted() { return panel.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QuorvPanel panel;
    QWidget *content = new QWidget;
    FakeClickMonitor clicks;
    NotificationCenter center;
    PanelController controller { panel, clicks, center };
};

TEST_F(PanelOnScreenTest, theDropAndTheFadeLeaveTheContentOnScreenAsItPaints)
{
    controller.showFrom(nullptr);
    holdTransition();
    settle();
    constexpr int drop = PanelController::dropMs;
    expectEveryFrameOnScreen(
        { 100, drop, drop + 10, drop + 80, drop + 140, drop + PanelController::contentFadeInMs });
    EXPECT_FALSE(controller.isAnimating());
    EXPECT_EQ(controller.contentOpacity(), 1.0);
}

TEST_F(PanelOnScreenTest, theFadeOutLeavesTheContentOnScreenAsItPaints)
{
    controller.showFrom(nullptr);
    controller.runningAnimation()->setCurrentTime(controller.runningAnimation()->totalDuration());
    settle();
    ASSERT_EQ(onScreen(), painted());
    controller.hide();
    holdTransition();
    expectEveryFrameOnScreen({ 10, 50, PanelController::contentFadeOutMs });
    // Shown again before the collapse ends: the content fades in afresh.
    controller.showFrom(nullptr);
    holdTransition();
    settle();
    constexpr int drop = PanelController::dropMs;
    expectEveryFrameOnScreen({ drop + 20, drop + 100, drop + PanelController::contentFadeInMs });
}

} // namespace
