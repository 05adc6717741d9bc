#include "clipboard/clipboardstore.h"
#include "platform/fake/fakeclock.h"
#include "platform/store/sqlitedatabase.h"

#include "tests/support/logcapture.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

class ClipboardStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        store = openStore();
        ASSERT_TRUE(store);
    }

    QString path() const { return dir.filePath(QStringLiteral("Clipboard.store")); }

    std::unique_ptr<ClipboardStore> openStore()
    {
        StoreError error;
        auto opened = ClipboardStore::open(path(), &error);
        EXPECT_TRUE(opened) << error.description.toStdString();
        return opened;
    }

    ClipboardItem makeText(const QString &text)
    {
        clock.advance(1000);
        return ClipboardItem::create(clock, ContentType::Text, text.toUtf8(), text);
    }

    ClipboardItem addSaved(const QString &text)
    {
        ClipboardItem item = makeText(text);
        store->insert(item);
        EXPECT_TRUE(store->save());
        return item;
    }

    QStringList previewsNewestFirst()
    {
        QStringList previews;
        for (const ClipboardItem &item : store->fetchNewestFirst().value())
            previews.append(item.preview);
        return previews;
    }

    QTemporaryDir dir;
    FakeClock clock;
    std::unique_ptr<ClipboardStore> store;
};

TEST_F(ClipboardStoreTest, savedEntryKeepsEveryFieldAcrossReopen)
{
    ClipboardItem item = ClipboardItem::create(clock, ContentType::RichText, "plain", QStringLiteral("plain"),
        QByteArray("{\\rtf1 plain}"), QByteArray("<p>plain</p>"));
    item.isPinned = true;
    store->insert(item);
    ASSERT_TRUE(store->save());
    store.reset();

    store = openStore();
    auto fetched = store->fetchById(item.id, ClipboardStore::Payload::Load);
    ASSERT_TRUE(fetched.ok());
    ASSERT_TRUE(fetched.value().has_value());
    const ClipboardItem &back = *fetched.value();
    EXPECT_EQ(back.id, item.id);
    EXPECT_EQ(back.timestamp, item.timestamp);
    EXPECT_EQ(back.contentType, ContentType::RichText);
    EXPECT_EQ(back.data, item.data);
    EXPECT_EQ(back.rtfData, item.rtfData);
    EXPECT_EQ(back.htmlData, item.htmlData);
    EXPECT_EQ(back.preview, item.preview);
    EXPECT_EQ(back.contentHash, item.contentHash);
    EXPECT_TRUE(back.isPinned);
    EXPECT_TRUE(back.hasPayload);
}

TEST_F(ClipboardStoreTest, emptyAndMissingPayloadsStayApart)
{
    ClipboardItem item = ClipboardItem::create(
        clock, ContentType::RichText, QByteArray(), QString(), QByteArray(""), std::nullopt);
    store->insert(item);
    ASSERT_TRUE(store->save());
    const ClipboardItem back = *store->fetchById(item.id, ClipboardStore::Payload::Load).value();
    EXPECT_TRUE(back.data.isEmpty());
    ASSERT_TRUE(back.rtfData.has_value());
    EXPECT_TRUE(back.rtfData->isEmpty());
    EXPECT_FALSE(back.htmlData.has_value());
}

TEST_F(ClipboardStoreTest, listsLeavePayloadsInTheFile)
{
    addSaved(QStringLiteral("one"));
    const QList<ClipboardItem> items = store->fetchNewestFirst().value();
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].hasPayload);
    EXPECT_TRUE(items[0].data.isEmpty());
    EXPECT_EQ(items[0].preview, QStringLiteral("one"));
}

TEST_F(ClipboardStoreTest, listsAreNewestFirstAndFollowTimestampChanges)
{
    const ClipboardItem first = addSaved(QStringLiteral("first"));
    addSaved(QStringLiteral("second"));
    addSaved(QStringLiteral("third"));
    EXPECT_EQ(previewsNewestFirst(), (QStringList { "third", "second", "first" }));

    clock.advance(1000);
    store->setTimestamp(first.id, clock.now());
    ASSERT_TRUE(store->save());
    EXPECT_EQ(previewsNewestFirst(), (QStringList { "first", "third", "second" }));

    EXPECT_EQ(store->fetchAll().value().size(), 3);
}

