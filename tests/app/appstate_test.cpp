#include "app/appstate.h"
#include "app/quorvcontentview.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardstore.h"
#include "notes/notesmanager.h"
#include "platform/bookmark.h"
#include "platform/defaults.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakepasteboard.h"
#include "platform/notificationcenter.h"
#include "tests/app/sharedstate.h"
#include "tests/support/logcapture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class AppStateTest : public ::testing::Test
{
protected:
    Defaults &defaults()
    {
        if (!m_defaults)
            m_defaults = std::make_unique<Defaults>(dir.filePath(QStringLiteral("defaults.json")));
        return *m_defaults;
    }
    // Settings as a person might have left them in the file.
    void writeSettings(const QByteArray &json)
    {
        QFile file(dir.filePath(QStringLiteral("defaults.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    std::unique_ptr<AppState> makeState()
    {
        return std::make_unique<AppState>(defaults(), *store, pasteboard, events, clock);
    }
    QUrl makeVault(const QString &name)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        QFile note(path + QStringLiteral("/a.md"));
        note.open(QIODevice::WriteOnly);
        note.write("# A\n");
        return QUrl::fromLocalFile(QDir(path).canonicalPath());
    }

    QTemporaryDir dir;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<ClipboardStore> store = openStoreIn(dir);
    FakePasteboard pasteboard;
    FakeFileEventStream events;
    FakeClock clock;
};

TEST_F(AppStateTest, focusStartsAtTheStoredPane)
{
    defaults().setString(QStringLiteral("lastFocusedPane"), QStringLiteral("notes"));
    EXPECT_EQ(AppState(defaults(), *store, pasteboard, events, clock).focusTarget(),
        PanelFocusTarget::pane(FocusedPane::Notes));
    defaults().setString(QStringLiteral("lastFocusedPane"), QStringLiteral("search"));
    EXPECT_EQ(AppState(defaults(), *store, pasteboard, events, clock).focusTarget(),
        PanelFocusTarget::pane(FocusedPane::Clipboard));
    defaults().setInteger(QStringLiteral("lastFocusedPane"), 1);
    EXPECT_EQ(AppState(defaults(), *store, pasteboard, events, clock).focusTarget(),
        PanelFocusTarget::pane(FocusedPane::Clipboard));
}

TEST_F(AppStateTest, onlyPanesAreStoredAsTheLastFocus)
{
    AppState state(defaults(), *store, pasteboard, events, clock);
    state.switchPane(false); // clipboard → notes
    EXPECT_EQ(defaults().string(QStringLiteral("lastFocusedPane")), QStringLiteral("notes"));
    state.setSearchFocused(true);
    EXPECT_TRUE(state.focusTarget().isSearch());
    state.setSearchFocused(false);
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::none());
    EXPECT_EQ(defaults().string(QStringLiteral("lastFocusedPane")), QStringLiteral("notes"));
}

TEST_F(AppStateTest, leavingSearchWhileAPaneHasFocusChangesNothing)
{
    AppState state(defaults(), *store, pasteboard, events, clock);
    state.setSearchFocused(false);
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::pane(FocusedPane::Clipboard));
}

TEST_F(AppStateTest, landingOnTheClipboardPaneRequestsItsFocus)
{
    AppState state(defaults(), *store, pasteboard, events, clock);
    int requests = 0;
    QObject::connect(&state, &AppState::clipboardFocusRequested, [&] { ++requests; });
    state.switchPane(false); // notes
    state.switchPane(false); // search
    EXPECT_EQ(state.clipboardFocusRequest(), 0);
    state.switchPane(false); // clipboard
    EXPECT_EQ(state.clipboardFocusRequest(), 1);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(defaults().string(QStringLiteral("lastFocusedPane")), QStringLiteral("clipboard"));
}

TEST_F(AppStateTest, settingsReadTheirDefaultsWhenMissingOrOfTheWrongType)
{
    writeSettings(R"({"dismissOnCopy": "yes", "autoSaveDelay": "fast", "historyLimit": 12.5,
                      "isGestureEnabled": 0, "skipSensitiveItems": null})");
    AppState state(defaults(), *store, pasteboard, events, clock);
    EXPECT_TRUE(state.dismissOnCopy());
    EXPECT_EQ(state.autoSaveDelay(), 1.0);
    EXPECT_EQ(state.historyLimit(), 200);
    EXPECT_TRUE(state.isGestureEnabled());
    EXPECT_TRUE(state.skipSensitiveItems());
}

