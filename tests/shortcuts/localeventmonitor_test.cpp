#include "shortcuts/localeventmonitor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

using namespace GlobalShortcuts;

namespace {

TEST(LocalEventMonitor, swallowsWhatTheCallbackRefusesUntilDestroyed)
{
    QLineEdit field;
    int seen = 0;
    {
        LocalEventMonitor monitor({ QEvent::KeyPress }, [&](QEvent *) {
            ++seen;
            return false;
        });
        monitor.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&field, &press);
        EXPECT_EQ(seen, 1);
        EXPECT_TRUE(field.text().isEmpty());
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&field, &press);
    EXPECT_EQ(field.text(), QStringLiteral("a"));
    EXPECT_EQ(seen, 1);
}

TEST(LocalEventMonitor, keyMonitorClaimsShortcutOverrideSoProgramShortcutsStayQuiet)
{
    QLineEdit field;
    LocalEventMonitor keys({ QEvent::KeyPress }, [](QEvent *) { return true; });
    keys.start();
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
    override.ignore();
    EXPECT_TRUE(QApplication::sendEvent(&field, &override));
    EXPECT_TRUE(override.isAccepted());

    LocalEventMonitor mouse({ QEvent::MouseButtonPress }, [](QEvent *) { return false; });
    keys.stop();
    mouse.start();
    QKeyEvent other(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
    other.ignore();
    QApplication::sendEvent(&field, &other);
    EXPECT_FALSE(other.isAccepted());
}

TEST(LocalEventMonitor, judgesEachEventOnceOnItsWayUpAndEveryNewEventAgain)
{
    QWidget window;
    auto *child = new QWidget(&window); // ignores keys: they climb to the window
    int seen = 0;
    LocalEventMonitor monitor({ QEvent::KeyPress }, [&](QEvent *) {
        ++seen;
        return true;
    });
    monitor.start();

    // Two presses that Qt happens to build at one address with one time stamp
    // are still two presses.
    std::optional<QKeyEvent> press;
    press.emplace(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(child, &*press);
    EXPECT_EQ(seen, 1);
    press.reset();
    press.emplace(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(child, &*press);
    EXPECT_EQ(seen, 2);
    press.reset();
    press.emplace(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(&window, &*press);
    EXPECT_EQ(seen, 3);
}

TEST(LocalEventMonitor, aSwallowedPressThatNobodyAcceptedDoesNotClimbToTheWindow)
{
    QWidget window;
    auto *child = new QLineEdit(&window);
    int windowPresses = 0;
    LocalEventMonitor watcher({ QEvent::KeyPress }, [&](QEvent *event) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_B)
            ++windowPresses;
        return true;
    });
    LocalEventMonitor swallower({ QEvent::KeyPress }, [](QEvent *) { return false; });
    watcher.start();
    swallower.start(); // the later filter runs first
    QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    press.ignore(); // as Qt hands an unhandled press up to the parents
    QApplication::sendEvent(child, &press);
    EXPECT_TRUE(press.isAccepted());
    EXPECT_EQ(windowPresses, 0);
    EXPECT_TRUE(child->text().isEmpty());
}

TEST(LocalEventMonitor, functionKeysAreF1ToF35)
{
    EXPECT_TRUE(isFunctionKey(Qt::Key_F1));
    EXPECT_TRUE(isFunctionKey(Qt::Key_F35));
    EXPECT_FALSE(isFunctionKey(Qt::Key_Escape));
    EXPECT_FALSE(isFunctionKey(Qt::Key_A));
}

} // namespace
