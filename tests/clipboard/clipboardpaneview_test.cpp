#include "clipboard/clipboardlisting.h"
#include "clipboard/clipboardlistview.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardpanestate.h"
#include "clipboard/clipboardpaneview.h"
#include "clipboard/clipboardrowview.h"
#include "clipboard/thumbnailcache.h"
#include "platform/notificationcenter.h"

#include "tests/clipboard/managerfixture.h"
#include "tests/support/waitfor.h"
#include "ui/panelstyle.h"

#include <QImage>
#include <QPainter>

#include <random>

#include <gtest/gtest.h>

namespace {

// The shared state in memory, as the pane sees it.
class FakePaneState final : public ClipboardPaneState
{
public:
    FakePaneState(ClipboardManager &manager, ThumbnailCache &cache)
        : m_manager(manager)
        , m_cache(cache)
    { }

    ClipboardManager &clipboardManager() const override { return m_manager; }
    ThumbnailCache &thumbnailCache() const override { return m_cache; }
    QString searchQuery() const override { return query; }
    bool clipboardPaneHasFocus() const override { return focused; }
    std::optional<QUuid> selectedClipboardItemID() const override { return selected; }
    void setSelectedClipboardItemID(const std::optional<QUuid> &id) override
    {
        if (std::exchange(selected, id) != id)
            Q_EMIT selectedClipboardItemIDChanged();
    }
    bool lastItemWasSensitive() const override { return sensitive; }
    bool dismissOnCopy() const override { return dismiss; }
    void setKeyboardActions(ClipboardKeyboardActions newActions) override { actions = std::move(newActions); }

    void setQuery(const QString &text)
    {
        query = text;
        Q_EMIT searchQueryChanged();
    }
    void setFocused(bool value)
    {
        focused = value;
        Q_EMIT focusChanged();
    }

    QString query;
    bool focused = true;
    std::optional<QUuid> selected;
    bool sensitive = false;
    bool dismiss = true;
    ClipboardKeyboardActions actions;

private:
    ClipboardManager &m_manager;
    ThumbnailCache &m_cache;
};

class ClipboardPaneTest : public ClipboardManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ClipboardManagerFixture::SetUp());
        manager->onPersistenceFailure = [this](const StoreError &) { ++failures; };
        state = std::make_unique<FakePaneState>(*manager, cache);
        dismissToken = notifications.addObserver(
            NotificationName::dismissHUD, [this](const Notification &) { ++dismissals; });
    }

    // Stored one after the other, each newer than the last.
    QUuid add(const QString &text, bool pinned = false, ContentType type = ContentType::Text)
    {
        clock.advance(1000);
        ClipboardItem item = ClipboardItem::create(clock, type, text.toUtf8(), text);
        item.isPinned = pinned;
        store->insert(item);
        EXPECT_TRUE(store->save());
        return item.id;
    }

    ClipboardPaneView &openPane()
    {
        pane = std::make_unique<ClipboardPaneView>(*state, notifications);
        pane->resize(420, 300);
        pane->show();
        return *pane;
    }

    QString previewOf(const QUuid &id) const
    {
        return store->fetchById(id, ClipboardStore::Payload::Skip).value()->preview;
    }

    QStringList shown() const
    {
        QStringList previews;
        for (const QUuid &id : pane->listing().ids)
            previews.append(previewOf(id));
        return previews;
    }

    QString selectedPreview() const
    {
        return state->selected && pane->listing().ids.contains(*state->selected) ? previewOf(*state->selected)
                                                                                 : QStringLiteral("<none>");
    }

    // The store announces its changes on the next turn of the event loop.
    void settle() { runEventsFor(std::chrono::milliseconds(20)); }

    ThumbnailCache cache;
    NotificationCenter notifications;
    NotificationToken dismissToken;
    std::unique_ptr<FakePaneState> state;
    std::unique_ptr<ClipboardPaneView> pane;
    int failures = 0;
    int dismissals = 0;
};

