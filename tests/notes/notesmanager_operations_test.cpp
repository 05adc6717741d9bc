#include "notes/notesmanager.h"

#include "platform/clock.h"
#include "platform/fake/fakefileeventstream.h"
#include "tests/notes/temporaryvault.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/logcapture.h"
#include "tests/support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <vector>

namespace {

class NoteOperations : public TemporaryVaultWithDataHome
{
protected:
    void SetUp() override
    {
        TemporaryVaultWithDataHome::SetUp();
        manager.setVault(QUrl::fromLocalFile(vault()));
        manager.setRecoveryFolder(recovery());
    }

    // Another program's write: its date lies well away from any own write.
    void writeOutside(const QString &relative, const QByteArray &bytes, qint64 secondsAhead = 60)
    {
        write(relative, bytes);
        QFile file(at(relative));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(
            QDateTime::currentDateTimeUtc().addSecs(secondsAhead), QFileDevice::FileModificationTime));
    }
    QString recovery() const { return root.filePath(QStringLiteral("data/Recovered Notes")); }
    QStringList listed() const
    {
        QStringList names;
        for (const NoteFile &note : manager.allFiles())
            names.append(note.url.toLocalFile().mid(vault().size() + 1));
        names.sort();
        return names;
    }

    FakeFileEventStream events;
    NotesManager manager { events, Clock::system() };
    LogCapture log;
};

TEST_F(NoteOperations, newNotesTakeTheFirstFreeUntitledName)
{
    write("Untitled.md", "one");
    write("Untitled 2.md", "two");
    const auto created = manager.createNote(QUrl::fromLocalFile(vault()));
    ASSERT_TRUE(created);
    EXPECT_EQ(created.value(), url("Untitled 3.md"));
    EXPECT_EQ(read("Untitled 3.md"), "");
    EXPECT_EQ(read("Untitled.md"), "one");
    EXPECT_TRUE(listed().contains("Untitled 3.md"));
    EXPECT_TRUE(log.contains("Created new note: Untitled 3.md"));

    QDir().mkpath(at("Sub/Untitled.md")); // a folder takes the name as well
    EXPECT_EQ(manager.createNote(url("Sub")).value(), url("Sub/Untitled 2.md"));
    EXPECT_FALSE(manager.createNote(url("Missing/Deeper")));
}

TEST_F(NoteOperations, renameTrimsTheTitleAndRefusesBadNames)
{
    write("Draft.md", "draft");
    const auto renamed = manager.renameNote(url("Draft.md"), "  Plan \n");
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed.value(), url("Plan.md"));
    EXPECT_EQ(read("Plan.md"), "draft");
    EXPECT_EQ(listed(), QStringList { "Plan.md" });
    EXPECT_TRUE(log.contains("Renamed note: Draft.md -> Plan.md"));

    for (const QString &bad : { QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("   "),
             QStringLiteral(""), QStringLiteral("nul") + QChar(0) }) {
        const auto refused = manager.renameNote(url("Plan.md"), bad);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().kind, NoteError::Kind::InvalidFileName);
    }
    EXPECT_EQ(read("Plan.md"), "draft");
    EXPECT_EQ(log.messages().filter("Renamed").size(), 1);

    // A title starting with a full stop hides the note from the listing.
    ASSERT_TRUE(manager.renameNote(url("Plan.md"), ".secret"));
    EXPECT_EQ(read(".secret.md"), "draft");
    EXPECT_TRUE(manager.allFiles().isEmpty());
}

TEST_F(NoteOperations, renameAndMoveNeverOverwriteAnExistingNote)
{
    write("a.md", "note a");
    write("b.md", "note b");
    write("Work/a.md", "work a");

    const auto renamed = manager.renameNote(url("a.md"), "b");
    ASSERT_FALSE(renamed);
    EXPECT_EQ(renamed.error().errorNumber, EEXIST);
    const auto moved = manager.moveNote(url("a.md"), QStringLiteral("Work"));
    ASSERT_FALSE(moved);
    EXPECT_EQ(moved.error().errorNumber, EEXIST);

    EXPECT_EQ(read("a.md"), "note a");
    EXPECT_EQ(read("b.md"), "note b");
    EXPECT_EQ(read("Work/a.md"), "work a");
    EXPECT_FALSE(log.containsPrefix("Renamed note"));
    EXPECT_FALSE(log.containsPrefix("Moved note"));
}