TEST_F(AppStateTest, storedSettingsAreHonouredAndWritesAreStored)
{
    writeSettings(R"({"dismissOnCopy": false, "autoSaveDelay": 2.5, "historyLimit": 500,
                      "isGestureEnabled": false, "skipSensitiveItems": false})");
    AppState state(defaults(), *store, pasteboard, events, clock);
    EXPECT_FALSE(state.dismissOnCopy());
    EXPECT_EQ(state.autoSaveDelay(), 2.5);
    EXPECT_EQ(state.historyLimit(), 500);
    EXPECT_FALSE(state.isGestureEnabled());
    EXPECT_FALSE(state.skipSensitiveItems());

    state.setDismissOnCopy(true);
    state.setAutoSaveDelay(0.5);
    state.setHistoryLimit(1000);
    state.setGestureEnabled(true);
    state.setSkipSensitiveItems(true);
    Defaults reread(defaults().filePath());
    EXPECT_EQ(reread.boolean(QStringLiteral("dismissOnCopy")), true);
    EXPECT_EQ(reread.real(QStringLiteral("autoSaveDelay")), 0.5);
    EXPECT_EQ(reread.integer(QStringLiteral("historyLimit")), 1000);
    EXPECT_EQ(reread.boolean(QStringLiteral("isGestureEnabled")), true);
    EXPECT_EQ(reread.boolean(QStringLiteral("skipSensitiveItems")), true);
}

struct OutOfRange
{
    const char *name;
    const char *json;
    int historyLimit;
    double autoSaveDelay;
};

void PrintTo(const OutOfRange &row, std::ostream *out)
{
    *out << row.json;
}

class OutOfRangeSettings : public AppStateTest, public ::testing::WithParamInterface<OutOfRange>
{
};

TEST_P(OutOfRangeSettings, areReadIntoTheirRangeAndLogged)
{
    writeSettings(GetParam().json);
    LogCapture log;
    auto state = makeState();
    EXPECT_EQ(state->historyLimit(), GetParam().historyLimit);
    EXPECT_EQ(state->clipboardManager().historyLimit(), GetParam().historyLimit);
    EXPECT_EQ(state->autoSaveDelay(), GetParam().autoSaveDelay);
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Setting ")));
}

