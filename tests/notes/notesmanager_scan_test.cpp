#include "notes/notesmanager.h"

#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/linux/inotifyfileeventstream.h"
#include "tests/notes/temporaryvault.h"
#include "tests/support/logcapture.h"
#include "tests/support/printers.h"
#include "tests/support/waitfor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Counts a signal's emissions, like a spy without the test library.
struct Counter
{
    template<typename Signal> Counter(const NotesManager *sender, Signal signal)
    {
        QObject::connect(sender, signal, &context, [this] { ++count; });
    }
    int size() const { return count; }

    QObject context;
    int count = 0;
};

QString folderOf(const NoteFile &note)
{
    return note.folder.value_or(QStringLiteral("<none>"));
}

class VaultFixture : public TemporaryVault
{
protected:
    void SetUp() override { QDir().mkpath(vault()); }

    void makeFolder(const QString &relative) { ASSERT_TRUE(QDir().mkpath(at(relative))); }

    QStringList relativePaths(const QList<NoteFile> &notes) const
    {
        QStringList paths;
        for (const NoteFile &note : notes)
            paths.append(note.url.toLocalFile().mid(vault().size() + 1));
        return paths;
    }

    static QDateTime day(int n) { return QDateTime(QDate(2025, 3, n), QTime(9, 0), Qt::UTC); }

    FakeClock clock;
    LogCapture log;
};

class NotesScan : public VaultFixture
{
protected:
    FakeFileEventStream events;
    NotesManager manager { events, clock };
};

TEST_F(NotesScan, listsNotesMediaAndFoldersOfAMixedVault)
{
    write(QStringLiteral("a.md"), "a", day(3));
    write(QStringLiteral("Sub/b.md"), "b", day(2));
    write(QStringLiteral("Sub/Deep/c.MD"), "c", day(1));
    write(QStringLiteral("img.PNG"));
    write(QStringLiteral(".hidden.md"));
    write(QStringLiteral(".obsidian/inside.md"));
    write(QStringLiteral("notes.txt"));
    makeFolder(QStringLiteral("Empty"));

    manager.setVault(QUrl::fromLocalFile(vault()));

    const QList<NoteFile> &files = manager.allFiles();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(relativePaths(files), (QStringList { "a.md", "Sub/b.md", "Sub/Deep/c.MD" }));
    EXPECT_EQ(files[0].name, QStringLiteral("a"));
    EXPECT_EQ(files[2].name, QStringLiteral("c"));
    EXPECT_EQ(folderOf(files[0]), QStringLiteral("<none>"));
    EXPECT_EQ(folderOf(files[1]), QStringLiteral("Sub"));
    EXPECT_EQ(folderOf(files[2]), QStringLiteral("Sub"));
    EXPECT_EQ(files[0].id, files[0].url);
    EXPECT_EQ(files[0].modifiedDate, day(3));
    EXPECT_EQ(manager.allMedia(), QList<QUrl> { QUrl::fromLocalFile(at(QStringLiteral("img.PNG"))) });
    EXPECT_EQ(manager.folders(), QSet<QString> { QStringLiteral("Sub") });
    EXPECT_TRUE(log.contains(QStringLiteral("Scanned vault: 3 notes, 1 media in 1 folders")));
}

TEST_F(NotesScan, kindOfItemDecidesNotesButNotMedia)
{
    makeFolder(QStringLiteral("pics.png"));
    makeFolder(QStringLiteral("x.md"));
    write(QStringLiteral("x.md/inner.md"));
    ASSERT_TRUE(QFile::link(at(QStringLiteral("x.md/inner.md")), at(QStringLiteral("link.md"))));

    manager.setVault(QUrl::fromLocalFile(vault()));

    EXPECT_EQ(relativePaths(manager.allFiles()), QStringList { "x.md/inner.md" });
    EXPECT_EQ(manager.allMedia(), QList<QUrl> { QUrl::fromLocalFile(at(QStringLiteral("pics.png"))) });
}

TEST_F(NotesScan, folderIsTheFirstComponentBelowTheVaultEvenWhenNamesRecur)
{
    // The vault's own name reappears below it: only the leading vault path is
    // taken off a note's path.
    write(QStringLiteral("a/Vault/b.md"));
    write(QStringLiteral("Vault/c.md"));
    write(QStringLiteral("Vault/Vault/d.md"));

    manager.setVault(QUrl::fromLocalFile(vault()));

    QHash<QString, QString> folderByName;
    for (const NoteFile &note : manager.allFiles())
        folderByName.insert(note.name, folderOf(note));
    EXPECT_EQ(folderByName.value("b"), QStringLiteral("a"));
    EXPECT_EQ(folderByName.value("c"), QStringLiteral("Vault"));
    EXPECT_EQ(folderByName.value("d"), QStringLiteral("Vault"));
    EXPECT_EQ(manager.folders(), (QSet<QString> { "a", "Vault" }));
}