TEST_F(ClipboardStoreTest, trimFetchSkipsPinsAndTheNewestUnpinned)
{
    QList<ClipboardItem> added;
    for (const char *text : { "a", "b", "c", "d", "e" })
        added.append(addSaved(QString::fromLatin1(text)));
    store->setPinned(added[0].id, true); // a, the oldest
    store->setPinned(added[3].id, true); // d
    EXPECT_EQ(store->fetchUnpinnedBeyond(1).value(), (QList<QUuid> { added[2].id, added[1].id }));
    EXPECT_EQ(store->fetchUnpinnedBeyond(3).value(), QList<QUuid>());
    EXPECT_EQ(store->fetchUnpinnedBeyond(0).value().size(), 3);
}

TEST_F(ClipboardStoreTest, fetchesSeeUnsavedChangesAndRollbackDiscardsThem)
{
    const ClipboardItem kept = addSaved(QStringLiteral("kept"));
    const ClipboardItem added = makeText(QStringLiteral("added"));
    store->insert(added);
    store->setPinned(kept.id, true);
    EXPECT_TRUE(store->hasChanges());
    EXPECT_EQ(previewsNewestFirst(), (QStringList { "added", "kept" }));
    EXPECT_TRUE(store->fetchById(kept.id, ClipboardStore::Payload::Skip).value()->isPinned);

    store->rollback();
    EXPECT_FALSE(store->hasChanges());
    EXPECT_EQ(previewsNewestFirst(), QStringList { "kept" });
    EXPECT_FALSE(store->fetchById(kept.id, ClipboardStore::Payload::Skip).value()->isPinned);
}

TEST_F(ClipboardStoreTest, unsavedChangesDoNotOutliveTheStore)
{
    addSaved(QStringLiteral("saved"));
    store->insert(makeText(QStringLiteral("unsaved")));
    store.reset();
    store = openStore();
    EXPECT_EQ(previewsNewestFirst(), QStringList { "saved" });
}

TEST_F(ClipboardStoreTest, duplicateLookupFindsOneEntryByHash)
{
    const ClipboardItem item = addSaved(QStringLiteral("needle"));
    auto found = store->fetchByContentHash(*item.contentHash);
    ASSERT_TRUE(found.ok());
    ASSERT_TRUE(found.value().has_value());
    EXPECT_EQ(found.value()->id, item.id);
    EXPECT_FALSE(found.value()->hasPayload);

    auto missing = store->fetchByContentHash(computeContentHash("hay", std::nullopt, std::nullopt));
    ASSERT_TRUE(missing.ok());
    EXPECT_FALSE(missing.value().has_value());
}

TEST_F(ClipboardStoreTest, backfillFetchFindsMissingAndEmptyHashes)
{
    ClipboardItem none = makeText(QStringLiteral("none"));
    none.contentHash.reset();
    ClipboardItem empty = makeText(QStringLiteral("empty"));
    empty.contentHash = QString();
    store->insert(none);
    store->insert(empty);
    store->insert(makeText(QStringLiteral("hashed")));
    ASSERT_TRUE(store->save());

    QList<ClipboardItem> missing = store->fetchMissingContentHash().value();
    ASSERT_EQ(missing.size(), 2);
    for (const ClipboardItem &item : missing)
        EXPECT_NE(item.preview, QStringLiteral("hashed"));
    store->setContentHash(none.id, QStringLiteral("abc"));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(store->fetchMissingContentHash().value().size(), 1);
}

TEST_F(ClipboardStoreTest, removeAndMissingIdsChangeOnlyWhatExists)
{
    const ClipboardItem a = addSaved(QStringLiteral("a"));
    addSaved(QStringLiteral("b"));
    store->remove(a.id);
    store->setPinned(QUuid::createUuid(), true);
    ASSERT_TRUE(store->save());
    EXPECT_EQ(previewsNewestFirst(), QStringList { "b" });
    EXPECT_FALSE(store->fetchById(a.id, ClipboardStore::Payload::Load).value().has_value());
}