INSTANTIATE_TEST_SUITE_P(AppStateTest, OutOfRangeSettings,
    ::testing::Values(OutOfRange { "limitOf2To31", R"({"historyLimit": 2147483648})", 1000, 1.0 },
        OutOfRange { "limitOf2To32", R"({"historyLimit": 4294967296})", 1000, 1.0 },
        OutOfRange { "limitBeyond64Bits", R"({"historyLimit": 1e300})", 1000, 1.0 },
        OutOfRange { "limitNegative", R"({"historyLimit": -5})", 200, 1.0 },
        OutOfRange { "limitBelowTheRange", R"({"historyLimit": 20})", 50, 1.0 },
        OutOfRange { "delayBelowTheRange", R"({"autoSaveDelay": 0.1})", 200, 0.5 },
        OutOfRange { "delayAboveTheRange", R"({"autoSaveDelay": 60, "historyLimit": 1000})", 1000, 5.0 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AppStateTest, aHugeHistoryLimitKeepsTheHistory)
{
    writeSettings(R"({"historyLimit": 4294967296})");
    auto state = makeState();
    for (const QString &text : { QStringLiteral("first"), QStringLiteral("second") }) {
        clock.advance(1000);
        pasteboard.offerText(text);
        state->clipboardManager().checkPasteboard();
    }
    const auto entries = store->fetchNewestFirst();
    ASSERT_TRUE(entries.ok());
    EXPECT_EQ(entries.value().size(), 2);
}

TEST_F(AppStateTest, settersStoreNumbersClamped)
{
    auto state = makeState();
    state->setHistoryLimit(qint64(1) << 32);
    state->setAutoSaveDelay(0.0);
    EXPECT_EQ(defaults().integer(QStringLiteral("historyLimit")), 1000);
    EXPECT_EQ(defaults().real(QStringLiteral("autoSaveDelay")), 0.5);
    EXPECT_EQ(state->clipboardManager().historyLimit(), 1000);
}

} // namespace

namespace {

TEST_F(AppStateTest, withoutABookmarkTheNotesHaveNoVault)
{
    auto state = makeState();
    state->restoreVault();
    EXPECT_FALSE(state->activeVaultURL());
    EXPECT_TRUE(state->notesManager().vaultURL().isEmpty());
}

TEST_F(AppStateTest, aNewVaultIsOpenedWatchedStoredAndClearsTheSelection)
{
    const int scopes = Bookmark::openScopeCount();
    const QUrl first = makeVault(QStringLiteral("first"));
    const QUrl second = makeVault(QStringLiteral("second"));
    auto state = makeState();
    ASSERT_FALSE(state->setVault(first));
    state->setSelectedNoteURL(QUrl::fromLocalFile(first.toLocalFile() + QStringLiteral("/a.md")));
    state->setSearchQuery(QStringLiteral("shopping"));

    ASSERT_FALSE(state->setVault(second));
    EXPECT_EQ(state->activeVaultURL(), second);
    EXPECT_EQ(state->notesManager().vaultURL(), second);
    EXPECT_TRUE(state->notesManager().isWatching());
    EXPECT_EQ(state->notesManager().allFiles().size(), 1);
    EXPECT_FALSE(state->selectedNoteURL());
    EXPECT_TRUE(state->searchQuery().isEmpty());
    EXPECT_EQ(Bookmark::openScopeCount(), scopes + 1); // the first vault's scope was closed

    auto nextLaunch = std::make_unique<AppState>(defaults(), *store, pasteboard, events, clock);
    nextLaunch->restoreVault();
    EXPECT_EQ(nextLaunch->activeVaultURL(), second);
}

TEST_F(AppStateTest, aBookmarkThatCantBeSavedLeavesTheOldVaultRunning)
{
    const QUrl vault = makeVault(QStringLiteral("vault"));
    auto state = makeState();
    ASSERT_FALSE(state->setVault(vault));
    const QUrl note = QUrl::fromLocalFile(vault.toLocalFile() + QStringLiteral("/a.md"));
    state->setSelectedNoteURL(note);
    const auto storedBookmark = defaults().data(QStringLiteral("com.quorvane.vaultBookmark"));
    const int scopes = Bookmark::openScopeCount();

    const QUrl missing = QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone")));
    EXPECT_TRUE(state->setVault(missing));
    EXPECT_EQ(state->activeVaultURL(), vault);
    EXPECT_EQ(state->notesManager().vaultURL(), vault);
    EXPECT_TRUE(state->notesManager().isWatching());
    EXPECT_EQ(state->selectedNoteURL(), note);
    EXPECT_EQ(defaults().data(QStringLiteral("com.quorvane.vaultBookmark")), storedBookmark);
    EXPECT_EQ(Bookmark::openScopeCount(), scopes);

    LogCapture log;
    state->changeVault(missing);
    ASSERT_TRUE(log.containsPrefix(QStringLiteral("Failed to change the vault to ")));
    EXPECT_EQ(log.lines().constLast().type, QtWarningMsg);
    EXPECT_EQ(state->activeVaultURL(), vault);
}

TEST_F(AppStateTest, shutdownFlushesTheEditorAndLetsGoOfTheVault)
{
    const int scopes = Bookmark::openScopeCount();
    auto state = makeState();
    ASSERT_FALSE(state->setVault(makeVault(QStringLiteral("vault"))));
    int flushes = 0;
    state->noteEditorFlush = [&] { ++flushes; };
    state->shutdown();
    EXPECT_EQ(flushes, 1);
    EXPECT_FALSE(state->notesManager().isWatching());
    EXPECT_FALSE(state->activeVaultURL());
    EXPECT_EQ(Bookmark::openScopeCount(), scopes);
}

} // namespace

namespace {

TEST_F(AppStateTest, theClipboardManagerStartsWithTheStoredLimitsAndFollowsChanges)
{
    defaults().setInteger(QStringLiteral("historyLimit"), 0);
    EXPECT_EQ(makeState()->clipboardManager().historyLimit(), 200);
    defaults().setInteger(QStringLiteral("historyLimit"), -5);
    EXPECT_EQ(makeState()->clipboardManager().historyLimit(), 200);
    defaults().setInteger(QStringLiteral("historyLimit"), 500);
    defaults().setBoolean(QStringLiteral("skipSensitiveItems"), false);
    auto state = makeState();
    EXPECT_EQ(state->clipboardManager().historyLimit(), 500);
    EXPECT_FALSE(state->clipboardManager().skipSensitiveItems());

    state->setHistoryLimit(50);
    state->setSkipSensitiveItems(true);
    EXPECT_EQ(state->clipboardManager().historyLimit(), 50);
    EXPECT_TRUE(state->clipboardManager().skipSensitiveItems());
}

TEST_F(AppStateTest, aSkippedSensitiveCopyIsMirrored)
{
    auto state = makeState();
    pasteboard.offer({ { QStringLiteral("text/plain"), QByteArrayLiteral("hunter2") },
        { QStringLiteral("org.nspasteboard.ConcealedType"), QByteArray() } });
    state->clipboardManager().checkPasteboard();
    EXPECT_TRUE(state->lastItemWasSensitive());
}

TEST_F(AppStateTest, shutdownStopsCaptureAndSavesTheStore)
{
    auto state = makeState();
    state->clipboardManager().startPolling();
    store->insert(
        ClipboardItem::create(ContentType::Text, QByteArrayLiteral("unsaved"), QStringLiteral("unsaved")));
    LogCapture log;
    state->shutdown();
    EXPECT_FALSE(state->clipboardManager().isPolling());
    EXPECT_FALSE(store->hasChanges());
    EXPECT_TRUE(log.contains(QStringLiteral("Stopped clipboard polling")));
}

TEST_F(AppStateTest, aFailedSaveAtShutdownGoesThroughTheFailureReport)
{
    auto state = makeState();
    int alerts = 0;
    state->clipboardManager().onPersistenceFailure = [&](const StoreError &) { ++alerts; };
    store->insert(ClipboardItem::create(ContentType::Text, QByteArrayLiteral("x"), QStringLiteral("x")));
    store->failNextSave(StoreError { 10, QStringLiteral("disk I/O error") });
    state->shutdown();
    EXPECT_TRUE(state->clipboardManager().hasReportedPersistenceFailure());
    EXPECT_EQ(alerts, 1);
}

} // namespace

namespace {

TEST_F(AppStateTest, aNewNoteIsSelectedForEditingOnlyWhenItCanBeMade)
{
    auto state = makeState();
    state->createNewNote(); // no folder, no vault
    EXPECT_FALSE(state->selectedNoteURL());
    EXPECT_FALSE(state->isEditing());

    const QUrl vault = makeVault(QStringLiteral("vault"));
    ASSERT_FALSE(state->setVault(vault));
    state->createNewNote();
    ASSERT_TRUE(state->selectedNoteURL());
    EXPECT_EQ(state->selectedNoteURL()->fileName(), QStringLiteral("Untitled.md"));
    EXPECT_TRUE(state->isEditing());
}

TEST_F(AppStateTest, ctrlNInTheRootViewMakesANoteOnlyWhileTheNotesPaneHasFocus)
{
    auto state = makeState();
    ASSERT_FALSE(state->setVault(makeVault(QStringLiteral("vault"))));
    NotificationCenter notifications;
    QuorvContentView view(*state, notifications);
    QKeyEvent ctrlN(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::sendEvent(&view, &ctrlN); // the clipboard pane has focus
    EXPECT_FALSE(state->selectedNoteURL());
    state->setFocusTarget(PanelFocusTarget::pane(FocusedPane::Notes));
    QKeyEvent ctrlShiftN(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&view, &ctrlShiftN);
    QKeyEvent plainN(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &plainN);
    EXPECT_FALSE(state->selectedNoteURL());
    QKeyEvent again(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::sendEvent(&view, &again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_TRUE(state->selectedNoteURL());
}

} // namespace
