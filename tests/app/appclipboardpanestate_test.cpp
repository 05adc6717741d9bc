#include "app/quorvcontentview.h"

#include "tests/app/sharedstate.h"
#include "tests/support/waitfor.h"

#include <gtest/gtest.h>

namespace {

// The clipboard pane in the panel's root view reaches the key routing through
// the shared state's slots, and the shared state's fields through the adapter.
TEST(AppClipboardPaneState, thePaneInTheRootViewFillsTheKeyboardSlotsOfTheSharedState)
{
    SharedState shared;
    AppState &state = shared.state;
    const QUuid older = shared.addText(QStringLiteral("older"));
    const QUuid newer = shared.addText(QStringLiteral("newer"));
    const QList<QUuid> ids { newer, older };
    int dismissals = 0;
    NotificationToken token = shared.notifications.addObserver(
        NotificationName::dismissHUD, [&](const Notification &) { ++dismissals; });
    QuorvContentView view(state, shared.notifications);
    view.resize(900, 360);
    view.show();

    ASSERT_TRUE(waitFor([&] { return state.selectedClipboardItemID() == ids.first(); }));
    ASSERT_TRUE(state.onMoveClipboardSelection && state.onCopySelectedClipboardItem);
    state.onMoveClipboardSelection(1);
    EXPECT_EQ(state.selectedClipboardItemID(), ids.last());
    state.onCopySelectedClipboardItem();
    EXPECT_EQ(shared.pasteboard.formats().value(PasteboardType::string), QByteArray("older"));
    EXPECT_EQ(dismissals, 1);

    state.setSearchQuery(QStringLiteral("NEW"));
    ASSERT_TRUE(waitFor([&] { return state.selectedClipboardItemID() == ids.first(); }))
        << "the query hides the selection: the first match takes it";
}

} // namespace