TEST_F(ClipboardPaneTest, pinnedFirstThenNewestWithTheDividerOnlyBetweenTheTwo)
{
    add(QStringLiteral("one"));
    const QUuid pinned = add(QStringLiteral("pinned"), true);
    add(QStringLiteral("two"));
    add(QStringLiteral("three"));
    openPane();
    EXPECT_EQ(shown(), (QStringList { "pinned", "three", "two", "one" }));
    EXPECT_EQ(pane->listing().lastPinnedID, pinned);

    state->setQuery(QStringLiteral("pin"));
    EXPECT_EQ(shown(), QStringList { "pinned" });
    EXPECT_FALSE(pane->listing().lastPinnedID) << "no divider without unpinned entries below";
}

TEST_F(ClipboardPaneTest, theQueryIsMatchedLowercasedAndAsTyped)
{
    add(QStringLiteral("hello world"));
    add(QStringLiteral("Other"));
    openPane();
    state->setQuery(QStringLiteral("HELLO"));
    EXPECT_EQ(shown(), QStringList { "hello world" });
    state->setQuery(QStringLiteral(" hello"));
    EXPECT_TRUE(shown().isEmpty()) << "a leading blank is part of the query";
    state->setQuery(QStringLiteral("o"));
    EXPECT_EQ(shown(), (QStringList { "Other", "hello world" }));
}

TEST_F(ClipboardPaneTest, emptyStatesTellNoEntriesFromNoMatchesAndHideTheBanner)
{
    state->sensitive = true;
    openPane();
    EXPECT_EQ(pane->emptyStateText(), QStringLiteral("No items yet"));
    EXPECT_FALSE(pane->isBannerShown());
    add(QStringLiteral("entry"));
    settle();
    EXPECT_EQ(pane->emptyStateText(), QString());
    EXPECT_TRUE(pane->isBannerShown());
    state->setQuery(QStringLiteral("zzz"));
    EXPECT_EQ(pane->emptyStateText(), QStringLiteral("No matches"));
    EXPECT_FALSE(pane->isBannerShown());
}

TEST_F(ClipboardPaneTest, theBannerIsDrawnInTheFaintTone)
{
    state->sensitive = true;
    add(QStringLiteral("entry"));
    openPane();
    settle();
    ASSERT_TRUE(pane->isBannerShown());
    auto *banner = pane->findChild<QWidget *>(QStringLiteral("sensitiveBanner"));
    ASSERT_TRUE(banner);
    QImage drawn(banner->size(), QImage::Format_ARGB32);
    drawn.fill(Qt::white);
    banner->render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
    // Its darkest pixel is no darker than the faint tone drawn over white.
    QImage faint(1, 1, QImage::Format_ARGB32);
    faint.fill(Qt::white);
    QPainter(&faint).fillRect(0, 0, 1, 1, PanelStyle::tertiary(*pane));
    int darkest = 255;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            darkest = std::min(darkest, qGray(drawn.pixel(x, y)));
    }
    EXPECT_GE(darkest, qGray(faint.pixel(0, 0)) - 8);
}

TEST_F(ClipboardPaneTest, showingSelectsTheFirstAndTheArrowsMoveWithoutWrapping)
{
    add(QStringLiteral("A"));
    add(QStringLiteral("B"));
    add(QStringLiteral("C"));
    openPane();
    ASSERT_TRUE(waitFor([&] { return state->selected.has_value(); }));
    EXPECT_EQ(selectedPreview(), QStringLiteral("C"));
    state->actions.moveSelection(-1);
    EXPECT_EQ(selectedPreview(), QStringLiteral("C"));
    state->actions.moveSelection(1);
    state->actions.moveSelection(1);
    state->actions.moveSelection(1);
    EXPECT_EQ(selectedPreview(), QStringLiteral("A"));
}

