#include "app/searchbarview.h"

#include "tests/app/sharedstate.h"
#include "tests/support/waitfor.h"

#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class SearchBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&shared.state, &AppState::searchQueryChanged,
            [this](const QString &query) { published.append(query); });
        QObject::connect(&shared.state, &AppState::focusTargetChanged,
            [this] { targets.append(shared.state.focusTarget()); });
    }

    // The bar in a window that has the keyboard, as the shown panel does.
    void showActive()
    {
        window.resize(600, 60);
        bar.resize(600, 40);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitFor([&] { return window.isActiveWindow(); }));
    }

    SharedState shared;
    QWidget window;
    SearchBarView bar { shared.state, &window };
    QStringList published;
    QList<PanelFocusTarget> targets;
};

TEST_F(SearchBarTest, aBurstOfKeystrokesPublishesOnlyItsLastTextAfterThePause)
{
    bar.field()->insert(QStringLiteral("a"));
    bar.field()->insert(QStringLiteral("b"));
    bar.field()->insert(QStringLiteral("c"));
    EXPECT_TRUE(published.isEmpty()) << "nothing before the pause";
    EXPECT_TRUE(bar.clearButton()->isVisibleTo(&window));
    ASSERT_TRUE(waitFor([&] { return !published.isEmpty(); }));
    runEventsFor(std::chrono::milliseconds(SearchBarView::publishDelayMs + 50));
    EXPECT_EQ(published, QStringList { "abc" });
    EXPECT_EQ(shared.state.searchQuery(), QStringLiteral("abc"));
}

TEST_F(SearchBarTest, clearEmptiesTheQueryAtOnceAndTheTextStillPendingNeverFollows)
{
    bar.field()->setText(QStringLiteral("ab"));
    ASSERT_TRUE(waitFor([&] { return shared.state.searchQuery() == QStringLiteral("ab"); }));
    bar.field()->insert(QStringLiteral("c")); // "abc" waits for the pause
    published.clear();
    bar.clearButton()->click();
    EXPECT_EQ(published, QStringList { "" }) << "at once, without the debounce";
    EXPECT_EQ(bar.field()->text(), QString());
    EXPECT_FALSE(bar.clearButton()->isVisibleTo(&window));
    // The empty text is published again after the pause (the same value: no
    // change to announce), and "abc" never is.
    runEventsFor(std::chrono::milliseconds(SearchBarView::publishDelayMs + 100));
    EXPECT_EQ(published, QStringList { "" });
    EXPECT_EQ(shared.state.searchQuery(), QString());
}

TEST_F(SearchBarTest, theFocusTargetMovesTheCaretAndAClickMovesTheTarget)
{
    showActive();
    shared.state.setFocusTarget(PanelFocusTarget::search());
    EXPECT_TRUE(bar.field()->hasFocus());

    // Tab on to a pane: the field lets go, and the target never passes through none.
    targets.clear();
    shared.state.switchPane(false);
    EXPECT_FALSE(bar.field()->hasFocus());
    runEventsFor(50ms);
    EXPECT_EQ(targets, QList<PanelFocusTarget> { PanelFocusTarget::pane(FocusedPane::Clipboard) });

    // A click into the field makes the search the target.
    bar.field()->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(waitFor([&] { return shared.state.focusTarget().isSearch(); }));

    // Losing the field by other means while the search is the target leaves no target.
    bar.field()->clearFocus();
    ASSERT_TRUE(waitFor([&] { return shared.state.focusTarget() == PanelFocusTarget::none(); }));
}

} // namespace
