#include "app/appnotesenvironment.h"

#include "app/appdelegate.h"
#include "app/appstate.h"
#include "app/quorvcontentview.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardstore.h"
#include "notes/notesfilelistview.h"
#include "notes/notesmanager.h"
#include "notes/notespaneview.h"
#include "notes/vaultonboardingview.h"
#include "tests/app/fakesystem.h"
#include "tests/support/printers.h"
#include "tests/support/waitfor.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class NotesInThePanel : public ::testing::Test, public FakeSystem
{
protected:
    void SetUp() override
    {
        delegate = makeDelegate();
        ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
        pane = delegate->contentView()->notesPaneArea()->findChild<NotesPaneView *>();
        ASSERT_NE(pane, nullptr);
    }

    QString vault() const { return QDir(dir.path()).canonicalPath() + QStringLiteral("/Vault"); }

    std::unique_ptr<AppDelegate> delegate;
    NotesPaneView *pane = nullptr;
};

TEST_F(NotesInThePanel, onboardingHidesThePanelThenChangesTheVault)
{
    ASSERT_TRUE(pane->isShowingOnboarding());
    QStringList steps;
    NotificationToken dismissed = center.addObserver(
        NotificationName::dismissHUD, [&](const Notification &) { steps.append("dismiss"); });
    folderChooser.onRequest = [&] { steps.append("chooser"); };
    pane->onboarding()->chooseVaultFolder();
    EXPECT_EQ(steps, QStringList({ "dismiss", "chooser" }));

    QDir().mkpath(vault());
    folderChooser.answer(QUrl::fromLocalFile(vault()));
    ASSERT_TRUE(waitFor([&] { return delegate->appState()->activeVaultURL().has_value(); }));
    EXPECT_EQ(delegate->appState()->notesManager().vaultURL(), QUrl::fromLocalFile(vault()));
    // An empty vault is still a vault: the notes layout replaces the onboarding.
    EXPECT_FALSE(pane->isShowingOnboarding());
}

TEST_F(NotesInThePanel, theCopiedNoteIsCapturedLikeAnyOtherCopy)
{
    QDir().mkpath(vault());
    QFile note(vault() + QStringLiteral("/a.md"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("note text");
    note.close();
    AppState &state = *delegate->appState();
    ASSERT_FALSE(state.setVault(QUrl::fromLocalFile(vault())));
    state.setSelectedNoteURL(QUrl::fromLocalFile(vault() + QStringLiteral("/a.md")));
    pane->copyNoteContents();
    state.clipboardManager().checkPasteboard();
    const auto items = delegate->clipboardStore()->fetchAll();
    ASSERT_TRUE(items.ok());
    ASSERT_EQ(items.value().size(), 1);
    EXPECT_EQ(items.value().first().preview, "note text");
}

// The showing's rescan lands after the panel's first frame: the list on
// screen must still end with what the vault holds by then.
TEST_F(NotesInThePanel, aShowingListsNotesWrittenWhileThePanelWasHidden)
{
    QDir().mkpath(vault());
    AppState &state = *delegate->appState();
    ASSERT_FALSE(state.setVault(QUrl::fromLocalFile(vault())));
    auto *list = pane->findChild<NotesFileListView *>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->rowTexts().isEmpty());
    QFile note(vault() + QStringLiteral("/Later.md"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.close();

    // The stand-in watch reports nothing: only the showing can find the note.
    delegate->togglePanel();
    EXPECT_TRUE(waitFor([&] { return list->rowTexts() == QStringList { "note:Later" }; }));
    EXPECT_TRUE(state.panelVisible());
}

TEST_F(NotesInThePanel, theStateSignalsEachFieldThePaneFollows)
{
    AppState &state = *delegate->appState();
    int selections = 0;
    int editing = 0;
    int delays = 0;
    QObject::connect(&state, &AppState::selectedNoteURLChanged, [&] { ++selections; });
    QObject::connect(&state, &AppState::editingChanged, [&] { ++editing; });
    QObject::connect(&state, &AppState::autoSaveDelayChanged, [&] { ++delays; });
    state.setSelectedNoteURL(QUrl::fromLocalFile("/nowhere.md"));
    state.setSelectedNoteURL(QUrl::fromLocalFile("/nowhere.md"));
    state.setEditing(true);
    state.setAutoSaveDelay(2.5);
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(editing, 1);
    EXPECT_EQ(delays, 1);
}

} // namespace