TEST_F(ClipboardPaneTest, returnCopiesTheSelectedEntryAndDismissesOnlyWhenAsked)
{
    add(QStringLiteral("older"));
    const QUuid newest = add(QStringLiteral("newest"));
    openPane();
    ASSERT_TRUE(waitFor([&] { return state->selected == newest; }));
    state->actions.moveSelection(1);
    clock.advance(1000);
    state->actions.copySelected();
    EXPECT_EQ(pasteboard.formats().value(PasteboardType::string), QByteArray("older"));
    EXPECT_EQ(dismissals, 1);
    settle();
    EXPECT_EQ(shown(), (QStringList { "older", "newest" })) << "a copied entry moves to the top";
    EXPECT_EQ(store->fetchNewestFirst().value().size(), 2) << "copy back stores nothing new";

    state->dismiss = false;
    state->actions.moveSelection(1);
    clock.advance(1000);
    state->actions.copySelected();
    EXPECT_EQ(pasteboard.formats().value(PasteboardType::string), QByteArray("newest"));
    EXPECT_EQ(dismissals, 1);
    EXPECT_EQ(selectedPreview(), QStringLiteral("newest"));
}

TEST_F(ClipboardPaneTest, keyboardActionsLookTheEntryUpWhenTheKeyActs)
{
    const QUuid only = add(QStringLiteral("only"));
    openPane();
    ASSERT_TRUE(waitFor([&] { return state->selected == only; }));
    const ClipboardKeyboardActions held = state->actions;
    // Deleted behind the pane's back before the key acts: nothing to copy.
    store->remove(only);
    ASSERT_TRUE(store->save());
    held.copySelected();
    EXPECT_FALSE(pasteboard.formats().contains(PasteboardType::string));
    EXPECT_EQ(failures, 0);
}

TEST_F(ClipboardPaneTest, deleteSelectsTheEntryBelowAndTheLastDeleteEmptiesThePane)
{
    add(QStringLiteral("A"));
    add(QStringLiteral("B"));
    add(QStringLiteral("C"));
    openPane();
    ASSERT_TRUE(waitFor([&] { return state->selected.has_value(); }));
    state->actions.moveSelection(1); // B, the middle one
    state->actions.deleteSelected();
    settle();
    EXPECT_EQ(shown(), (QStringList { "C", "A" }));
    EXPECT_EQ(selectedPreview(), QStringLiteral("A"));
    state->actions.deleteSelected();
    settle();
    state->actions.deleteSelected();
    settle();
    EXPECT_FALSE(state->selected);
    EXPECT_EQ(pane->emptyStateText(), QStringLiteral("No items yet"));
    EXPECT_TRUE(store->fetchNewestFirst().value().isEmpty());
}

TEST_F(ClipboardPaneTest, aPinIsSavedAtOnceAndSurvivesALaterRollback)
{
    const QUuid id = add(QStringLiteral("keep me"));
    openPane();
    pane->togglePin(id);
    store->rollback(); // what any later failure does
    EXPECT_TRUE(store->fetchById(id, ClipboardStore::Payload::Skip).value()->isPinned);
    settle();
    EXPECT_TRUE(pane->listing().visible.first().isPinned);

    store->failNextSave(StoreError { 5, QStringLiteral("database is locked") });
    pane->togglePin(id);
    EXPECT_EQ(failures, 1) << "a failed pin goes through the failure report";
    EXPECT_TRUE(store->fetchById(id, ClipboardStore::Payload::Skip).value()->isPinned) << "rolled back";
}

TEST_F(ClipboardPaneTest, theOpenPaneFollowsTheStoreAndKeepsARowExpanded)
{
    const QUuid first = add(QStringLiteral("first"));
    openPane();
    ClipboardRowView *row = pane->list()->rowWidget(first);
    ASSERT_TRUE(row);
    row->toggleExpanded();
    add(QStringLiteral("second"));
    settle();
    EXPECT_EQ(shown(), (QStringList { "second", "first" }));
    EXPECT_TRUE(pane->list()->rowWidget(first)->isExpanded());

    pane->clearAll();
    settle();
    EXPECT_EQ(pane->emptyStateText(), QStringLiteral("No items yet"));
}