TEST_F(NoteOperations, moveGoesToTopLevelFoldersCreatingMissingOnes)
{
    write("Work/2024/x.md", "x");
    const auto up = manager.moveNote(url("Work/2024/x.md"), QStringLiteral("Work"));
    ASSERT_TRUE(up);
    EXPECT_EQ(up.value(), url("Work/x.md"));
    EXPECT_TRUE(log.contains("Moved note: x.md -> Work"));

    ASSERT_TRUE(manager.moveNote(url("Work/x.md"), QStringLiteral("Ideas")));
    EXPECT_EQ(read("Ideas/x.md"), "x");
    EXPECT_TRUE(manager.folders().contains("Ideas"));

    const auto toRoot = manager.moveNote(url("Ideas/x.md"), std::nullopt);
    ASSERT_TRUE(toRoot);
    EXPECT_EQ(toRoot.value(), url("x.md"));
    EXPECT_TRUE(log.contains("Moved note: x.md -> root"));

    // A folder name can't lead out of the vault.
    for (const QString &bad : { QStringLiteral(".."), QStringLiteral("../Outside"), QStringLiteral("") }) {
        const auto refused = manager.moveNote(url("x.md"), bad);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().kind, NoteError::Kind::InvalidFileName);
    }
    EXPECT_EQ(read("x.md"), "x");

    manager.setVault(QUrl());
    const auto noVault = manager.moveNote(url("x.md"), QStringLiteral("Work"));
    ASSERT_FALSE(noVault);
    EXPECT_EQ(noVault.error().kind, NoteError::Kind::NoPermission);
}

TEST_F(NoteOperations, deletedNoteGoesToTheDesktopTrash)
{
    write("Sub/Gone.md", "bye");
    ASSERT_TRUE(manager.deleteNote(url("Sub/Gone.md")));
    EXPECT_EQ(read("Sub/Gone.md"), "<missing>");
    EXPECT_TRUE(manager.allFiles().isEmpty());
    EXPECT_TRUE(log.contains("Deleted note: Gone.md"));
    const QString trash = root.filePath(QStringLiteral("data/Trash"));
    QFile trashed(trash + QStringLiteral("/files/Gone.md"));
    ASSERT_TRUE(trashed.open(QIODevice::ReadOnly));
    EXPECT_EQ(trashed.readAll(), "bye");
    EXPECT_TRUE(QFile::exists(trash + QStringLiteral("/info/Gone.md.trashinfo")));

    EXPECT_FALSE(manager.deleteNote(url("Sub/Gone.md")));
}

TEST_F(NoteOperations, saveAsNewNumbersFromTwoEvenWhenTheOldNameIsFree)
{
    write("Plan (2).md", "taken");
    const auto saved = manager.saveAsNew("rescued", url("Plan.md"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.value().url, url("Plan (3).md"));
    EXPECT_EQ(saved.value().place, KeptPlace::NoteFolder);
    EXPECT_EQ(read("Plan (3).md"), "rescued");
    EXPECT_EQ(read("Plan.md"), "<missing>");
    EXPECT_TRUE(listed().contains("Plan (3).md"));
    EXPECT_TRUE(log.contains("Saved as new: Plan (3).md"));
}

// Where text its note can't take is kept, in order: beside the note (its folder
// made again inside the vault), the vault's top level, the recovery folder.
class Keeping;

struct KeepingCase
{
    const char *name;
    const char *note; // relative to the vault; the note itself is gone
    std::function<void(Keeping &)> arrange;
    KeptPlace place;
    const char *written; // relative to the vault, or to the recovery folder; "" for none
};

class Keeping : public NoteOperations, public ::testing::WithParamInterface<KeepingCase>
{
public:
    using NoteOperations::recovery;
    void removeVault() { QDir(vault()).removeRecursively(); }
    void blockFolder(const QString &relative) { write(relative, "a file where a folder was"); }
};

TEST_P(Keeping, textGoesToTheFirstPlaceThatTakesIt)
{
    const KeepingCase &c = GetParam();
    c.arrange(*this);
    const auto kept = manager.saveAsNew("rescued", url(c.note));
    if (QLatin1String(c.written).isEmpty()) {
        EXPECT_FALSE(kept);
        EXPECT_TRUE(QDir(recovery()).entryList(QDir::Files).isEmpty());
        return;
    }
    ASSERT_TRUE(kept) << kept.error().description.toStdString();
    EXPECT_EQ(kept.value().place, c.place);
    const QString written = c.place == KeptPlace::RecoveryFolder
        ? QDir(recovery()).relativeFilePath(kept.value().url.toLocalFile())
        : QDir(vault()).relativeFilePath(kept.value().url.toLocalFile());
    EXPECT_TRUE(written.startsWith(QLatin1String(c.written))) << written.toStdString();
    QFile file(kept.value().url.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "rescued");
    // Never a folder made outside the vault.
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("Elsewhere"))));
}

