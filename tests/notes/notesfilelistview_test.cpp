#include "notes/notesfilelistview.h"

#include "tests/notes/notesviewfixture.h"
#include "tests/support/logcapture.h"
#include "tests/support/waitfor.h"

#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>

#include <QLabel>

#include <gtest/gtest.h>

namespace {

struct FolderOrderCase
{
    const char *name;
    QStringList folders;
    QStringList expected;
};

class FolderOrder : public ::testing::TestWithParam<FolderOrderCase>
{
};

TEST_P(FolderOrder, foldersAreListedInCodePointOrder)
{
    const FolderOrderCase &row = GetParam();
    EXPECT_EQ(
        NotesListing::sortedFolders(QSet<QString>(row.folders.begin(), row.folders.end())), row.expected);
}

INSTANTIATE_TEST_SUITE_P(NotesListing, FolderOrder,
    ::testing::Values(
        FolderOrderCase { "capitalsFirst", { "archive", "Zeta", "Work" }, { "Work", "Zeta", "archive" } },
        // U+1D538 is two UTF-16 units starting 0xD835: a unit order would put it first.
        FolderOrderCase { "astralAfterPrivateUse",
            { QString::fromUtf8("\xF0\x9D\x94\xB8"), QString(QChar(0xE000)) },
            { QString(QChar(0xE000)), QString::fromUtf8("\xF0\x9D\x94\xB8") } },
        // A decomposed é sorts where the composed one does: after "f", not before.
        FolderOrderCase { "normalisedBeforeComparing", { "f", QStringLiteral("e\u0301") },
            { "f", QStringLiteral("e\u0301") } },
        FolderOrderCase { "prefixFirst", { "Work 2", "Work" }, { "Work", "Work 2" } }),
    [](const auto &info) { return std::string(info.param.name); });

struct FilterCase
{
    const char *name;
    QString query;
    QStringList expected; // of: Meeting, team meeting, Café (composed), Café (decomposed), a b
};

class Filter : public ::testing::TestWithParam<FilterCase>
{
};

TEST_P(Filter, namesMatchIgnoringCaseAndSpelling)
{
    const QStringList names { "Meeting", "team meeting", QStringLiteral("Caf\u00E9"),
        QStringLiteral("Cafe\u0301"), "a b" };
    QList<NoteFile> notes;
    for (const QString &name : names)
        notes.append(NoteFile { {}, name, {}, std::nullopt, {} });
    QStringList matched;
    for (const qsizetype note : NotesListing::make(notes, {}, GetParam().query).rootFiles)
        matched.append(notes[note].name);
    EXPECT_EQ(matched, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(NotesListing, Filter,
    ::testing::Values(
        FilterCase { "empty", "",
            { "Meeting", "team meeting", QStringLiteral("Caf\u00E9"), QStringLiteral("Cafe\u0301"), "a b" } },
        FilterCase { "smallLetters", "meet", { "Meeting", "team meeting" } },
        FilterCase { "capitals", "MEET", { "Meeting", "team meeting" } },
        FilterCase { "composedQuery", QStringLiteral("caf\u00E9"),
            { QStringLiteral("Caf\u00E9"), QStringLiteral("Cafe\u0301") } },
        FilterCase { "decomposedQuery", QStringLiteral("CAFE\u0301"),
            { QStringLiteral("Caf\u00E9"), QStringLiteral("Cafe\u0301") } },
        // Not trimmed: a blank matches only names holding one.
        FilterCase { "blankIsKept", " ", { "team meeting", "a b" } },
        FilterCase { "plainEDoesNotMatchAccented", "cafe", {} }),
    [](const auto &info) { return std::string(info.param.name); });

class NotesList : public NotesViewFixture
{
protected:
    std::unique_ptr<NotesFileListView> makeList()
    {
        auto list = std::make_unique<NotesFileListView>(*environment, clock);
        list->resize(160, 400);
        return list;
    }
};

TEST_F(NotesList, rootNotesComeFirstThenOneSectionPerFolder)
{
    write("old.md", "", 30);
    write("new.md", "", 1);
    write("archive/x.md", "", 5);
    write("Work/2024/Plan.md", "", 2);
    write("Work/a.md", "", 10);
    openVault();
    auto list = makeList();
    list->setFolderExpanded("Work", true);
    EXPECT_EQ(list->rowTexts(),
        QStringList({ "note:new", "note:old", "folder:Work+", "note:Plan", "note:a", "folder:archive-" }));

    // A folder with no note passing the filter has no section.
    environment->setSearchQuery("PLAN");
    EXPECT_EQ(list->rowTexts(), QStringList({ "folder:Work+", "note:Plan" }));
    environment->setSearchQuery("");
    EXPECT_EQ(list->rowCount(), 6);
}

TEST_F(NotesList, openFoldersAreStoredAndComeBackAfterARestart)
{
    write("Work/a.md");
    write("Zeta/b.md");
    openVault();
    {
        auto list = makeList();
        list->setFolderExpanded("Work", true);
        list->setFolderExpanded("Zeta", true);
        list->setFolderExpanded("Zeta", false);
        EXPECT_EQ(environment->defaults().stringList(DefaultsKey::expandedFolders), QStringList({ "Work" }));
    }
    // Another run of the program: new settings and a new list over the same file.
    environment = std::make_unique<FakeNotesEnvironment>(settingsFile(), clock);
    openVault();
    auto list = makeList();
    EXPECT_EQ(list->rowTexts(), QStringList({ "folder:Work+", "note:a", "folder:Zeta-" }));
}

TEST_F(NotesList, aStoredValueOfAnotherTypeIsIgnored)
{
    write("Work/a.md");
    openVault();
    environment->defaults().setString(DefaultsKey::expandedFolders, "Work");
    auto list = makeList();
    EXPECT_EQ(list->rowTexts(), QStringList({ "folder:Work-" }));
}

TEST_F(NotesList, newNoteInAFolderLandsInThatFolderEvenWhenItsNewestNoteIsDeeper)
{
    write("Work/a.md", "", 10);
    write("Work/2024/Plan.md", "", 1);
    openVault();
    auto list = makeList();
    list->newNoteInFolder("Work");
    EXPECT_TRUE(exists("Work/Untitled.md"));
    EXPECT_FALSE(exists("Work/2024/Untitled.md"));
    EXPECT_EQ(environment->selectedNoteURL(), url("Work/Untitled.md"));
    EXPECT_TRUE(environment->isEditing());
}

TEST_F(NotesList, newNoteWithoutAVaultDoesNothing)
{
    auto list = makeList();
    list->newNote();
    EXPECT_TRUE(environment->newNoteFolders.isEmpty());
}

TEST_F(NotesList, movingTheSelectedNoteMovesTheSelection)
{
    write("Work/x.md");
    write("Archive/y.md");
    openVault();
    auto list = makeList();
    list->setFolderExpanded("Work", true);
    environment->setSelectedNoteURL(url("Work/x.md"));
    list->rowView(url("Work/x.md"))->onMove(std::nullopt);
    EXPECT_TRUE(exists("x.md"));
    EXPECT_EQ(environment->selectedNoteURL(), url("x.md"));

    list->rowView(url("x.md"))->onMove(QStringLiteral("Archive"));
    EXPECT_EQ(environment->selectedNoteURL(), url("Archive/x.md"));
}

TEST_F(NotesList, renameThroughTheDialogKeepsTheSelectionOnTheNote)
{
    write("Draft.md");
    write("Other.md");
    openVault();
    auto list = makeList();
    environment->setSelectedNoteURL(url("Draft.md"));
    QList<QPair<QUrl, QUrl>> moves;
    list->onNoteMoved = [&](const QUrl &from, const QUrl &to) { moves.append({ from, to }); };

    list->rowView(url("Draft.md"))->onRename();
    ASSERT_NE(list->renameDialog(), nullptr);
    EXPECT_EQ(list->renameDialog()->windowTitle(), "Rename Note");
    EXPECT_EQ(list->renameField()->text(), "Draft");
    // Labelled, and wide enough for a long name.
    const auto *label = list->renameDialog()->findChild<QLabel *>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->buddy(), list->renameField());
    EXPECT_GE(list->renameField()->width(),
        list->renameField()->fontMetrics().horizontalAdvance(QString(40, u'n')));
    list->renameField()->setText("  Plan ");
    list->commitRenameDialog();
    EXPECT_EQ(list->renameDialog(), nullptr);
    EXPECT_TRUE(exists("Plan.md"));
    EXPECT_EQ(environment->selectedNoteURL(), url("Plan.md"));
    EXPECT_EQ(moves, (QList<QPair<QUrl, QUrl>> { { url("Draft.md"), url("Plan.md") } }));

    // Renaming another note leaves the selection alone.
    list->rowView(url("Other.md"))->onRename();
    list->renameField()->setText("Else");
    list->commitRenameDialog();
    EXPECT_EQ(environment->selectedNoteURL(), url("Plan.md"));
}

struct FailureCase
{
    const char *name;
    const char *logged; // the start of the error line
};

class NotesListFailure : public NotesList, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(NotesListFailure, aFailedOperationIsLoggedAsAnError)
{
    write("a.md");
    write("taken.md");
    openVault();
    auto list = makeList();
    const QString operation = GetParam().name;
    LogCapture log;
    if (operation == "rename") {
        list->rowView(url("a.md"))->onRename();
        list->renameField()->setText("taken");
        list->commitRenameDialog();
        EXPECT_EQ(list->renameDialog(), nullptr);
    } else if (operation == "move") {
        // A note of that name is already at the root.
        write("Work/taken.md");
        manager().scanVault();
        list->setFolderExpanded("Work", true);
        list->rowView(url("Work/taken.md"))->onMove(std::nullopt);
    } else {
        // Gone already: the Trash can't take it.
        const std::optional<FileRowView> row = list->rowView(url("a.md"));
        QFile::remove(at("a.md"));
        environment->setSelectedNoteURL(url("a.md"));
        row->onDelete();
        EXPECT_EQ(environment->selectedNoteURL(), std::nullopt);
    }
    bool found = false;
    for (const LogCapture::Line &line : log.lines())
        found = found || (line.type == QtWarningMsg && line.message.startsWith(GetParam().logged));
    EXPECT_TRUE(found) << log.messages().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(NotesList, NotesListFailure,
    ::testing::Values(FailureCase { "rename", "Failed to rename note a.md: " },
        FailureCase { "move", "Failed to move note taken.md: " },
        FailureCase { "delete", "Failed to delete note a.md: " }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotesList, deleteMovesTheNoteToTheTrashAndClearsTheSelection)
{
    write("a.md");
    openVault();
    auto list = makeList();
    environment->setSelectedNoteURL(url("a.md"));
    QList<QUrl> warned;
    list->onWillChangeNote = [&](const QUrl &note) { warned.append(note); };
    list->rowView(url("a.md"))->onDelete();
    EXPECT_FALSE(exists("a.md"));
    EXPECT_EQ(environment->selectedNoteURL(), std::nullopt);
    EXPECT_EQ(warned, QList<QUrl> { url("a.md") });
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(NotesList, aClickSelectsANoteAndTogglesAFolder)
{
    write("a.md");
    write("Work/b.md");
    openVault();
    auto list = makeList();
    QListView *view = list->listView();
    Q_EMIT view->clicked(view->model()->index(0, 0));
    EXPECT_EQ(environment->selectedNoteURL(), url("a.md"));
    Q_EMIT view->clicked(view->model()->index(1, 0));
    EXPECT_EQ(list->rowTexts(), QStringList({ "note:a", "folder:Work+", "note:b" }));
}

TEST_F(NotesList, notesInClosedSectionsHaveNoRows)
{
    for (int i = 0; i < 50; ++i)
        write(QStringLiteral("Work/n%1.md").arg(i));
    openVault();
    auto list = makeList();
    EXPECT_EQ(list->rowCount(), 1);
    environment->setSelectedNoteURL(url("Work/n3.md"));
    // Selecting one does not open its folder.
    EXPECT_EQ(list->rowTexts(), QStringList { "folder:Work-" });
    EXPECT_FALSE(list->rowView(url("Work/n3.md")));
}

TEST_F(NotesList, aRescanChangesOnlyTheRowsThatDiffer)
{
    for (int i = 0; i < 300; ++i)
        write(QStringLiteral("n%1.md").arg(i), "", 10 + i);
    openVault();
    auto list = makeList();
    QAbstractItemModel *model = list->listView()->model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(model, &QAbstractItemModel::rowsMoved);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);

    // The oldest note is written to: it becomes the newest.
    write("n299.md", "new", 0);
    manager().scanVault();
    EXPECT_EQ(list->rowTexts().first(), "note:n299");
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(changed.count(), 1); // its date
    EXPECT_EQ(inserted.count() + removed.count() + reset.count(), 0);

    // A new note is one inserted row.
    write("fresh.md", "", 5);
    manager().scanVault();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.last().at(1).toInt(), inserted.last().at(2).toInt());
    EXPECT_EQ(list->rowTexts().at(1), "note:fresh");
    EXPECT_EQ(list->rowCount(), 301);
}

TEST_F(NotesList, theHeaderIsTintedWhileTheNotesPaneHasTheFocus)
{
    auto list = makeList();
    QWidget *header = list->findChild<QWidget *>("notesListHeader");
    ASSERT_NE(header, nullptr);
    const auto tinted = [&] {
        const QImage image = header->grab().toImage();
        return image.pixelColor(2, 2) != list->grab().toImage().pixelColor(2, list->height() - 3);
    };
    environment->setNotesPaneFocused(true);
    EXPECT_TRUE(tinted());
    environment->setNotesPaneFocused(false);
    EXPECT_FALSE(tinted());
}

TEST_F(NotesList, aNewSelectionIsScrolledToTheTop)
{
    for (int i = 0; i < 100; ++i)
        write(QStringLiteral("n%1.md").arg(i), "", i);
    openVault();
    auto list = makeList();
    list->show();
    QListView *view = list->listView();
    ASSERT_EQ(view->verticalScrollBar()->value(), 0);
    environment->setSelectedNoteURL(url("n60.md"));
    ASSERT_TRUE(waitFor([&] { return view->verticalScrollBar()->value() > 0; }));
    EXPECT_EQ(view->indexAt(QPoint(10, 1)).row(), 60);
}

} // namespace