// Only the rows on screen are made, also after a long way down.
TEST_F(ClipboardPaneTest, movingTheSelectionFarDownScrollsItsRowIntoView)
{
    for (int i = 0; i < 200; ++i)
        add(QStringLiteral("entry %1").arg(i));
    openPane();
    ClipboardListView *list = pane->list();
    EXPECT_EQ(list->rowCount(), 200);
    EXPECT_LT(list->liveRowCount(), 20);
    EXPECT_GT(list->liveRowCount(), 0);
    ASSERT_TRUE(waitFor([&] { return state->selected.has_value(); }));
    state->actions.moveSelection(150);
    const QUuid target = *state->selected;
    ASSERT_TRUE(waitFor([&] {
        const ClipboardRowView *row = list->rowWidget(target);
        return row && row->isSelected() && list->viewport()->rect().contains(row->geometry().center());
    }));
    EXPECT_LT(list->liveRowCount(), 20) << "the rows passed over were not all made";
}

TEST_F(ClipboardPaneTest, theSelectionShowsOnlyWhileThePaneHasFocus)
{
    const QUuid id = add(QStringLiteral("entry"));
    openPane();
    ASSERT_TRUE(waitFor([&] { return state->selected == id; }));
    EXPECT_TRUE(pane->list()->rowWidget(id)->isSelected());
    state->setFocused(false);
    EXPECT_FALSE(pane->list()->rowWidget(id)->isSelected());
    EXPECT_EQ(state->selected, id) << "the selection stays for when focus returns";
    state->setFocused(true);
    EXPECT_TRUE(pane->list()->rowWidget(id)->isSelected());
}

TEST_F(ClipboardPaneTest, clickingARowSelectsAndCopiesIt)
{
    add(QStringLiteral("clicked"));
    const QUuid other = add(QStringLiteral("other"));
    openPane();
    ASSERT_TRUE(waitFor([&] { return state->selected == other; }));
    const QUuid clicked = pane->listing().ids.last();
    pane->list()->rowWidget(clicked)->onCopy();
    EXPECT_EQ(state->selected, clicked);
    EXPECT_EQ(pasteboard.formats().value(PasteboardType::string), QByteArray("clicked"));
}

// Captures (new, repeated, trimming), pins, deletes and copy-backs in random
// order, announced one at a time or several together: what the pane shows after
// following them change by change is what it would show after a full read.
TEST_F(ClipboardPaneTest, followingTheStoreChangeByChangeEndsWhereAFullReadDoes)
{
    manager->setHistoryLimit(6);
    openPane();
    std::mt19937 random(45);
    const auto pick = [&]() -> std::optional<QUuid> {
        const QList<QUuid> &ids = pane->listing().ids;
        if (ids.isEmpty())
            return std::nullopt;
        return ids.at(qsizetype(random() % quint32(ids.size())));
    };
    for (int step = 0; step < 300; ++step) {
        clock.advance(1000);
        const quint32 action = random() % 6;
        if (action <= 2) {
            // A small pool of texts, so that repeats move entries up.
            pasteboard.offerText(
                QStringLiteral("Copy number %1%2")
                    .arg(random() % 12)
                    .arg(action == 2 ? QStringLiteral(", long enough for two lines of preview") : QString()));
            manager->checkPasteboard();
        } else if (const std::optional<QUuid> id = pick()) {
            if (action == 3)
                pane->togglePin(*id);
            else if (action == 4)
                pane->deleteItem(*id);
            else
                pane->copyItem(*id);
        }
        if (random() % 3 == 0)
            settle();
        else
            continue;
        const ClipboardEntries reread(store->fetchNewestFirst().value());
        for (const QString &query : { QString(), QStringLiteral("NUMBER 1"), QStringLiteral("lines") }) {
            state->setQuery(query);
            const ClipboardListing expected = ClipboardListing::filtered(reread, query);
            ASSERT_EQ(pane->listing().visible, expected.visible)
                << "step " << step << ", query " << query.toStdString();
            ASSERT_EQ(pane->listing().lastPinnedID, expected.lastPinnedID) << "step " << step;
        }
        state->setQuery(QString());
    }
    EXPECT_EQ(failures, 0);
}

} // namespace