INSTANTIATE_TEST_SUITE_P(NoteOperations, Keeping,
    ::testing::Values(KeepingCase { "inItsFolderMadeAgain", "Work/Deep/Plan.md", [](Keeping &) {},
                          KeptPlace::RecreatedFolder, "Work/Deep/Plan (2).md" },
        KeepingCase { "atTheTopWhenTheFolderCanNotBeMade", "Work/Plan.md",
            [](Keeping &k) { k.blockFolder("Work"); }, KeptPlace::VaultRoot, "Plan (2).md" },
        KeepingCase { "atTheTopForAFolderOutsideTheVault", "../Elsewhere/Plan.md", [](Keeping &) {},
            KeptPlace::VaultRoot, "Plan (2).md" },
        KeepingCase { "inTheRecoveryFolderWithoutAVault", "Work/Plan.md", [](Keeping &k) { k.removeVault(); },
            KeptPlace::RecoveryFolder, "Plan 20" },
        KeepingCase { "nowhereWhenNothingTakesIt", "Work/Plan.md",
            [](Keeping &k) {
                k.removeVault();
                QDir().mkpath(QFileInfo(k.recovery()).path());
                QFile blocker(k.recovery());
                ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
            },
            KeptPlace::RecoveryFolder, "" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NoteOperations, noteTextIsStrictUtf8BothWays)
{
    const QString text = QStringLiteral("Grüße — 日本 🙂\n");
    write("n.md", "");
    ASSERT_TRUE(manager.save(text, url("n.md")));
    EXPECT_EQ(read("n.md"), text.toUtf8());
    EXPECT_EQ(manager.readNote(url("n.md")).value(), text);

    write("latin1.md", "caf\xe9 cr\xe8me");
    const auto unreadable = manager.readNote(url("latin1.md"));
    ASSERT_FALSE(unreadable);
    EXPECT_EQ(unreadable.error().kind, NoteError::Kind::InvalidText);
    EXPECT_EQ(read("latin1.md"), "caf\xe9 cr\xe8me");
    EXPECT_FALSE(manager.readNote(url("missing.md")));
}

TEST_F(NoteOperations, failedSaveKeepsTheOldBytesAndReportsTheFailure)
{
    write("n.md", "old");
    manager.recordLoadedModDate(url("n.md"));
    const auto saved = [&] {
        const FileSizeLimit full(1024);
        EXPECT_TRUE(full.isValid());
        return manager.save(QString(8192, u'x'), url("n.md"));
    }();

    EXPECT_FALSE(saved);
    EXPECT_EQ(read("n.md"), "old");
    EXPECT_FALSE(log.containsPrefix("Saved note"));
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), std::nullopt);
}

TEST_F(NoteOperations, readOnlyFolderMakesSaveFail)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    write("Locked/n.md", "old");
    ASSERT_TRUE(QFile::setPermissions(at("Locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto saved = manager.save("new", url("Locked/n.md"));
    QFile::setPermissions(
        at("Locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(saved);
    EXPECT_EQ(read("Locked/n.md"), "old");
}

TEST_F(NoteOperations, ownWritesAreToldFromOutsideChangesAndDeletions)
{
    write("n.md", "loaded");
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), std::nullopt); // never loaded
    manager.recordLoadedModDate(url("n.md"));
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), std::nullopt);

    // The program's own save: unchanged, and it stays so.
    ASSERT_TRUE(manager.save("mine", url("n.md")));
    EXPECT_TRUE(manager.isRecentOwnWrite(url("n.md")));
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), std::nullopt);

    // Another program writes a minute later.
    writeOutside("n.md", "theirs");
    EXPECT_FALSE(manager.isRecentOwnWrite(url("n.md")));
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), NoteFileStatus::ModifiedExternally);
    // Ignoring it (recording the date) makes it unchanged again.
    manager.recordLoadedModDate(url("n.md"));
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), std::nullopt);

    // An outside write whose date lies within the window of an own write
    // can't be told from it.
    ASSERT_TRUE(manager.save("mine again", url("n.md")));
    writeOutside("n.md", "close behind", 1);
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), std::nullopt);

    ASSERT_TRUE(QFile::remove(at("n.md")));
    EXPECT_EQ(manager.checkFileStatus(url("n.md")), NoteFileStatus::Deleted);
    write("other.md", "x");
    ASSERT_TRUE(QFile::remove(at("other.md")));
    EXPECT_EQ(manager.checkFileStatus(url("other.md")), std::nullopt); // never loaded
}