TEST_F(NotesScan, vaultReachedThroughALinkListsNotesInTheirFoldersUnderTheGivenPath)
{
    write(QStringLiteral("Work/2024/Plan.md"));
    write(QStringLiteral("Top.md"));
    const QString link = QDir(root.path()).canonicalPath() + QStringLiteral("/Link");
    ASSERT_TRUE(QFile::link(vault(), link));

    manager.setVault(QUrl::fromLocalFile(link));

    ASSERT_EQ(manager.allFiles().size(), 2);
    for (const NoteFile &note : manager.allFiles()) {
        EXPECT_TRUE(note.url.toLocalFile().startsWith(link + u'/')) << note.url.toString().toStdString();
        EXPECT_EQ(folderOf(note), note.name == QLatin1String("Plan") ? QStringLiteral("Work") : "<none>");
    }
}

TEST_F(NotesScan, rescanSeesItemsThatChangedKindOrName)
{
    makeFolder(QStringLiteral("x.md"));
    write(QStringLiteral("x.md/in.md"));
    write(QStringLiteral("old.md"));
    write(QStringLiteral("pic.png"));
    manager.setVault(QUrl::fromLocalFile(vault()));
    ASSERT_EQ(relativePaths(manager.allFiles()).size(), 2);

    ASSERT_TRUE(QDir(at(QStringLiteral("x.md"))).removeRecursively());
    write(QStringLiteral("x.md"));
    ASSERT_TRUE(QFile::rename(at(QStringLiteral("old.md")), at(QStringLiteral("new.md"))));
    ASSERT_TRUE(QFile::remove(at(QStringLiteral("pic.png"))));
    makeFolder(QStringLiteral("pic.png/inner"));
    write(QStringLiteral("pic.png/inner/deep.md"));
    manager.scanVault();

    QStringList paths = relativePaths(manager.allFiles());
    paths.sort();
    EXPECT_EQ(paths, (QStringList { "new.md", "pic.png/inner/deep.md", "x.md" }));
    for (const NoteFile &note : manager.allFiles())
        EXPECT_EQ(note.url, QUrl::fromLocalFile(note.url.toLocalFile()));
    EXPECT_EQ(manager.allMedia(), QList<QUrl> { QUrl::fromLocalFile(at(QStringLiteral("pic.png"))) });
    EXPECT_EQ(manager.folders(), QSet<QString> { QStringLiteral("pic.png") });
}

TEST_F(NotesScan, noteThatBecameAFolderIsListedUnderItsFullName)
{
    write(QStringLiteral("Plan.v2.md"));
    write(QStringLiteral("Ünï.MD"));
    manager.setVault(QUrl::fromLocalFile(vault()));
    QStringList names;
    for (const NoteFile &note : manager.allFiles())
        names.append(note.name);
    names.sort();
    EXPECT_EQ(names, (QStringList { "Plan.v2", "Ünï" }));

    ASSERT_TRUE(QFile::remove(at(QStringLiteral("Plan.v2.md"))));
    write(QStringLiteral("Plan.v2.md/inside.md"));
    manager.scanVault();

    QStringList paths = relativePaths(manager.allFiles());
    paths.sort();
    EXPECT_EQ(paths, (QStringList { "Plan.v2.md/inside.md", "Ünï.MD" }));
    EXPECT_EQ(manager.folders(), QSet<QString> { QStringLiteral("Plan.v2.md") });
    for (const NoteFile &note : manager.allFiles())
        EXPECT_EQ(note.url, QUrl::fromLocalFile(note.url.toLocalFile()));
}

