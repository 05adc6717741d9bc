#include "app/appclipboardpanestate.h"
#include "app/appstate.h"
#include "app/quorvcontentview.h"
#include "clipboard/clipboardstore.h"
#include "platform/defaults.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakepasteboard.h"
#include "platform/notificationcenter.h"

#include "tests/support/waitfor.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The clipboard pane in the panel's root view reaches the key routing through
// the shared state's slots, and the shared state's fields through the adapter.
TEST(AppClipboardPaneState, thePaneInTheRootViewFillsTheKeyboardSlotsOfTheSharedState)
{
    QTemporaryDir dir;
    StoreError error;
    std::unique_ptr<ClipboardStore> store
        = ClipboardStore::open(dir.filePath(QStringLiteral("Clipboard.store")), &error);
    ASSERT_TRUE(store);
    FakeClock clock;
    QList<QUuid> ids;
    for (const char *text : { "older", "newer" }) {
        clock.advance(1000);
        ClipboardItem item = ClipboardItem::create(clock, ContentType::Text, text, QString::fromLatin1(text));
        ids.prepend(item.id);
        store->insert(item);
    }
    ASSERT_TRUE(store->save());
    Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    FakePasteboard pasteboard;
    FakeFileEventStream events;
    AppState state(defaults, *store, pasteboard, events, clock);
    NotificationCenter notifications;
    int dismissals = 0;
    NotificationToken token = notifications.addObserver(
        NotificationName::dismissHUD, [&](const Notification &) { ++dismissals; });
    QuorvContentView view(state, notifications);
    view.resize(900, 360);
    view.show();

    ASSERT_TRUE(waitFor([&] { return state.selectedClipboardItemID() == ids.first(); }));
    ASSERT_TRUE(state.onMoveClipboardSelection && state.onCopySelectedClipboardItem);
    state.onMoveClipboardSelection(1);
    EXPECT_EQ(state.selectedClipboardItemID(), ids.last());
    state.onCopySelectedClipboardItem();
    EXPECT_EQ(pasteboard.formats().value(PasteboardType::string), QByteArray("older"));
    EXPECT_EQ(dismissals, 1);

    state.setSearchQuery(QStringLiteral("NEW"));
    ASSERT_TRUE(waitFor([&] { return state.selectedClipboardItemID() == ids.first(); }))
        << "the query hides the selection: the first match takes it";
}

} // namespace
