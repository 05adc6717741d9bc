#include "platform/linux/inotifyfileeventstream.h"

#include "tests/support/waitfor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

class InotifyStream : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&stream, &FileEventStream::eventsOccurred, &stream, [this] { ++batches; });
    }

    QString at(const QString &relative) const { return QDir(dir.path()).canonicalPath() + u'/' + relative; }
    void touch(const QString &relative)
    {
        QDir().mkpath(QFileInfo(at(relative)).path());
        QFile file(at(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write("x");
    }
    // True when a change made by `change` is reported as a batch.
    bool reports(const std::function<void()> &change)
    {
        const int before = batches;
        change();
        return waitFor([&] { return batches > before; }, 3s);
    }

    static constexpr auto latency = 40ms;
    QTemporaryDir dir;
    InotifyFileEventStream stream;
    int batches = 0;
};

TEST_F(InotifyStream, changesAnywhereInTheTreeIncludingNewFoldersAreReported)
{
    QDir().mkpath(at("Root/Old/Deeper"));
    ASSERT_TRUE(stream.start(at("Root"), latency));
    EXPECT_TRUE(reports([&] { touch("Root/a.md"); }));
    EXPECT_TRUE(reports([&] { touch("Root/Old/Deeper/b.md"); }));
    EXPECT_TRUE(reports([&] { QDir().mkpath(at("Root/New/Inner")); }));
    EXPECT_TRUE(reports([&] { touch("Root/New/Inner/c.md"); }));

    // A folder moved in from outside, and one renamed inside, are watched too.
    QDir().mkpath(at("Outside/Sub"));
    EXPECT_TRUE(reports([&] { QDir().rename(at("Outside"), at("Root/In")); }));
    EXPECT_TRUE(reports([&] { touch("Root/In/Sub/d.md"); }));
    EXPECT_TRUE(reports([&] { QDir().rename(at("Root/Old"), at("Root/Renamed")); }));
    EXPECT_TRUE(reports([&] { touch("Root/Renamed/Deeper/e.md"); }));
}

TEST_F(InotifyStream, burstOfChangesIsOneBatch)
{
    ASSERT_TRUE(stream.start(at(""), 200ms));
    for (int n = 0; n < 100; ++n)
        touch(QStringLiteral("n%1.md").arg(n));
    ASSERT_TRUE(waitFor([&] { return batches == 1; }, 3s));
    runEventsFor(300ms);
    EXPECT_EQ(batches, 1);
}

TEST_F(InotifyStream, missingRootIsWaitedForAndDeletedRootIsWatchedAgainWhenBack)
{
    ASSERT_TRUE(stream.start(at("Later/Root"), latency));
    EXPECT_TRUE(reports([&] { QDir().mkpath(at("Later/Root")); }));
    EXPECT_TRUE(reports([&] { touch("Later/Root/a.md"); }));

    EXPECT_TRUE(reports([&] { QDir(at("Later/Root")).removeRecursively(); }));
    // Unrelated activity beside the missing root says nothing.
    const int before = batches;
    touch("Later/unrelated.txt");
    runEventsFor(latency * 3);
    EXPECT_EQ(batches, before);

    EXPECT_TRUE(reports([&] { QDir().mkpath(at("Later/Root/Sub")); }));
    EXPECT_TRUE(reports([&] { touch("Later/Root/Sub/b.md"); }));

    EXPECT_TRUE(reports([&] { QDir().rename(at("Later/Root"), at("Later/Away")); }));
    EXPECT_TRUE(reports([&] { QDir().rename(at("Later/Away"), at("Later/Root")); }));
    EXPECT_TRUE(reports([&] { touch("Later/Root/c.md"); }));
}

// Once the kernel's queue is full, later events are lost, a new folder's
// creation among them: only watching everything afresh finds that folder.
TEST_F(InotifyStream, overflowWatchesEveryFolderAfreshAndReportsAChange)
{
    QFile limitFile(QStringLiteral("/proc/sys/fs/inotify/max_queued_events"));
    const int limit = limitFile.open(QIODevice::ReadOnly) ? limitFile.readAll().trimmed().toInt() : 0;
    if (limit <= 0 || limit > 1 << 18)
        GTEST_SKIP() << "the queue can't be filled quickly here";

    QDir().mkpath(at("Root"));
    ASSERT_TRUE(stream.start(at("Root"), latency));
    // Alternating files, because the kernel merges a repeat of the last event.
    const int first = ::open(QFile::encodeName(at("Root/a.md")).constData(), O_WRONLY | O_CREAT, 0644);
    const int second = ::open(QFile::encodeName(at("Root/b.md")).constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    for (int n = 0; n <= limit / 2 + 16; ++n) {
        ASSERT_EQ(::write(first, "x", 1), 1);
        ASSERT_EQ(::write(second, "x", 1), 1);
    }
    ::close(first);
    ::close(second);
    QDir().mkpath(at("Root/Lost"));

    ASSERT_TRUE(waitFor([&] { return batches > 0; }, 3s));
    EXPECT_EQ(stream.watchCount(), 2);
    EXPECT_TRUE(reports([&] { touch("Root/Lost/c.md"); }));
}

// A folder still held open when it is deleted is released late: the end of
// its old watch arrives after the watch of a new folder of the same name,
// which must stay known, so that moving the new folder out drops its watch.
TEST_F(InotifyStream, lateEndOfAReplacedFolderKeepsTheNewFolderKnown)
{
    QDir().mkpath(at("Root/Sub"));
    QDir().mkpath(at("Outside"));
    ASSERT_TRUE(stream.start(at("Root"), latency));
    const int held = ::open(QFile::encodeName(at("Root/Sub")).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    EXPECT_TRUE(reports([&] {
        ASSERT_TRUE(QDir().rmdir(at("Root/Sub")));
        ASSERT_TRUE(QDir().mkdir(at("Root/Sub")));
    }));
    ::close(held);
    runEventsFor(latency * 3);
    EXPECT_EQ(stream.watchCount(), 2);

    EXPECT_TRUE(reports([&] { QDir().rename(at("Root/Sub"), at("Outside/Sub")); }));
    EXPECT_EQ(stream.watchCount(), 1);
    const int before = batches;
    touch("Outside/Sub/away.md");
    runEventsFor(latency * 3);
    EXPECT_EQ(batches, before);
}

TEST_F(InotifyStream, linkLoopsAreNotFollowed)
{
    QDir().mkpath(at("Root/Sub"));
    ASSERT_TRUE(QFile::link(at("Root"), at("Root/Sub/loop")));
    ASSERT_TRUE(stream.start(at("Root"), latency));
    EXPECT_EQ(stream.watchCount(), 2);
    EXPECT_TRUE(reports([&] { touch("Root/Sub/a.md"); }));
}

TEST_F(InotifyStream, stopDropsTheBatchNotYetReported)
{
    ASSERT_TRUE(stream.start(at(""), latency));
    touch("a.md");
    ASSERT_TRUE(waitFor([&] { return stream.watchCount() > 0; }));
    QCoreApplication::processEvents();
    stream.stop();
    EXPECT_FALSE(stream.isRunning());
    runEventsFor(latency * 3);
    EXPECT_EQ(batches, 0);
    EXPECT_EQ(stream.watchCount(), 0);
}

} // namespace