// An empty or relative path would name the file system's root or the working
// folder: nothing outside a real folder may be written, moved or trashed.
TEST_F(NoteOperations, urlsThatAreNotAbsoluteLocalFilesChangeNothing)
{
    const QString previousCurrent = QDir::currentPath();
    QTemporaryDir current;
    ASSERT_TRUE(QDir::setCurrent(current.path()));
    write("n.md", "keep");
    QFile(at("n.md")).copy(current.filePath(QStringLiteral("n.md")));

    for (const QUrl &bad : { QUrl(), QUrl(QStringLiteral("https://example.com/n.md")),
             QUrl::fromLocalFile(QStringLiteral("n.md")) }) {
        SCOPED_TRACE(bad.toString().toStdString());
        EXPECT_FALSE(manager.createNote(bad));
        EXPECT_FALSE(manager.saveAsNew("text", bad));
        EXPECT_FALSE(manager.save("text", bad));
        EXPECT_FALSE(manager.renameNote(bad, "Other"));
        EXPECT_FALSE(manager.moveNote(bad, QStringLiteral("Work")));
        EXPECT_FALSE(manager.deleteNote(bad));
    }
    QDir::setCurrent(previousCurrent);

    EXPECT_EQ(QDir(current.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { "n.md" });
    EXPECT_EQ(read("n.md"), "keep");
    EXPECT_FALSE(log.containsPrefix("Created new note"));
}

TEST_F(NoteOperations, renamedNoteHasNoLoadedDateUnderItsNewName)
{
    write("a.md", "a");
    manager.recordLoadedModDate(url("a.md"));
    ASSERT_TRUE(manager.renameNote(url("a.md"), "b"));
    EXPECT_EQ(manager.checkFileStatus(url("b.md")), std::nullopt);
    EXPECT_EQ(manager.checkFileStatus(url("a.md")), NoteFileStatus::Deleted);
}

// Every operation rescans and replaces the lists; a caller walking them while
// it renames or moves notes must keep reading the lists it started with.
TEST_F(NoteOperations, listsTakenBeforeAnOperationStayAsTheyWere)
{
    write("a.md", "a");
    write("b.md", "b");
    write("c.md", "c");
    write("pic.png", "");
    manager.scanVault();

    const auto &files = manager.allFiles();
    const auto &media = manager.allMedia();
    const auto &folders = manager.folders();
    ASSERT_EQ(files.size(), 3);
    QStringList renamed;
    for (const NoteFile &note : manager.allFiles()) {
        ASSERT_TRUE(manager.moveNote(note.url, QStringLiteral("Done")));
        renamed.append(note.name);
    }
    renamed.sort();
    EXPECT_EQ(renamed, (QStringList { "a", "b", "c" }));
    EXPECT_EQ(files.size(), 3);
    EXPECT_EQ(files.first().folder, std::nullopt);
    EXPECT_EQ(media.size(), 1);
    EXPECT_TRUE(folders.isEmpty());
    EXPECT_EQ(listed(), (QStringList { "Done/a.md", "Done/b.md", "Done/c.md" }));
    EXPECT_EQ(manager.folders(), QSet<QString> { QStringLiteral("Done") });
}

// What the search compares must follow every change of the list: a key out of
// step would filter one note by another one's name or folder.
TEST_F(NoteOperations, theSearchIndexFollowsEveryChangeOfTheList)
{
    write("Plan.md", "p");
    write("Work/Old.md", "o");
    write("zeta.md", "z");
    manager.scanVault();
    const std::vector<std::pair<const char *, std::function<void()>>> changes {
        { "rename", [&] { ASSERT_TRUE(manager.renameNote(url("Plan.md"), QStringLiteral("Été PLAN"))); } },
        { "move", [&] { ASSERT_TRUE(manager.moveNote(url("zeta.md"), QStringLiteral("Work"))); } },
        { "delete", [&] { ASSERT_TRUE(manager.deleteNote(url("Work/Old.md"))); } },
        { "outsideChange",
            [&] {
                writeOutside("Work/zeta.md", "newest");
                write("Later/Ünder.md", "u");
                manager.scanVault();
            } },
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        change();
        const QList<NoteFile> files = manager.allFiles();
        const NoteSearchIndex index = manager.searchIndex();
        ASSERT_EQ(index.size(), files.size());
        for (qsizetype i = 0; i < files.size(); ++i) {
            EXPECT_EQ(index.searchKey(i).toString(), noteSearchKey(files[i].name));
            const int folder = index.folder(i);
            EXPECT_EQ(folder < 0 ? std::nullopt : std::optional(index.folders()[folder]), files[i].folder);
        }
    }
    EXPECT_EQ(manager.allFiles().first().name, QStringLiteral("zeta"));
}

} // namespace
