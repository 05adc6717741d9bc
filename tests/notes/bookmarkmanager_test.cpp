#include "notes/bookmarkmanager.h"

#include "platform/bookmark.h"
#include "platform/defaults.h"
#include "tests/support/logcapture.h"
#include "tests/support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BookmarkManagerTest : public ::testing::Test
{
protected:
    QString settingsPath() const { return dir.filePath(QStringLiteral("defaults.json")); }
    QString makeFolder(const QString &name)
    {
        const QString path = QDir(dir.path()).canonicalPath() + u'/' + name;
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    QTemporaryDir dir;
    Defaults defaults { settingsPath() };
    BookmarkManager manager { defaults };
    LogCapture log;
};

TEST_F(BookmarkManagerTest, nothingStoredIsNoBookmarkData)
{
    const auto resolved = manager.resolve();
    ASSERT_FALSE(resolved);
    EXPECT_EQ(resolved.error().kind(), BookmarkError::Kind::NoBookmarkData);
    EXPECT_EQ(resolved.error().description(), QStringLiteral("No bookmark saved"));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(BookmarkManagerTest, savedFolderResolvesInALaterLaunch)
{
    const QString vault = makeFolder(QStringLiteral("Vault"));
    ASSERT_TRUE(manager.save(QUrl::fromLocalFile(vault)));
    EXPECT_TRUE(log.contains(QStringLiteral("Saved bookmark for ") + vault));

    Defaults relaunched(settingsPath());
    BookmarkManager later(relaunched);
    const auto resolved = later.resolve();
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved.value(), QUrl::fromLocalFile(vault));
}

TEST_F(BookmarkManagerTest, damagedDataFailsResolutionWithTheCause)
{
    defaults.setData(BookmarkManager::userDefaultsKey(), QByteArray("not a bookmark"));
    const auto resolved = manager.resolve();
    ASSERT_FALSE(resolved);
    EXPECT_EQ(resolved.error().kind(), BookmarkError::Kind::ResolutionFailed);
    EXPECT_TRUE(resolved.error().description().startsWith(QStringLiteral("Bookmark resolution failed: ")));
    EXPECT_GT(resolved.error().description().size(), QStringLiteral("Bookmark resolution failed: ").size());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_EQ(log.lines().first().type, QtWarningMsg);
    EXPECT_TRUE(log.containsPrefix(QStringLiteral("Bookmark resolution failed: ")));
}

TEST_F(BookmarkManagerTest, deletedFolderFailsResolutionAndKeepsTheData)
{
    const QString vault = makeFolder(QStringLiteral("Vault"));
    ASSERT_TRUE(manager.save(QUrl::fromLocalFile(vault)));
    const QByteArray stored = *defaults.data(BookmarkManager::userDefaultsKey());
    ASSERT_TRUE(QDir(vault).removeRecursively());

    const auto resolved = manager.resolve();
    ASSERT_FALSE(resolved);
    EXPECT_EQ(resolved.error().kind(), BookmarkError::Kind::ResolutionFailed);
    EXPECT_EQ(defaults.data(BookmarkManager::userDefaultsKey()), stored);
}

TEST_F(BookmarkManagerTest, anotherFolderAtThePathIsStaleAndRewritten)
{
    const QString vault = makeFolder(QStringLiteral("Vault"));
    ASSERT_TRUE(manager.save(QUrl::fromLocalFile(vault)));
    const QByteArray before = *defaults.data(BookmarkManager::userDefaultsKey());
    // Keep the old folder's inode alive so the new one can't reuse it.
    ASSERT_TRUE(QDir().rename(vault, dir.filePath(QStringLiteral("Old"))));
    makeFolder(QStringLiteral("Vault"));
    log.clear();

    const auto resolved = manager.resolve();
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved.value(), QUrl::fromLocalFile(vault));
    EXPECT_NE(defaults.data(BookmarkManager::userDefaultsKey()), before);
    EXPECT_EQ(log.messages(),
        (QStringList { QStringLiteral("Bookmark is stale, attempting to refresh for ") + vault,
            QStringLiteral("Saved bookmark for ") + vault }));
    EXPECT_EQ(log.lines().first().type, QtWarningMsg);

    // Refreshed: the next launch resolves without a stale line.
    log.clear();
    ASSERT_TRUE(manager.resolve());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(BookmarkManagerTest, folderMovedBehindALinkResolvesToItsNewPlace)
{
    const QString vault = makeFolder(QStringLiteral("Vault"));
    ASSERT_TRUE(manager.save(QUrl::fromLocalFile(vault)));
    const QString moved = QDir(dir.path()).canonicalPath() + QStringLiteral("/Moved");
    ASSERT_TRUE(QDir().rename(vault, moved));
    ASSERT_TRUE(QFile::link(moved, vault));

    const auto resolved = manager.resolve();
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved.value(), QUrl::fromLocalFile(moved));
    EXPECT_TRUE(log.contains(QStringLiteral("Saved bookmark for ") + moved));
}

TEST_F(BookmarkManagerTest, savingSomethingThatIsNotAFolderFailsAndKeepsWhatWasStored)
{
    const QString vault = makeFolder(QStringLiteral("Vault"));
    ASSERT_TRUE(manager.save(QUrl::fromLocalFile(vault)));
    const QByteArray stored = *defaults.data(BookmarkManager::userDefaultsKey());
    log.clear();

    QFile file(dir.filePath(QStringLiteral("file.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(manager.save(QUrl::fromLocalFile(file.fileName())));
    EXPECT_FALSE(manager.save(QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing")))));
    EXPECT_FALSE(manager.save(QUrl(QStringLiteral("https://example.com/vault"))));
    EXPECT_EQ(defaults.data(BookmarkManager::userDefaultsKey()), stored);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(BookmarkManagerTest, clearRemovesTheBookmarkAndAlwaysLogs)
{
    manager.clear();
    EXPECT_TRUE(log.contains(QStringLiteral("Cleared bookmark")));

    ASSERT_TRUE(manager.save(QUrl::fromLocalFile(makeFolder(QStringLiteral("Vault")))));
    manager.clear();
    EXPECT_FALSE(defaults.contains(BookmarkManager::userDefaultsKey()));
    EXPECT_EQ(log.count(QStringLiteral("Cleared bookmark")), 2);
    EXPECT_EQ(manager.resolve().error().kind(), BookmarkError::Kind::NoBookmarkData);
}

TEST(Bookmark, accessScopesAreCounted)
{
    const int before = Bookmark::openScopeCount();
    EXPECT_TRUE(Bookmark::startAccessing(QStringLiteral("/tmp")));
    EXPECT_EQ(Bookmark::openScopeCount(), before + 1);
    Bookmark::stopAccessing(QStringLiteral("/tmp"));
    EXPECT_EQ(Bookmark::openScopeCount(), before);
}

} // namespace