TEST_F(ClipboardStoreTest, changedIsSignalledOncePerTurnOfTheEventLoop)
{
    int signals_ = 0;
    QObject::connect(store.get(), &ClipboardStore::changed, [&] { ++signals_; });
    for (int i = 0; i < 100; ++i)
        store->insert(makeText(QStringLiteral("x%1").arg(i)));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(signals_, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(signals_, 1);
    store->insert(makeText(QStringLiteral("y")));
    store->rollback();
    QCoreApplication::processEvents();
    EXPECT_EQ(signals_, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(signals_, 2);
}

TEST_F(ClipboardStoreTest, unknownContentTypeReadsAsTextLoggedOnceAndIsNeverRewritten)
{
    const ClipboardItem item = addSaved(QStringLiteral("mystery"));
    {
        SqliteError error;
        auto raw = SqliteDatabase::open(path(), &error);
        ASSERT_TRUE(raw);
        ASSERT_TRUE(raw->exec("UPDATE ClipboardItem SET contentType = 'sticker'"));
    }
    LogCapture logs;
    for (int i = 0; i < 2; ++i) {
        const QList<ClipboardItem> items = store->fetchNewestFirst().value();
        ASSERT_EQ(items.size(), 1);
        EXPECT_EQ(items[0].contentType, ContentType::Text);
    }
    const QString message = QStringLiteral("Read clipboard item %1 of unknown content type sticker as text")
                                .arg(item.id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(logs.count(message), 1);
    EXPECT_EQ(logs.lines().first().type, QtWarningMsg);

    store->setTimestamp(item.id, clock.now().addSecs(5));
    store->setPinned(item.id, true);
    ASSERT_TRUE(store->save());
    SqliteError error;
    auto raw = SqliteDatabase::open(path(), &error);
    SqliteStatement row = raw->prepare("SELECT contentType FROM ClipboardItem");
    ASSERT_EQ(row.step(), SqliteStatement::Step::Row);
    EXPECT_EQ(row.text(0), QStringLiteral("sticker"));
}

TEST_F(ClipboardStoreTest, fileThatIsNotADatabaseIsRefusedAndLeftAlone)
{
    const QString foreign = dir.filePath(QStringLiteral("notes.txt"));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += "not a database, just somebody's notes\n";
    {
        QFile file(foreign);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    StoreError error;
    EXPECT_FALSE(ClipboardStore::open(foreign, &error));
    EXPECT_FALSE(error.description.isEmpty());
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
    EXPECT_FALSE(QFile::exists(foreign + QStringLiteral("-wal")));
}

TEST_F(ClipboardStoreTest, databaseOfAnotherProgramIsRefusedAndLeftAlone)
{
    const QString foreign = dir.filePath(QStringLiteral("notes.db"));
    {
        SqliteError error;
        auto raw = SqliteDatabase::open(foreign, &error);
        ASSERT_TRUE(raw);
        ASSERT_TRUE(raw->exec("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('keep me');"));
    }
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    StoreError error;
    EXPECT_FALSE(ClipboardStore::open(foreign, &error));
    EXPECT_TRUE(error.description.contains(QStringLiteral("another program")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before) << "no table added, no journal mode changed";
    EXPECT_FALSE(QFile::exists(foreign + QStringLiteral("-wal")));

    // An empty database file is a store waiting for its first entry.
    const QString empty = dir.filePath(QStringLiteral("empty.store"));
    ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));
    EXPECT_TRUE(ClipboardStore::open(empty, &error)) << error.description.toStdString();
}

TEST_F(ClipboardStoreTest, missingFolderIsAnErrorAndNothingIsCreated)
{
    const QString inMissing = dir.filePath(QStringLiteral("missing/Clipboard.store"));
    StoreError error;
    EXPECT_FALSE(ClipboardStore::open(inMissing, &error));
    EXPECT_FALSE(error.description.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing"))));
}

TEST_F(ClipboardStoreTest, tableOfAnotherLayoutIsAnError)
{
    const QString other = dir.filePath(QStringLiteral("other.store"));
    {
        SqliteError error;
        auto raw = SqliteDatabase::open(other, &error);
        ASSERT_TRUE(raw);
        ASSERT_TRUE(raw->exec("CREATE TABLE ClipboardItem (id TEXT, payload BLOB)"));
    }
    StoreError error;
    EXPECT_FALSE(ClipboardStore::open(other, &error));
    EXPECT_TRUE(error.description.contains(QStringLiteral("unexpected layout")));
}

// The journal mode is the header's bytes 18 and 19: 1 for a rollback journal, 2 for WAL.
QByteArray journalModeBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(20).mid(18) : QByteArray();
}

TEST_F(ClipboardStoreTest, tableOfAnotherLayoutIsRefusedBeforeAnythingChanges)
{
    const QString other = dir.filePath(QStringLiteral("other.store"));
    {
        SqliteError error;
        auto raw = SqliteDatabase::open(other, &error);
        ASSERT_TRUE(raw);
        ASSERT_TRUE(raw->exec("CREATE TABLE ClipboardItem (id TEXT, payload BLOB); CREATE TABLE extra (x)"));
    }
    ASSERT_EQ(journalModeBytes(other), QByteArray("\x01\x01"));
    ASSERT_TRUE(QFile::setPermissions(
        other, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    StoreError error;
    EXPECT_FALSE(ClipboardStore::open(other, &error));
    EXPECT_TRUE(error.description.contains(QStringLiteral("unexpected layout")));
    EXPECT_EQ(journalModeBytes(other), QByteArray("\x01\x01"));
    EXPECT_FALSE(QFile::exists(other + QStringLiteral("-wal")));
    EXPECT_TRUE(QFile::permissions(other) & QFileDevice::ReadGroup);
}

TEST_F(ClipboardStoreTest, storeAndItsJournalsAreTheOwnersAlone)
{
    addSaved(QStringLiteral("a secret"));
    const QString older = dir.filePath(QStringLiteral("older.store"));
    {
        SqliteError error;
        auto raw = SqliteDatabase::open(older, &error);
        ASSERT_TRUE(raw);
    }
    ASSERT_TRUE(QFile::setPermissions(older,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    StoreError error;
    auto reopened = ClipboardStore::open(older, &error);
    ASSERT_TRUE(reopened);

    for (const QString &file : { path(), path() + QStringLiteral("-wal"), path() + QStringLiteral("-shm"),
             older, older + QStringLiteral("-wal"), older + QStringLiteral("-shm") }) {
        ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_EQ(QFile::permissions(file) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner)
            << file.toStdString();
    }
}

// Another program (a backup, a sqlite3 shell) holding the store for a moment
// is waited out, at open as much as at a save.
TEST_F(ClipboardStoreTest, aBriefLockByAnotherProgramIsWaitedOut)
{
    for (const bool atOpen : { true, false }) {
        SCOPED_TRACE(atOpen ? "at open" : "at save");
        if (atOpen)
            store.reset();
        std::promise<void> locked;
        std::thread other([this, &locked, atOpen] {
            SqliteError error;
            auto raw = SqliteDatabase::open(path(), &error);
            if (atOpen)
                raw->exec("PRAGMA locking_mode=EXCLUSIVE");
            raw->exec("BEGIN EXCLUSIVE");
            if (atOpen)
                raw->exec("INSERT INTO ClipboardItem (id, timestamp, contentType, preview, data) "
                          "VALUES ('x', 0, 'text', 'x', x'00')");
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::seconds(1)); // how long the other program holds it
            raw->exec("ROLLBACK");
        });
        locked.get_future().wait();
        if (atOpen) {
            store = openStore();
            EXPECT_TRUE(store);
        } else {
            addSaved(QStringLiteral("during the lock"));
        }
        other.join();
        ASSERT_TRUE(store);
    }
    EXPECT_EQ(previewsNewestFirst(), QStringList { QStringLiteral("during the lock") });
}

TEST_F(ClipboardStoreTest, storeLockedByAnotherWriterFailsAtSaveAndRecovers)
{
    const ClipboardItem kept = addSaved(QStringLiteral("kept"));
    SqliteError error;
    auto other = SqliteDatabase::open(path(), &error);
    ASSERT_TRUE(other);
    ASSERT_TRUE(other->exec("BEGIN IMMEDIATE"));

    // Reads go on while another process writes.
    EXPECT_TRUE(store->fetchByContentHash(*kept.contentHash).value().has_value());
    store->insert(makeText(QStringLiteral("blocked")));
    store->setPinned(kept.id, true);
    EXPECT_TRUE(store->hasChanges());
    EXPECT_FALSE(store->save());
    EXPECT_NE(store->lastError().description, QString());
    EXPECT_FALSE(store->save()) << "the refused change stays an error until rolled back";
    store->rollback();

    ASSERT_TRUE(other->exec("ROLLBACK"));
    addSaved(QStringLiteral("after"));
    EXPECT_EQ(previewsNewestFirst(), (QStringList { "after", "kept" }));
}

TEST_F(ClipboardStoreTest, injectedFailuresHitOnlyTheNextFetchOrSave)
{
    addSaved(QStringLiteral("a"));
    store->failNextFetch({ 1, QStringLiteral("disk on fire") });
    auto failed = store->fetchNewestFirst();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().description, QStringLiteral("disk on fire"));
    EXPECT_TRUE(store->fetchNewestFirst().ok());

    store->insert(makeText(QStringLiteral("b")));
    store->failNextSave({ 2, QStringLiteral("full") });
    EXPECT_FALSE(store->save());
    EXPECT_EQ(store->lastError().description, QStringLiteral("full"));
    EXPECT_TRUE(store->hasChanges());
    EXPECT_TRUE(store->save());
    EXPECT_EQ(previewsNewestFirst(), (QStringList { "b", "a" }));
}

} // namespace
