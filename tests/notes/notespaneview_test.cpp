#include "notes/notespaneview.h"

#include "notes/bookmarkmanager.h"
#include "notes/debouncer.h"
#include "notes/noteeditorview.h"
#include "notes/notesfilelistview.h"
#include "notes/plainnotepreviewview.h"
#include "tests/notes/notesviewfixture.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/logcapture.h"
#include "tests/support/waitfor.h"

#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class NotesPane : public NotesViewFixture
{
protected:
    void SetUp() override
    {
        NotesViewFixture::SetUp();
        environment->setAutoSaveDelay(0.05);
    }
    void TearDown() override
    {
        pane.reset();
        NotesViewFixture::TearDown();
    }

    // The vault holding `notes`, and the pane over it with `selected` open.
    void open(const QStringList &notes, const QString &selected, bool editing = false)
    {
        for (const QString &note : notes)
            write(note, "text of " + note.toUtf8(), 10);
        openVault();
        pane = std::make_unique<NotesPaneView>(*environment);
        pane->resize(700, 400);
        pane->show();
        environment->setSelectedNoteURL(url(selected));
        if (editing)
            pane->toggleEditing();
    }

    void type(const QString &text)
    {
        pane->editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(pane->editor(), text);
    }

    // Another program's write: its date lies well away from any own write.
    void writeOutside(const QString &note, const QByteArray &bytes) { write(note, bytes, -5); }

    std::unique_ptr<NotesPaneView> pane;
};

TEST_F(NotesPane, showsOnboardingOnlyWhileThereIsNeitherANoteNorABookmark)
{
    pane = std::make_unique<NotesPaneView>(*environment);
    EXPECT_TRUE(pane->isShowingOnboarding());
    // A bookmark stored, valid or not, even for an empty folder.
    environment->defaults().setData(BookmarkManager::userDefaultsKey(), "x");
    EXPECT_FALSE(pane->isShowingOnboarding());
    EXPECT_TRUE(pane->findChild<QLabel *>("selectANote")->isVisibleTo(pane.get()));
    environment->defaults().remove(BookmarkManager::userDefaultsKey());
    EXPECT_TRUE(pane->isShowingOnboarding());
    write("a.md");
    openVault();
    EXPECT_FALSE(pane->isShowingOnboarding());
}

// The copy button's icon is drawn in the text colour of the look at the time: a
// switch of appearance redraws it.
TEST_F(NotesPane, theCopyIconFollowsASwitchOfLook)
{
    open({ "a.md" }, "a.md");
    const auto icon
        = [&] { return pane->findChild<QPushButton *>("copyNoteButton")->icon().pixmap(12, 12).toImage(); };
    const QImage before = icon();
    QPalette other = pane->palette();
    other.setColor(QPalette::WindowText, QColor(0xee, 0x22, 0x22));
    pane->setPalette(other);
    EXPECT_NE(icon(), before);
}

TEST_F(NotesPane, selectingANoteLoadsItIntoThePreview)
{
    open({ "a.md", "b.md" }, "a.md");
    ASSERT_TRUE(pane->currentFile());
    EXPECT_EQ(pane->currentFile()->url, url("a.md"));
    EXPECT_EQ(pane->noteContent(), "text of a.md");
    auto *preview = qobject_cast<PlainNotePreviewView *>(pane->preview());
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->shownText(), "text of a.md");
    EXPECT_EQ(preview->currentNoteURL(), url("a.md"));
    EXPECT_EQ(pane->toggleButton()->text(), "Edit");
}

TEST_F(NotesPane, typingIsSavedOnceAPauseAfterTheLastKey)
{
    open({ "a.md" }, "a.md", true);
    LogCapture log;
    type(" and more");
    EXPECT_TRUE(pane->hasUnsavedChanges());
    EXPECT_EQ(read("a.md"), "text of a.md");
    ASSERT_TRUE(waitFor([&] { return !pane->hasUnsavedChanges(); }));
    EXPECT_EQ(read("a.md"), "text of a.md and more");
    runEventsFor(100ms);
    EXPECT_EQ(log.count("Saved note: a.md"), 1);
}

