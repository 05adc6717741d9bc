#include "platform/qt/qtalertpresenter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Asked to end while an alert is up, the program answers it the way the alert
// says the program ends, and the alert's own loop returns at once.
struct TerminationCase
{
    const char *name;
    QStringList buttons;
    int quitButton;
    int answer;
};

class AlertTermination : public ::testing::TestWithParam<TerminationCase>
{
};

TEST_P(AlertTermination, closesTheAlertWithTheButtonThatEndsTheProgram)
{
    QtAlertPresenter alerts;
    QTimer::singleShot(0, [&alerts] { alerts.closeForTermination(); });
    const TerminationCase &c = GetParam();
    EXPECT_EQ(alerts.run({ Alert::Style::Critical, "message", "text", c.buttons, c.quitButton }), c.answer);
    alerts.closeForTermination(); // with no alert up: nothing
}

INSTANTIATE_TEST_SUITE_P(QtAlertPresenter, AlertTermination,
    ::testing::Values(TerminationCase { "quitButtonFirst", { "Quit Quorvane", "Continue" }, 0, 0 },
        TerminationCase { "quitButtonSecond", { "Continue", "Quit" }, 1, 1 },
        TerminationCase { "noQuitButton", { "Open System Settings", "Skip" }, -1, -1 },
        TerminationCase { "quitButtonThatIsNotThere", { "OK" }, 3, -1 }),
    [](const auto &info) { return std::string(info.param.name); });

// Return and Escape choose the buttons the alert names, whatever their order: an
// alert whose first button can't be undone names its harmless one for both.
struct KeyCase
{
    const char *name;
    int defaultButton;
    int cancelButton;
    Qt::Key key;
    int answer;
};

class AlertKeys : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(AlertKeys, chooseTheButtonsTheAlertNames)
{
    const KeyCase &c = GetParam();
    QtAlertPresenter alerts;
    const auto press = [&c] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(box, &key);
    };
    QTimer::singleShot(0, press);
    Alert alert { .style = Alert::Style::Warning,
        .message = "Clear all clipboard history?",
        .informativeText = "Nothing brings it back.",
        .buttons = { "Clear All", "Cancel" },
        .defaultButton = c.defaultButton,
        .cancelButton = c.cancelButton };
    EXPECT_EQ(alerts.run(alert), c.answer);
}

INSTANTIATE_TEST_SUITE_P(QtAlertPresenter, AlertKeys,
    ::testing::Values(KeyCase { "returnTakesTheFirstUnlessTold", 0, -1, Qt::Key_Return, 0 },
        KeyCase { "returnTakesTheNamedDefault", 1, 1, Qt::Key_Return, 1 },
        KeyCase { "escapeTakesTheNamedCancel", 1, 1, Qt::Key_Escape, 1 }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