TEST_F(NotesScan, urlsOfNamesThatNeedEscapingAreTheUrlsOfTheirPaths)
{
    const QStringList notes { "100% done.md", "%41.md", "a#b.md", "what?.md", "[x] ü é.md",
        "Per%cent/in folder.md", "semi;colon/x.md" };
    for (const QString &note : notes)
        write(note);
    write(QStringLiteral("50%.png"));
    write(QStringLiteral("Per%cent/#1.jpg"));

    for (int scan = 0; scan < 2; ++scan) { // the first scan, then one reusing it
        if (scan == 0)
            manager.setVault(QUrl::fromLocalFile(vault()));
        else
            manager.scanVault();
        QStringList paths;
        for (const NoteFile &note : manager.allFiles()) {
            EXPECT_EQ(note.url, QUrl::fromLocalFile(note.url.toLocalFile()));
            EXPECT_TRUE(QFileInfo::exists(note.url.toLocalFile())) << note.url.toString().toStdString();
            paths.append(note.url.toLocalFile().mid(vault().size() + 1));
        }
        paths.sort();
        QStringList expected = notes;
        expected.sort();
        EXPECT_EQ(paths, expected);
        QList<QUrl> media = manager.allMedia();
        std::sort(media.begin(), media.end());
        QList<QUrl> expectedMedia { QUrl::fromLocalFile(at(QStringLiteral("50%.png"))),
            QUrl::fromLocalFile(at(QStringLiteral("Per%cent/#1.jpg"))) };
        std::sort(expectedMedia.begin(), expectedMedia.end());
        EXPECT_EQ(media, expectedMedia);
        EXPECT_EQ(manager.folders(), (QSet<QString> { "Per%cent", "semi;colon" }));
    }
}

// A name that isn't UTF-8 has no URL of its own: decoded with replacement
// characters, "a\xff.md" and "a\xfe.md" would share one, and reading or
// saving either would reach the other.
TEST_F(NotesScan, namesThatAreNotUtf8AreLeftOutWithOneLinePerScan)
{
    write(QStringLiteral("good.md"));
    write(QStringLiteral("\u00efcafe\u00ef.md")); // valid UTF-8 beyond ASCII stays
    const QByteArray base = QFile::encodeName(vault()) + '/';
    for (const QByteArray &raw : { QByteArray("a\xff.md"), QByteArray("a\xfe.md"), QByteArray("p\xc3.png"),
             QByteArray("\xef\xbb\xbf"
                        "bom.md") }) {
        const int fd = ::open((base + raw).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    ASSERT_EQ(::mkdir((base + "d\xff").constData(), 0755), 0);
    const int inside = ::open((base + "d\xff/inner.md").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(inside, 0);
    ::close(inside);

    manager.setVault(QUrl::fromLocalFile(vault()));
    QStringList paths = relativePaths(manager.allFiles());
    paths.sort();
    QStringList expected { QStringLiteral("\ufeffbom.md"), "good.md", QStringLiteral("\u00efcafe\u00ef.md") };
    expected.sort();
    EXPECT_EQ(paths, expected);
    EXPECT_TRUE(manager.allMedia().isEmpty());
    EXPECT_TRUE(manager.folders().isEmpty());
    for (const NoteFile &note : manager.allFiles())
        EXPECT_TRUE(QFileInfo::exists(note.url.toLocalFile())) << note.url.toString().toStdString();
    EXPECT_EQ(log.count(QStringLiteral("Skipped 4 vault items whose names are not UTF-8")), 1);

    manager.scanVault();
    EXPECT_EQ(log.count(QStringLiteral("Skipped 4 vault items whose names are not UTF-8")), 2);
}

TEST_F(NotesScan, newestFirstAndEqualDatesKeepTheOrderMet)
{
    write(QStringLiteral("b.md"), "", day(5));
    write(QStringLiteral("a.md"), "", day(5));
    write(QStringLiteral("Old/z.md"), "", day(1));
    write(QStringLiteral("c.md"), "", day(9));

    manager.setVault(QUrl::fromLocalFile(vault()));

    EXPECT_EQ(relativePaths(manager.allFiles()), (QStringList { "c.md", "a.md", "b.md", "Old/z.md" }));
}

TEST_F(NotesScan, linkLoopsAndDeepTreesEndTheScan)
{
    ASSERT_TRUE(QFile::link(vault(), at(QStringLiteral("loop"))));
    makeFolder(QStringLiteral("Sub"));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), at(QStringLiteral("Sub/up"))));
    QString deep;
    for (int level = 0; level < 50; ++level)
        deep += QStringLiteral("d%1/").arg(level);
    write(deep + QStringLiteral("bottom.md"));
    write(QStringLiteral("top.md"));

    manager.setVault(QUrl::fromLocalFile(vault()));

    ASSERT_EQ(manager.allFiles().size(), 2);
    QHash<QString, QString> folderByName;
    for (const NoteFile &note : manager.allFiles())
        folderByName.insert(note.name, folderOf(note));
    EXPECT_EQ(folderByName.value("bottom"), QStringLiteral("d0"));
}