TEST_F(NotesPane, loadingOrReloadingSchedulesNoSave)
{
    open({ "a.md", "b.md" }, "a.md", true);
    environment->setSelectedNoteURL(url("b.md"));
    writeOutside("b.md", "changed outside");
    manager().scanVault(); // silent reload: nothing unsaved
    EXPECT_EQ(pane->noteContent(), "changed outside");
    EXPECT_FALSE(pane->saveDebouncer().isPending());
}

TEST_F(NotesPane, ctrlETogglesBetweenEditorAndPreview)
{
    open({ "a.md" }, "a.md");
    pane->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pane.get()));
    // Entering the editor starts from the text on disk.
    write("a.md", "new on disk", 10);
    QTest::keyClick(pane.get(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(environment->isEditing());
    EXPECT_EQ(pane->editor()->text(), "new on disk");
    EXPECT_EQ(pane->toggleButton()->text(), "Preview");
    EXPECT_TRUE(pane->titleField()->isVisibleTo(pane.get()));

    // From the editor, a pending save is written at once.
    pane->editor()->setFocus();
    environment->setAutoSaveDelay(5);
    type("!");
    QTest::keyClick(pane->editor(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(environment->isEditing());
    EXPECT_EQ(read("a.md"), "new on disk!");
    EXPECT_EQ(pane->editor()->text(), "new on disk!"); // Ctrl+E did not move the cursor or type
}

// A field that takes Ctrl+E as "end of line" for itself, as text fields do
// on X11 (the test platform's fields leave it alone).
class EmacsLineEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride && isCtrlE(event)) {
            event->accept();
            return true;
        }
        return QLineEdit::event(event);
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (isCtrlE(event))
            end(false);
        else
            QLineEdit::keyPressEvent(event);
    }

private:
    static bool isCtrlE(QEvent *event)
    {
        return static_cast<QKeyEvent *>(event)->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_E);
    }
};

// Where the keyboard may be in the panel when Ctrl+E is pressed.
struct KeyboardPlace
{
    const char *name;
    std::function<QWidget *(NotesPaneView &, QLineEdit &search)> widget;
};

