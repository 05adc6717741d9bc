#include "platform/qt/qtalertpresenter.h"

#include <QTimer>

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

} // namespace
