// Runs under a private Xvfb: presses made by another X client (xdotool) reach the
// panel controller through the XInput 2 monitor.
#include "app/panelcontroller.h"
#include "app/quorvpanel.h"
#include "platform/x11/xinputclickmonitor.h"

#include "tests/support/waitfor.h"

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    ASSERT_TRUE(process.waitForFinished(5000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

void clickAt(QPoint p)
{
    xdotool({ QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
        QStringLiteral("click"), QStringLiteral("1") });
}

TEST(ClickOutside, pressOutsideTheShownPanelHidesItAndInsideDoesNot)
{
    QuorvPanel panel;
    XInputClickMonitor monitor;
    PanelController controller(panel, monitor);
    controller.showFrom(QGuiApplication::primaryScreen());
    ASSERT_TRUE(waitFor([&] { return !controller.isAnimating(); }));
    ASSERT_TRUE(monitor.isRunning());
    const QRect frame = panel.geometry();

    clickAt(frame.center());
    // The press is seen on another thread: give a press outside a chance to arrive too,
    // proving an inside press was delivered and ignored rather than lost.
    int presses = 0;
    QObject::connect(&monitor, &GlobalClickMonitor::pressed, [&] { ++presses; });
    clickAt(frame.center() + QPoint(10, 0));
    ASSERT_TRUE(waitFor([&] { return presses >= 1; }));
    EXPECT_TRUE(controller.isVisible());

    clickAt(QPoint(frame.center().x(), frame.bottom() + 50));
    ASSERT_TRUE(waitFor([&] { return !controller.isVisible(); }));
    ASSERT_TRUE(waitFor([&] { return !panel.isVisible(); }));
    EXPECT_FALSE(monitor.isRunning());
}

} // namespace