class CtrlE : public NotesPane, public ::testing::WithParamInterface<KeyboardPlace>
{
protected:
    // The pane beside a search field in one window, as in the panel.
    void SetUp() override
    {
        NotesPane::SetUp();
        write("a.md", "text of a.md", 10);
        openVault();
        auto *column = new QVBoxLayout(&window);
        search = new EmacsLineEdit(&window);
        column->addWidget(search);
        notes = new NotesPaneView(*environment, {}, &window);
        column->addWidget(notes);
        window.resize(700, 400);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override
    {
        delete notes;
        NotesPane::TearDown();
    }

    QWidget window;
    QLineEdit *search = nullptr;
    NotesPaneView *notes = nullptr;
};

TEST_P(CtrlE, togglesTheNoteWhereverTheKeyboardIs)
{
    environment->setSelectedNoteURL(url("a.md"));
    for (const bool editing : { true, false }) {
        QWidget *target = GetParam().widget(*notes, *search);
        if (!target->isVisible())
            continue; // the title field and the editor exist only while editing
        target->setFocus();
        search->setText("query");
        search->setCursorPosition(0);
        QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(environment->isEditing(), editing);
        EXPECT_EQ(search->cursorPosition(), 0); // not moved to the end of the line
        EXPECT_EQ(search->text(), "query");
    }
}

INSTANTIATE_TEST_SUITE_P(NotesPane, CtrlE,
    ::testing::Values(
        KeyboardPlace { "searchField", [](NotesPaneView &, QLineEdit &search) { return &search; } },
        KeyboardPlace { "notesList",
            [](NotesPaneView &pane, QLineEdit &) { return static_cast<QWidget *>(pane.fileList()); } },
        KeyboardPlace { "editor",
            [](NotesPaneView &pane, QLineEdit &) { return static_cast<QWidget *>(pane.editor()); } },
        KeyboardPlace { "titleField",
            [](NotesPaneView &pane, QLineEdit &) { return static_cast<QWidget *>(pane.titleField()); } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CtrlE, withNoNoteShownIsLeftToTheTextField)
{
    search->setFocus();
    search->setText("query");
    search->setCursorPosition(0);
    QTest::keyClick(search, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(environment->isEditing());
    EXPECT_EQ(search->cursorPosition(), 5);
}

TEST_F(NotesPane, theFocusCycleLandingOnThePaneFocusesTheEditor)
{
    open({ "a.md" }, "a.md", true);
    pane->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pane.get()));
    pane->titleField()->setFocus();
    environment->setNotesPaneFocused(true);
    EXPECT_TRUE(pane->editor()->hasFocus());
}

TEST_F(NotesPane, aLongNoteNameDoesNotWidenThePaneBesideTheOther)
{
    const QString name = "A very long note name that goes on and on beyond the width of the whole pane";
    write(name + ".md", "long", 10);
    write("short.md", "short", 10);
    openVault();
    // The panel's row: another pane beside this one, sharing the width equally.
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *other = new QWidget(&window);
    row->addWidget(other, 1);
    auto *notes = new NotesPaneView(*environment, {}, &window);
    row->addWidget(notes, 1);
    window.resize(1024, 220);
    window.show();
    for (const bool editing : { false, true }) {
        environment->setSelectedNoteURL(url("short.md"));
        environment->setSelectedNoteURL(url(name + ".md"));
        if (editing)
            notes->toggleEditing();
        ASSERT_EQ(environment->isEditing(), editing);
        QCoreApplication::processEvents();
        EXPECT_EQ(notes->width(), 512);
        EXPECT_EQ(other->width(), 512);
    }
    const auto *title = notes->findChild<QLabel *>("noteTitle");
    EXPECT_EQ(title->text(), name); // the whole name, shortened only where it is drawn
    delete notes;
}

TEST_F(NotesPane, theTitleFieldRenamesTheOpenNote)
{
    open({ "Draft.md" }, "Draft.md", true);
    environment->setAutoSaveDelay(5);
    type(" typed");
    pane->titleField()->setText("Plan");
    QTest::keyClick(pane->titleField(), Qt::Key_Return);
    EXPECT_FALSE(exists("Draft.md"));
    // The pending text went to the note before it moved.
    EXPECT_EQ(read("Plan.md"), "text of Draft.md typed");
    EXPECT_EQ(environment->selectedNoteURL(), url("Plan.md"));
    EXPECT_EQ(pane->currentFile()->url, url("Plan.md"));
    // Another URL is another selection: edit mode is left, as on any change of selection.
    EXPECT_FALSE(environment->isEditing());
    EXPECT_TRUE(pane->bannerTexts().isEmpty());
}

struct TitleCase
{
    const char *name;
    QString title;
};

class TitleIgnored : public NotesPane, public ::testing::WithParamInterface<TitleCase>
{
};

TEST_P(TitleIgnored, leavesTheNoteAsItWas)
{
    open({ "Draft.md" }, "Draft.md", true);
    pane->titleField()->setText(GetParam().title);
    pane->commitRename();
    EXPECT_TRUE(exists("Draft.md"));
    EXPECT_EQ(environment->selectedNoteURL(), url("Draft.md"));
    EXPECT_EQ(pane->titleField()->text(), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(NotesPane, TitleIgnored,
    ::testing::Values(TitleCase { "unchanged", "Draft" }, TitleCase { "empty", "" },
        TitleCase { "slash", "a/b" }, TitleCase { "colon", "a:b" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotesPane, changingTheDelayFlushesTheOldDebouncerFirst)
{
    open({ "a.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    type(" older");
    environment->setAutoSaveDelay(0.05);
    EXPECT_EQ(read("a.md"), "text of a.md older");
    type(" newer");
    ASSERT_TRUE(waitFor([&] { return read("a.md").endsWith("newer"); }));
    runEventsFor(100ms);
    EXPECT_EQ(read("a.md"), "text of a.md older newer");
}

TEST_F(NotesPane, aFailedSaveKeepsTheTextAndTheNoteAndTriesAgain)
{
    open({ "a.md", "b.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    LogCapture log;
    {
        const FileSizeLimit full(64);
        ASSERT_TRUE(full.isValid());
        type(QString(200, u'x'));
        EXPECT_FALSE(pane->flushPendingSave());
        EXPECT_TRUE(pane->hasSaveFailed());
        EXPECT_EQ(pane->bannerTexts(), QStringList { "Couldn't save this note" });
        EXPECT_TRUE(log.containsPrefix("Failed to save note a.md: "));
        // A switch of note keeps the note whose text is not written.
        environment->setSelectedNoteURL(url("b.md"));
        EXPECT_EQ(environment->selectedNoteURL(), url("a.md"));
        EXPECT_EQ(pane->currentFile()->url, url("a.md"));
        EXPECT_TRUE(pane->hasUnsavedChanges());
    }
    EXPECT_EQ(read("a.md"), "text of a.md");
    // The next flush writes it.
    environment->setSelectedNoteURL(url("b.md"));
    EXPECT_EQ(read("a.md"), "text of a.md" + QByteArray(200, 'x'));
    EXPECT_EQ(pane->currentFile()->url, url("b.md"));
    EXPECT_TRUE(pane->bannerTexts().isEmpty());
}

TEST_F(NotesPane, aNoteThatIsNotUtf8IsReadOnlyAndNeverWritten)
{
    write("bad.md", "ok \xff\xfe bytes", 10);
    write("good.md", "good", 10);
    openVault();
    pane = std::make_unique<NotesPaneView>(*environment);
    pane->resize(700, 400);
    pane->show();
    const auto drawnToggle = [&] {
        QPushButton *toggle = pane->toggleButton();
        QImage image(toggle->size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        toggle->render(&image);
        return image;
    };
    environment->setSelectedNoteURL(url("good.md"));
    const QImage enabled = drawnToggle();
    LogCapture log;
    environment->setSelectedNoteURL(url("bad.md"));
    ASSERT_TRUE(pane->loadError());
    EXPECT_TRUE(log.containsPrefix("Failed to load note bad.md: "));
    EXPECT_EQ(pane->bannerTexts(),
        QStringList { QStringLiteral("This note can’t be edited: “bad.md” isn’t UTF-8 text.") });
    pane->toggleEditing();
    EXPECT_FALSE(environment->isEditing());
    environment->setEditing(true);
    EXPECT_FALSE(environment->isEditing());
    // The toggle looks disabled too, not only refuses.
    EXPECT_FALSE(pane->toggleButton()->isEnabled());
    EXPECT_EQ(pane->toggleButton()->text(), "Edit");
    EXPECT_NE(drawnToggle(), enabled);
    EXPECT_TRUE(pane->flushPendingSave());
    environment->setSelectedNoteURL(std::nullopt);
    EXPECT_EQ(read("bad.md"), "ok \xff\xfe bytes");
}

TEST_F(NotesPane, aSaveToANoteDeletedMeanwhileWritesNothingAndRaisesTheRedBanner)
{
    open({ "a.md" }, "a.md", true);
    type(" kept");
    QFile::remove(at("a.md"));
    EXPECT_FALSE(pane->flushPendingSave());
    EXPECT_FALSE(exists("a.md"));
    EXPECT_EQ(pane->bannerTexts(), QStringList { "This file no longer exists." });
    EXPECT_EQ(pane->noteContent(), "text of a.md kept");
    // Typing on writes nothing either.
    type("!");
    runEventsFor(150ms);
    EXPECT_FALSE(exists("a.md"));

    pane->saveAsNew();
    EXPECT_EQ(read("a (2).md"), "text of a.md kept!");
    EXPECT_EQ(environment->selectedNoteURL(), url("a (2).md"));
    EXPECT_EQ(pane->bannerTexts(), QStringList { "It was saved as “a (2).md”." });
    EXPECT_FALSE(pane->hasUnsavedChanges());
}

TEST_F(NotesPane, aSaveToANoteChangedMeanwhileWritesNothingAndRaisesTheYellowBanner)
{
    open({ "a.md" }, "a.md", true);
    type(" mine");
    writeOutside("a.md", "theirs");
    EXPECT_FALSE(pane->flushPendingSave());
    EXPECT_EQ(read("a.md"), "theirs");
    EXPECT_EQ(pane->bannerTexts(), QStringList { "This file was modified externally." });
    EXPECT_EQ(pane->noteContent(), "text of a.md mine");
}

TEST_F(NotesPane, aChangeMomentsAfterTheProgramsOwnSaveIsStillSeen)
{
    open({ "a.md" }, "a.md", true);
    type(" one");
    ASSERT_TRUE(pane->flushPendingSave());
    // Within the own-write window of that save: its date alone can't tell.
    QFile file(at("a.md"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(" appended");
    file.close();
    type(" two");
    EXPECT_FALSE(pane->flushPendingSave());
    EXPECT_EQ(read("a.md"), "text of a.md one appended");
    EXPECT_TRUE(pane->isExternalChangeDetected());
}

struct OutsideCase
{
    const char *name;
    bool editing;
    bool unsaved;
    bool banner; // else a silent reload
};

class OutsideChange : public NotesPane, public ::testing::WithParamInterface<OutsideCase>
{
};

TEST_P(OutsideChange, reloadsSilentlyUnlessTextWouldBeLost)
{
    open({ "a.md" }, "a.md", GetParam().editing);
    environment->setAutoSaveDelay(5);
    if (GetParam().unsaved)
        type(" mine");
    writeOutside("a.md", "theirs");
    environment->setPanelVisible(false);
    environment->setPanelVisible(true); // the status check of a showing
    EXPECT_EQ(pane->isExternalChangeDetected(), GetParam().banner);
    EXPECT_EQ(pane->noteContent(), GetParam().banner ? "text of a.md mine" : "theirs");
    EXPECT_EQ(read("a.md"), "theirs");
}

INSTANTIATE_TEST_SUITE_P(NotesPane, OutsideChange,
    ::testing::Values(OutsideCase { "previewing", false, false, false },
        OutsideCase { "editingNothingUnsaved", true, false, false },
        OutsideCase { "editingWithUnsavedText", true, true, true }),
    [](const auto &info) { return std::string(info.param.name); });

// File events rescan off the main thread: what the pane does about a change
// of the open note must still happen once the lists land, even when the
// change comes while an earlier rescan is walking.
struct ChangeDuringRescan
{
    const char *name;
    bool unsaved;
    void (*change)(class ChangesDuringARescan &test);
    bool changedBanner;
    bool deletedBanner;
    QString content;
};

class ChangesDuringARescan : public NotesPane, public ::testing::WithParamInterface<ChangeDuringRescan>
{
public:
    using NotesPane::at;
    using NotesPane::writeOutside;
    NotesPaneView &view() { return *pane; }
};

TEST_P(ChangesDuringARescan, areHandledOnceTheEventsRescanLands)
{
    open({ "a.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    if (GetParam().unsaved)
        type(" mine");
    int published = 0;
    QObject context;
    QObject::connect(&manager(), &NotesManager::allFilesChanged, &context, [&] { ++published; });
    manager().scanVaultInBackground();
    GetParam().change(*this);
    manager().handleFileSystemEvents();
    // The walk under way may have passed the change: the batch's own rescan lands too.
    ASSERT_TRUE(waitFor([&] { return published == 2; }));
    EXPECT_EQ(pane->isExternalChangeDetected(), GetParam().changedBanner);
    EXPECT_EQ(pane->isFileDeletedDetected(), GetParam().deletedBanner);
    EXPECT_EQ(pane->noteContent(), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(NotesPane, ChangesDuringARescan,
    ::testing::Values(
        ChangeDuringRescan { "outsideEditIsReloaded", false,
            [](ChangesDuringARescan &t) { t.writeOutside("a.md", "theirs"); }, false, false, "theirs" },
        ChangeDuringRescan { "outsideEditOverUnsavedTextIsOffered", true,
            [](ChangesDuringARescan &t) { t.writeOutside("a.md", "theirs"); }, true, false,
            "text of a.md mine" },
        ChangeDuringRescan { "outsideDeletionRaisesTheBanner", false,
            [](ChangesDuringARescan &t) { QFile::remove(t.at("a.md")); }, false, true, "text of a.md" },
        ChangeDuringRescan { "ownSaveIsNoOutsideChange", true,
            [](ChangesDuringARescan &t) { ASSERT_TRUE(t.view().flushPendingSave()); }, false, false,
            "text of a.md mine" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotesPane, reloadTakesTheOutsideVersion)
{
    open({ "a.md" }, "a.md", true);
    type(" mine");
    writeOutside("a.md", "theirs");
    pane->refreshFileStatus();
    ASSERT_TRUE(pane->isExternalChangeDetected());
    pane->reloadNote();
    EXPECT_EQ(pane->noteContent(), "theirs");
    EXPECT_EQ(pane->editor()->text(), "theirs");
    EXPECT_TRUE(pane->bannerTexts().isEmpty());
    // The editor saves what the reload put in, as it saves typing: the same text.
    EXPECT_TRUE(pane->saveDebouncer().isPending());
    runEventsFor(150ms);
    EXPECT_FALSE(pane->saveDebouncer().isPending());
    EXPECT_EQ(read("a.md"), "theirs");
}

TEST_F(NotesPane, ignoreKeepsTheWorkingCopyWhichTheNextSaveWrites)
{
    open({ "a.md" }, "a.md", true);
    type(" mine");
    writeOutside("a.md", "theirs");
    pane->refreshFileStatus();
    pane->ignoreExternalChange();
    EXPECT_TRUE(pane->bannerTexts().isEmpty());
    pane->refreshFileStatus();
    EXPECT_FALSE(pane->isExternalChangeDetected()); // not again for that version
    EXPECT_TRUE(pane->flushPendingSave());
    EXPECT_EQ(read("a.md"), "text of a.md mine");
}

TEST_F(NotesPane, closeDropsThePendingSaveAndEmptiesTheDetail)
{
    open({ "a.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    type(" mine");
    QFile::remove(at("a.md"));
    pane->refreshFileStatus();
    ASSERT_TRUE(pane->isFileDeletedDetected());
    pane->closeNote();
    EXPECT_EQ(environment->selectedNoteURL(), std::nullopt);
    EXPECT_FALSE(pane->currentFile());
    EXPECT_TRUE(pane->findChild<QLabel *>("selectANote")->isVisibleTo(pane.get()));
    environment->noteEditorFlush ? environment->noteEditorFlush() : void();
    EXPECT_FALSE(exists("a.md"));
}

struct OwnOperationCase
{
    const char *name;
    const char *destination; // where the note's text must be afterwards
};

class OwnOperation : public NotesPane, public ::testing::WithParamInterface<OwnOperationCase>
{
};

TEST_P(OwnOperation, thePendingSaveIsWrittenBeforeTheListMovesTheNote)
{
    write("Work/other.md");
    open({ "a.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    type(" typed");
    NotesFileListView &list = *pane->fileList();
    const QString operation = GetParam().name;
    if (operation == "move") {
        list.rowView(url("a.md"))->onMove(QStringLiteral("Work"));
    } else if (operation == "rename") {
        list.rowView(url("a.md"))->onRename();
        list.renameField()->setText("b");
        list.commitRenameDialog();
    } else {
        list.rowView(url("a.md"))->onDelete();
    }
    runEventsFor(100ms);
    if (operation == "delete") {
        EXPECT_FALSE(exists("a.md"));
        EXPECT_FALSE(pane->currentFile());
        return;
    }
    EXPECT_EQ(read(GetParam().destination), "text of a.md typed");
    EXPECT_EQ(pane->currentFile()->url, url(GetParam().destination));
    EXPECT_TRUE(pane->bannerTexts().isEmpty());
    EXPECT_FALSE(environment->isEditing()); // another URL, another selection
    environment->setEditing(true);
    // Going on typing writes to the note where it is now, and nothing re-creates the old file.
    type("!");
    EXPECT_TRUE(pane->flushPendingSave());
    EXPECT_EQ(read(GetParam().destination), "text of a.md typed!");
    EXPECT_FALSE(exists("a.md"));
}

INSTANTIATE_TEST_SUITE_P(NotesPane, OwnOperation,
    ::testing::Values(OwnOperationCase { "move", "Work/a.md" }, OwnOperationCase { "rename", "b.md" },
        OwnOperationCase { "delete", "" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotesPane, switchingNotesWritesThePendingTextToThePreviousNote)
{
    open({ "a.md", "b.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    type(" typed");
    environment->setSelectedNoteURL(url("b.md"));
    EXPECT_EQ(read("a.md"), "text of a.md typed");
    EXPECT_FALSE(environment->isEditing());
    EXPECT_EQ(pane->noteContent(), "text of b.md");
}

// The three ways to a new note: Ctrl+N (the shell's new note in the vault),
// "+ New" and "New Note in <folder>".
struct NewNoteRoute
{
    const char *name;
    std::function<void(NotesPaneView &, FakeNotesEnvironment &, const QUrl &vault)> create;
    QString created;
};

class NewNote : public NotesPane, public ::testing::WithParamInterface<NewNoteRoute>
{
};

TEST_P(NewNote, takesTheKeyboardSoTypingGoesIntoIt)
{
    open({ "a.md", "Work/b.md" }, "a.md");
    pane->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pane.get()));
    environment->setNotesPaneFocused(true);
    pane->setFocus(); // the panel holds the keyboard, as after the focus cycle
    GetParam().create(*pane, *environment, QUrl::fromLocalFile(vault()));
    ASSERT_EQ(pane->currentFile()->url, url(GetParam().created));
    EXPECT_TRUE(environment->isEditing());
    ASSERT_TRUE(pane->editor()->hasFocus());
    EXPECT_TRUE(environment->isNotesPaneFocused());

    QTest::keyClicks(QApplication::focusWidget(), "Buy apples");
    EXPECT_EQ(pane->noteContent(), "Buy apples");
    ASSERT_TRUE(pane->flushPendingSave());
    EXPECT_EQ(read(GetParam().created), "Buy apples");
}

INSTANTIATE_TEST_SUITE_P(NotesPane, NewNote,
    ::testing::Values(NewNoteRoute { "ctrlN",
                          [](NotesPaneView &, FakeNotesEnvironment &environment, const QUrl &vault) {
                              environment.createNewNote(vault);
                          },
                          "Untitled.md" },
        NewNoteRoute { "newButton",
            [](NotesPaneView &pane, FakeNotesEnvironment &, const QUrl &) {
                pane.fileList()->newNoteButton()->click();
            },
            "Untitled.md" },
        NewNoteRoute { "newNoteInFolder",
            [](NotesPaneView &pane, FakeNotesEnvironment &, const QUrl &) {
                pane.fileList()->newNoteInFolder("Work");
            },
            "Work/Untitled.md" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotesPane, theEditorTakesTheKeyboardOnlyWhenItComesOnScreen)
{
    open({ "a.md" }, "a.md", true);
    pane->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pane.get()));
    // Typing a new title: the banners coming and going leave the keyboard there.
    pane->titleField()->setFocus();
    writeOutside("a.md", "changed outside");
    type("!");
    pane->titleField()->setFocus();
    pane->refreshFileStatus();
    ASSERT_TRUE(pane->isExternalChangeDetected());
    pane->ignoreExternalChange();
    EXPECT_TRUE(pane->titleField()->hasFocus());
}

TEST_F(NotesPane, copyTakesTheWorkingCopyWithUnsavedEdits)
{
    open({ "a.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    type(" unsaved");
    pane->copyNoteContents();
    EXPECT_EQ(environment->copied, QStringList { "text of a.md unsaved" });
}

TEST_F(NotesPane, theShutdownFlushWritesThePendingText)
{
    open({ "a.md" }, "a.md", true);
    environment->setAutoSaveDelay(5);
    type(" last words");
    ASSERT_TRUE(environment->noteEditorFlush);
    environment->noteEditorFlush();
    EXPECT_EQ(read("a.md"), "text of a.md last words");
    pane.reset();
    EXPECT_FALSE(environment->noteEditorFlush);
}

TEST_F(NotesPane, textTheNoteCanNotTakeIsKeptBesideItAtShutdown)
{
    open({ "a.md" }, "a.md", true);
    type(" mine");
    writeOutside("a.md", "theirs");
    pane->refreshFileStatus();
    ASSERT_TRUE(pane->isExternalChangeDetected());
    environment->noteEditorFlush();
    EXPECT_EQ(read("a.md"), "theirs");
    EXPECT_EQ(read("a (2).md"), "text of a.md mine");
}

// The note's folder renamed by another program while the user types: every
// word ends up in a note, whichever flush finds the note gone.
struct FolderGoneRoute
{
    const char *name;
    std::function<void(NotesPaneView &, FakeNotesEnvironment &, const QUrl &other)> flush;
};

class FolderGone : public NotesPane, public ::testing::WithParamInterface<FolderGoneRoute>
{
};

TEST_P(FolderGone, keepsEveryTypedWordInTheFolderMadeAgain)
{
    write("b.md", "text of b.md", 10);
    open({ "Work/a.md" }, "Work/a.md", true);
    environment->setAutoSaveDelay(5);
    type(" before");
    ASSERT_TRUE(QDir(vault()).rename("Work", "Work2"));
    type(" after");
    LogCapture log;
    GetParam().flush(*pane, *environment, url("b.md"));
    EXPECT_EQ(read("Work/a (2).md"), "text of Work/a.md before after");
    EXPECT_TRUE(log.contains(QStringLiteral("Kept the unsaved text of a.md as %1").arg(at("Work/a (2).md"))));
}

INSTANTIATE_TEST_SUITE_P(NotesPane, FolderGone,
    ::testing::Values(FolderGoneRoute { "atShutdown",
                          [](NotesPaneView &, FakeNotesEnvironment &environment, const QUrl &) {
                              environment.noteEditorFlush();
                          } },
        FolderGoneRoute { "onSwitchingNotes",
            [](NotesPaneView &pane, FakeNotesEnvironment &environment, const QUrl &other) {
                environment.setSelectedNoteURL(other);
                EXPECT_EQ(pane.currentFile()->url, other);
                EXPECT_EQ(pane.bannerTexts(),
                    QStringList {
                        "The unsaved text of “a” could not be written to it. Its folder was gone and "
                        "has been made again: it was saved as “Work/a (2).md”." });
            } },
        FolderGoneRoute { "withSaveAsNew",
            [](NotesPaneView &pane, FakeNotesEnvironment &environment, const QUrl &) {
                pane.refreshFileStatus();
                ASSERT_TRUE(pane.isFileDeletedDetected());
                pane.saveAsNew();
                EXPECT_EQ(environment.selectedNoteURL(), pane.currentFile()->url);
                EXPECT_EQ(pane.bannerTexts(),
                    QStringList {
                        "Its folder was gone and has been made again: it was saved as “Work/a (2).md”." });
            } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotesPane, textNoPlaceInTheVaultTakesWaitsInTheRecoveryFolder)
{
    open({ "a.md" }, "a.md", true);
    type(" mine");
    QDir(vault()).removeRecursively();
    environment->noteEditorFlush();
    const QStringList recovered = QDir(recovery()).entryList(QDir::Files);
    ASSERT_EQ(recovered.size(), 1);
    QFile file(recovery() + u'/' + recovered.constFirst());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "text of a.md mine");

    // The next start says so above the pane, until dismissed; "Show" opens the folder.
    pane.reset();
    LogCapture log;
    pane = std::make_unique<NotesPaneView>(*environment);
    EXPECT_EQ(pane->recoveryBannerText(),
        QStringLiteral("Recovered note text is waiting in “%1”.").arg(recovery()));
    EXPECT_TRUE(log.contains(QStringLiteral("Recovered note text is waiting in %1").arg(recovery())));
    pane->showRecoveredNotes();
    EXPECT_EQ(environment->fakeWorkspace().opened, QList<QUrl> { QUrl::fromLocalFile(recovery()) });
    pane->dismissRecoveredNotes();
    EXPECT_TRUE(pane->recoveryBannerText().isEmpty());
}

TEST_F(NotesPane, aNoteTooLargeToOpenIsNeitherReadNorPreviewedNorWritten)
{
    const QByteArray large(NotesManager::maxNoteBytes + 1, 'x');
    write("large.md", large, 10);
    open({ "a.md" }, "a.md", true);
    environment->setSelectedNoteURL(url("large.md"));
    ASSERT_EQ(pane->tooLargeBytes(), NotesManager::maxNoteBytes + 1);
    EXPECT_TRUE(pane->noteContent().isEmpty());
    EXPECT_FALSE(pane->preview());
    EXPECT_TRUE(pane->findChild<QWidget *>("largeNote")->isVisibleTo(pane.get()));
    pane->toggleEditing();
    EXPECT_FALSE(environment->isEditing());
    pane->findChild<QPushButton *>("openExternallyButton")->click();
    EXPECT_EQ(environment->fakeWorkspace().opened, QList<QUrl> { url("large.md") });
    environment->noteEditorFlush();
    EXPECT_EQ(read("large.md"), large);
}

} // namespace