TEST_F(NotesScan, unreadableFolderIsPassedOverAndUnreadableDatesSortLast)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    write(QStringLiteral("Locked/secret.md"));
    write(QStringLiteral("Blind/note.md"), "", day(1));
    write(QStringLiteral("seen.md"), "", day(2));
    ASSERT_TRUE(QFile::setPermissions(at(QStringLiteral("Locked")), QFileDevice::Permissions {}));
    // Listable but not searchable: the name is there, its date is not.
    ASSERT_TRUE(QFile::setPermissions(at(QStringLiteral("Blind")), QFileDevice::ReadOwner));

    manager.setVault(QUrl::fromLocalFile(vault()));

    QFile::setPermissions(at(QStringLiteral("Locked")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(at(QStringLiteral("Blind")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(relativePaths(manager.allFiles()), (QStringList { "seen.md", "Blind/note.md" }));
    EXPECT_EQ(manager.allFiles().last().modifiedDate, NoteFile::distantPast());
}

TEST_F(NotesScan, vanishedVaultEmptiesNotesAndFoldersButKeepsMedia)
{
    write(QStringLiteral("Sub/a.md"));
    write(QStringLiteral("img.png"));
    manager.setVault(QUrl::fromLocalFile(vault()));
    ASSERT_EQ(manager.allMedia().size(), 1);

    ASSERT_TRUE(QDir(vault()).removeRecursively());
    log.clear();
    manager.scanVault();

    EXPECT_TRUE(manager.allFiles().isEmpty());
    EXPECT_TRUE(manager.folders().isEmpty());
    EXPECT_EQ(manager.allMedia().size(), 1);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_EQ(log.lines().first().type, QtWarningMsg);
    EXPECT_EQ(log.lines().first().message, QStringLiteral("Vault folder does not exist: ") + vault());
}

TEST_F(NotesScan, missingVaultIsStillWatchedAndListedOnceItAppears)
{
    ASSERT_TRUE(QDir(vault()).removeRecursively());
    manager.setVault(QUrl::fromLocalFile(vault()));
    EXPECT_TRUE(manager.isWatching());
    EXPECT_TRUE(manager.allFiles().isEmpty());

    write(QStringLiteral("back.md"));
    manager.scanVault();
    EXPECT_EQ(manager.allFiles().size(), 1);
}

TEST_F(NotesScan, clearingTheVaultStopsWatchingAndEmptiesEveryList)
{
    write(QStringLiteral("Sub/a.md"));
    write(QStringLiteral("img.png"));
    manager.setVault(QUrl::fromLocalFile(vault()));
    EXPECT_TRUE(log.contains(QStringLiteral("Started watching vault: ") + vault()));
    ASSERT_TRUE(events.isRunning());

    Counter files(&manager, &NotesManager::allFilesChanged);
    Counter media(&manager, &NotesManager::allMediaChanged);
    Counter folders(&manager, &NotesManager::foldersChanged);
    manager.setVault(QUrl());

    EXPECT_FALSE(events.isRunning());
    EXPECT_EQ(log.count(QStringLiteral("Stopped watching vault")), 1);
    EXPECT_TRUE(manager.allFiles().isEmpty());
    EXPECT_TRUE(manager.allMedia().isEmpty());
    EXPECT_TRUE(manager.folders().isEmpty());
    EXPECT_EQ(files.size(), 1);
    EXPECT_EQ(media.size(), 1);
    EXPECT_EQ(folders.size(), 1);

    manager.setVault(QUrl());
    EXPECT_EQ(log.count(QStringLiteral("Stopped watching vault")), 1);
}

TEST_F(NotesScan, failedWatchIsLoggedAndTheVaultIsStillListed)
{
    write(QStringLiteral("a.md"));
    events.failNextStart();
    manager.setVault(QUrl::fromLocalFile(vault()));

    EXPECT_TRUE(log.contains(QStringLiteral("Failed to create the inotify watch of the vault")));
    EXPECT_FALSE(manager.isWatching());
    EXPECT_EQ(manager.allFiles().size(), 1);
    // Not watching: stopping does nothing and says nothing.
    manager.stopWatching();
    EXPECT_FALSE(log.contains(QStringLiteral("Stopped watching vault")));
}

TEST_F(NotesScan, burstOfEventBatchesGivesOneRescanAfterTheLastBatch)
{
    manager.setVault(QUrl::fromLocalFile(vault()));
    Counter scans(&manager, &NotesManager::allFilesChanged);
    for (int batch = 0; batch < 5; ++batch) {
        events.deliverBatch();
        runEventsFor(NotesManager::rescanDelay / 6);
    }
    write(QStringLiteral("new.md"));
    ASSERT_TRUE(waitFor([&] { return scans.size() > 0; }));
    EXPECT_EQ(manager.allFiles().size(), 1);
    runEventsFor(NotesManager::rescanDelay);
    EXPECT_EQ(scans.size(), 1);
}

TEST_F(NotesScan, stoppingWatchDropsAPendingRescanButOnlyWhenWatching)
{
    manager.setVault(QUrl::fromLocalFile(vault()));
    Counter scans(&manager, &NotesManager::allFilesChanged);
    events.deliverBatch();
    manager.stopWatching();
    runEventsFor(NotesManager::rescanDelay * 2);
    EXPECT_EQ(scans.size(), 0);

    // With no watch running, stopping leaves the rescan already pending.
    manager.handleFileSystemEvents();
    manager.stopWatching();
    EXPECT_TRUE(waitFor([&] { return scans.size() == 1; }));
}

// A rescan walking off the main thread while the program goes on: whatever
// happens before it lands, the lists end as a scan made at the end would make
// them, and a result older than what is published never replaces it.
struct BackgroundCase
{
    const char *name;
    void (*meanwhile)(class NotesBackgroundScan &test);
    QStringList expected;
    int publications; // counted from the start of the background scan
};

// A manager over a vault whose events the test delivers, for the tables of scans
// that run beside what the program does.
class ManagedVault : public VaultFixture
{
public:
    using TemporaryVault::url;
    using TemporaryVault::write;
    using VaultFixture::day;
    FakeFileEventStream events;
    NotesManager manager { events, clock };
};

class NotesBackgroundScan : public ManagedVault, public ::testing::WithParamInterface<BackgroundCase>
{
};

TEST_P(NotesBackgroundScan, listsEndCurrentAndAnOlderResultNeverWins)
{
    write(QStringLiteral("a.md"), "", day(1));
    manager.setVault(QUrl::fromLocalFile(vault()));
    write(QStringLiteral("Sub/b.md"), "", day(2));
    Counter published(&manager, &NotesManager::foldersChanged);

    manager.scanVaultInBackground();
    EXPECT_EQ(relativePaths(manager.allFiles()), QStringList { "a.md" }); // until it lands
    GetParam().meanwhile(*this);
    ASSERT_TRUE(waitFor([&] { return !manager.isScanningInBackground(); }));
    runEventsFor(20ms); // a dropped result must stay dropped

    QStringList listed;
    for (const NoteFile &note : manager.allFiles())
        listed.append(note.url.toLocalFile().mid(manager.vaultURL().toLocalFile().size() + 1));
    EXPECT_EQ(listed, GetParam().expected);
    EXPECT_EQ(published.size(), GetParam().publications);
}

INSTANTIATE_TEST_SUITE_P(NotesScan, NotesBackgroundScan,
    ::testing::Values(
        BackgroundCase { "landsAlone", [](NotesBackgroundScan &) {}, { "Sub/b.md", "a.md" }, 1 },
        BackgroundCase { "operationScanWins",
            [](NotesBackgroundScan &t) {
                ASSERT_TRUE(t.manager.moveNote(t.url(QStringLiteral("a.md")), QStringLiteral("Sub")));
            },
            { "Sub/b.md", "Sub/a.md" }, 1 },
        BackgroundCase { "newVaultWins",
            [](NotesBackgroundScan &t) {
                t.write(QStringLiteral("Other/c.md"));
                t.manager.setVault(t.url(QStringLiteral("Other")));
            },
            { "c.md" }, 1 },
        // Asked again while walking: the change may lie behind the walk.
        BackgroundCase { "askedAgainScansAgain",
            [](NotesBackgroundScan &t) {
                t.write(QStringLiteral("c.md"), "", t.day(3));
                t.manager.scanVaultInBackground();
            },
            { "c.md", "Sub/b.md", "a.md" }, 2 }),
    [](const auto &info) { return std::string(info.param.name); });

// The rescan that file events ask for walks off the main thread: the lists
// stay as they were until it lands. What happens meanwhile is the background
// scan's table above: the events only start that scan.
class NotesEventRescan : public ManagedVault
{
};

TEST_F(NotesEventRescan, listsStayUntilItLandsAndEndCurrent)
{
    const QStringList expected { "b.md", "a.md" };
    write(QStringLiteral("a.md"), "", day(1));
    manager.setVault(QUrl::fromLocalFile(vault()));
    write(QStringLiteral("b.md"), "", day(2));
    events.deliverBatch();
    // One turn of the loop at a time: the turn that starts the walk can't also
    // take in its result.
    QElapsedTimer waited;
    waited.start();
    while (!manager.isScanningInBackground() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    ASSERT_TRUE(manager.isScanningInBackground());
    EXPECT_EQ(relativePaths(manager.allFiles()), QStringList { "a.md" });
    ASSERT_TRUE(waitFor([&] { return relativePaths(manager.allFiles()) == expected; }));
    runEventsFor(NotesManager::rescanDelay * 2); // nothing older lands on top
    EXPECT_EQ(relativePaths(manager.allFiles()), expected);
    EXPECT_FALSE(manager.isScanningInBackground());
}

TEST_F(NotesScan, endingTheManagerStopsABackgroundScanWithoutPublishing)
{
    for (int i = 0; i < 200; ++i)
        write(QStringLiteral("F%1/n.md").arg(i));
    auto doomed = std::make_unique<NotesManager>(events, clock);
    doomed->setVault(QUrl::fromLocalFile(vault()));
    Counter published(doomed.get(), &NotesManager::allFilesChanged);
    doomed->scanVaultInBackground();
    doomed.reset();
    runEventsFor(20ms);
    EXPECT_EQ(published.size(), 0);
}

// The real inotify backend, end to end with the scan.
class NotesWatch : public VaultFixture
{
protected:
    InotifyFileEventStream events;
    NotesManager manager { events, clock };
};

TEST_F(NotesWatch, noteWrittenAfterStartIsListedInItsNewFolderSoon)
{
    manager.setVault(QUrl::fromLocalFile(vault()));
    ASSERT_TRUE(manager.isWatching());
    write(QStringLiteral("Later/fresh.md"));
    ASSERT_TRUE(waitFor([&] { return manager.allFiles().size() == 1; }, 3s));
    EXPECT_EQ(folderOf(manager.allFiles().first()), QStringLiteral("Later"));
    EXPECT_TRUE(manager.folders().contains(QStringLiteral("Later")));

    // The new folder is watched as well.
    write(QStringLiteral("Later/second.md"));
    EXPECT_TRUE(waitFor([&] { return manager.allFiles().size() == 2; }, 3s));
}

TEST_F(NotesWatch, hundredQuickWritesGiveOneRescan)
{
    manager.setVault(QUrl::fromLocalFile(vault()));
    log.clear();
    for (int n = 0; n < 100; ++n)
        write(QStringLiteral("n%1.md").arg(n));
    ASSERT_TRUE(waitFor([&] { return manager.allFiles().size() == 100; }, 3s));
    runEventsFor(NotesManager::eventLatency + NotesManager::rescanDelay);
    EXPECT_EQ(log.count(QStringLiteral("Scanned vault: 100 notes, 0 media in 0 folders")), 1);
    EXPECT_EQ(log.messages().filter(QStringLiteral("Scanned vault")).size(), 1);
}

TEST_F(NotesWatch, deletedVaultEmptiesTheListAndComesBackWhenRecreated)
{
    write(QStringLiteral("a.md"));
    manager.setVault(QUrl::fromLocalFile(vault()));
    ASSERT_EQ(manager.allFiles().size(), 1);

    ASSERT_TRUE(QDir(vault()).removeRecursively());
    ASSERT_TRUE(waitFor([&] { return manager.allFiles().isEmpty(); }, 3s));
    EXPECT_TRUE(log.contains(QStringLiteral("Vault folder does not exist: ") + vault()));

    write(QStringLiteral("Again/b.md"));
    ASSERT_TRUE(waitFor([&] { return manager.allFiles().size() == 1; }, 3s));
    EXPECT_EQ(folderOf(manager.allFiles().first()), QStringLiteral("Again"));

    write(QStringLiteral("Again/c.md"));
    EXPECT_TRUE(waitFor([&] { return manager.allFiles().size() == 2; }, 3s));
}

} // namespace
