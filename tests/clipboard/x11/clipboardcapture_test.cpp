// The whole capture road on a real X server: other programs (xclip, a small Qt
// owner, sqlite3) act from outside; the real pasteboard, manager and store run here.
#include "clipboard/clipboardmanager.h"
#include "platform/qt/qtpasteboard.h"

#include "tests/support/pngbytes.h"
#include "tests/support/waitfor.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

class ClipboardCaptureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        StoreError error;
        store = ClipboardStore::open(storePath(), &error);
        ASSERT_TRUE(store) << error.description.toStdString();
        pasteboard = std::make_unique<QtPasteboard>(*QApplication::clipboard());
    }

    void TearDown() override
    {
        manager.reset();
        for (auto &process : processes) {
            if (process->state() != QProcess::NotRunning) {
                ::kill(pid_t(process->processId()), SIGCONT);
                process->terminate();
                process->waitForFinished(3000);
            }
        }
    }

    QString storePath() const { return dir.filePath(QStringLiteral("Clipboard.store")); }

    void startManager()
    {
        manager = std::make_unique<ClipboardManager>(*store, *pasteboard, 200);
        manager->onPersistenceFailure = [this](const StoreError &) { ++failureReports; };
        manager->onSensitiveStateChanged = [this](bool) { ++changesSeen; };
        manager->startPolling();
    }

    QProcess &start(const QString &program, const QStringList &arguments)
    {
        processes.push_back(std::make_unique<QProcess>());
        QProcess &process = *processes.back();
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted(5000)) << program.toStdString();
        return process;
    }

    // Another program takes the clipboard; returns once this process has seen it.
    // A change alone may be an older notice (the owner of the test before giving
    // up the clipboard as it ended): xclip owns it when its data reads back here,
    // and the notice of its taking it, which the server sent before that data,
    // is then handled by one more turn of the event loop.
    QProcess &xclip(const QByteArray &data, const QString &type = QStringLiteral("UTF8_STRING"))
    {
        const int before = pasteboard->changeCount();
        QProcess &process = start(QStringLiteral("xclip"),
            { QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                QStringLiteral("-t"), type, QStringLiteral("-i") });
        process.write(data);
        process.closeWriteChannel();
        EXPECT_TRUE(waitFor(
            [&] {
                if (pasteboard->changeCount() == before)
                    return false;
                const QMimeData *mime = QApplication::clipboard()->mimeData(QClipboard::Clipboard);
                const QString format
                    = type == QLatin1String("UTF8_STRING") ? QStringLiteral("text/plain") : type;
                return mime && mime->data(format) == data;
            },
            settle))
            << "xclip never owned it";
        QCoreApplication::processEvents();
        return process;
    }

    void owner(const QStringList &formats)
    {
        const int before = pasteboard->changeCount();
        QProcess &process = start(QStringLiteral(QV_CLIPBOARD_OWNER), formats);
        EXPECT_TRUE(process.waitForReadyRead(10000));
        EXPECT_TRUE(
            waitFor([&] { return pasteboard->changeCount() != before; }, std::chrono::milliseconds(10000)));
    }

    QList<ClipboardItem> entries() { return store->fetchNewestFirst().value(); }

    // How long a condition may take on a busy machine before the test fails:
    // the tests wait on conditions, never on the clock.
    static constexpr std::chrono::milliseconds settle { 20000 };

    // The history holds `count` entries, once the polls have caught up.
    bool lands(qsizetype count)
    {
        return waitFor([&] { return entries().size() == count; }, settle);
    }

    QTemporaryDir dir;
    std::unique_ptr<ClipboardStore> store;
    std::unique_ptr<QtPasteboard> pasteboard;
    std::unique_ptr<ClipboardManager> manager;
    std::vector<std::unique_ptr<QProcess>> processes;
    int failureReports = 0;
    int changesSeen = 0; // polls that found a new change
};

TEST_F(ClipboardCaptureTest, textHtmlPngAndFilesLandAndSecretsDoNot)
{
    startManager();
    xclip("copied with xclip");
    ASSERT_TRUE(lands(1));
    EXPECT_EQ(entries()[0].contentType, ContentType::Text);
    EXPECT_EQ(entries()[0].preview, QStringLiteral("copied with xclip"));

    owner({ QStringLiteral("text/plain=Rich words"), QStringLiteral("text/html=<p><b>Rich</b> words</p>") });
    ASSERT_TRUE(lands(2));
    ClipboardItem rich = *store->fetchById(entries()[0].id, ClipboardStore::Payload::Load).value();
    EXPECT_EQ(rich.contentType, ContentType::RichText);
    EXPECT_EQ(rich.preview, QStringLiteral("Rich words"));
    ASSERT_TRUE(rich.htmlData.has_value());
    EXPECT_TRUE(rich.htmlData->contains("<b>Rich</b>"));

    xclip(pngBytes(64, 48, Qt::magenta, QImage::Format_RGB32), QStringLiteral("image/png"));
    ASSERT_TRUE(lands(3));
    EXPECT_EQ(entries()[0].contentType, ContentType::Image);
    EXPECT_EQ(entries()[0].preview, QStringLiteral("Image (64x48)"));

    xclip("file:///tmp/one.txt\nfile:///tmp/two%20words.txt\n", QStringLiteral("text/uri-list"));
    ASSERT_TRUE(lands(5));
    QStringList files = { entries()[0].preview, entries()[1].preview };
    files.sort();
    EXPECT_EQ(files, (QStringList { "one.txt", "two words.txt" }));

    owner({ QStringLiteral("text/plain=hunter2"), QStringLiteral("x-kde-passwordManagerHint=secret") });
    EXPECT_TRUE(waitFor([&] { return manager->lastItemWasSensitive(); }, settle));
    owner({ QStringLiteral("text/plain=hunter3"), QStringLiteral("org.nspasteboard.ConcealedType=") });
    xclip("after the secrets");
    ASSERT_TRUE(lands(6));
    for (const ClipboardItem &item : entries())
        EXPECT_FALSE(item.preview.startsWith(QStringLiteral("hunter")));
}

