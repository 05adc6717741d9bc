#include "app/panelfooterview.h"

#include "tests/app/sharedstate.h"

#include <QLabel>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(PanelFooter, theUpdateButtonShowsOnlyWhileAnUpdateExists)
{
    SharedState shared;
    QWidget window;
    PanelFooterView footer(shared.state, &window);
    EXPECT_FALSE(footer.updateButton()->isVisibleTo(&window));
    shared.state.setUpdateAvailable(true);
    EXPECT_TRUE(footer.updateButton()->isVisibleTo(&window));
    footer.updateButton()->click(); // no updater set: nothing happens
    shared.state.setUpdateAvailable(false);
    EXPECT_FALSE(footer.updateButton()->isVisibleTo(&window));
    EXPECT_EQ(QTextDocumentFragment::fromHtml(footer.hint()->text()).toPlainText(),
        QStringLiteral("Press Esc to dismiss"));
}

TEST(PanelFooter, theGearRunsTheSettingsActionWhenThereIsOne)
{
    SharedState shared;
    PanelFooterView footer(shared.state);
    footer.settingsButton()->click(); // none yet: nothing
    int taps = 0;
    footer.onSettingsTapped = [&] { ++taps; };
    footer.settingsButton()->click();
    EXPECT_EQ(taps, 1);
}

} // namespace
