#include "app/panelfooterview.h"

#include "tests/app/sharedstate.h"

#include <QLabel>
#include <QPushButton>
#include <QTextDocumentFragment>

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

} // namespace