TEST_F(ClipboardCaptureTest, sameTextTwiceLeavesOneNewerEntry)
{
    startManager();
    xclip("twice");
    ASSERT_TRUE(lands(1));
    const ClipboardItem first = entries()[0];
    xclip("between");
    ASSERT_TRUE(lands(2));
    xclip("twice");
    ASSERT_TRUE(waitFor([&] { return entries()[0].id == first.id; }, settle));
    EXPECT_EQ(entries().size(), 2);
    EXPECT_GT(entries()[0].timestamp, first.timestamp);
}

TEST_F(ClipboardCaptureTest, contentFromBeforeStartIsNeverStored)
{
    xclip("was there before");
    startManager();
    xclip("copied after start");
    ASSERT_TRUE(lands(1));
    EXPECT_EQ(entries()[0].preview, QStringLiteral("copied after start"));
}

TEST_F(ClipboardCaptureTest, ownCopyBackIsNotCapturedAndPastesElsewhere)
{
    startManager();
    xclip("let answer = 42; // copied back");
    ASSERT_TRUE(lands(1));
    manager->copyToPasteboard(entries()[0]);
    QProcess &reader = start(QStringLiteral("xclip"),
        { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o") });
    // xclip reads from us: the event loop must run to answer it.
    ASSERT_TRUE(waitFor([&] { return reader.state() == QProcess::NotRunning; }, settle));
    EXPECT_EQ(reader.readAllStandardOutput(), QByteArray("let answer = 42; // copied back"));
    // A copy in the same half second as ours would be taken for ours: wait for
    // the poll that consumes our write.
    const int seen = changesSeen;
    ASSERT_TRUE(waitFor([&] { return changesSeen > seen; }, settle));
    EXPECT_EQ(entries().size(), 1);
    xclip("next");
    ASSERT_TRUE(lands(2));
}

TEST_F(ClipboardCaptureTest, hugeTextBecomesOneEntry)
{
    startManager();
    QByteArray huge;
    while (huge.size() < 20 * 1024 * 1024)
        huge += "twenty megabytes of clipboard text, one line after another\n";
    xclip(huge);
    ASSERT_TRUE(waitFor([&] { return entries().size() == 1; }, settle));
    EXPECT_EQ(entries()[0].preview.size(), 200);
}

TEST_F(ClipboardCaptureTest, silentOwnerCostsOneSelectionTimeout)
{
    startManager();
    manager->stopPolling();
    QProcess &silent = xclip("never delivered");
    ::kill(pid_t(silent.processId()), SIGSTOP);
    QElapsedTimer timer;
    timer.start();
    manager->checkPasteboard();
    // Qt gives up on a silent owner after its selection time-out (5 s); one
    // poll must not wait for it once per format.
    EXPECT_LT(timer.elapsed(), 9000);
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(ClipboardCaptureTest, ownerThatStopsAnsweringHalfwayCostsOneSelectionTimeout)
{
    startManager();
    manager->stopPolling();
    // It lists a password hint, HTML and text, then hangs on the first request:
    // each of them would otherwise wait out Qt's time-out (5 s) in turn.
    owner({ QStringLiteral("--stall"), QStringLiteral("x-kde-passwordManagerHint=none"),
        QStringLiteral("text/html=<p>x</p>"), QStringLiteral("text/plain=x") });
    QElapsedTimer timer;
    timer.start();
    manager->checkPasteboard();
    EXPECT_LT(timer.elapsed(), 9000);
    EXPECT_TRUE(entries().isEmpty());

    // The next owner is asked again.
    manager->startPolling();
    xclip("answered");
    ASSERT_TRUE(lands(1));
}

TEST_F(ClipboardCaptureTest, lockedStoreReportsOnceAndStopsCapture)
{
    startManager();
    xclip("stored before the lock");
    ASSERT_TRUE(lands(1));

    QProcess &sqlite = start(QStringLiteral("sqlite3"), { storePath() });
    sqlite.write("BEGIN IMMEDIATE;\n.print locked\n");
    ASSERT_TRUE(waitFor([&] { return sqlite.canReadLine(); }, settle)) << "sqlite3 did not take the lock";

    xclip("refused by the lock");
    ASSERT_TRUE(waitFor([&] { return failureReports > 0; }, settle));
    EXPECT_FALSE(manager->isPolling());
    xclip("after the failure");
    xclip("and another");
    EXPECT_EQ(failureReports, 1);

    sqlite.write("ROLLBACK;\n.quit\n");
    sqlite.closeWriteChannel();
    ASSERT_TRUE(sqlite.waitForFinished(5000));
    const QList<ClipboardItem> kept = entries();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].preview, QStringLiteral("stored before the lock"));
}

} // namespace
