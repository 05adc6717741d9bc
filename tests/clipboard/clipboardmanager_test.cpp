#include "clipboard/clipboardmanager.h"

#include "tests/clipboard/managerfixture.h"
#include "tests/support/logcapture.h"
#include "tests/support/pngbytes.h"
#include "tests/support/waitfor.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class ClipboardManagerTest : public ClipboardManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ClipboardManagerFixture::SetUp());
        manager->onSensitiveStateChanged = [this](bool sensitive) { sensitiveReports.append(sensitive); };
        manager->onPersistenceFailure
            = [this](const StoreError &error) { failures.append(error.description); };
    }

    // Another program copies; the next poll, half a second later, sees it.
    void copy(const QMap<QString, QByteArray> &formats)
    {
        pasteboard.offer(formats);
        poll();
    }
    void copyText(const QString &text) { copy({ { PasteboardType::string, text.toUtf8() } }); }
    void poll()
    {
        clock.advance(500);
        manager->checkPasteboard();
    }

    QList<ClipboardItem> entries() { return store->fetchNewestFirst().value(); }
    ClipboardItem full(const ClipboardItem &item)
    {
        return *store->fetchById(item.id, ClipboardStore::Payload::Load).value();
    }
    QStringList previews()
    {
        QStringList result;
        for (const ClipboardItem &item : entries())
            result.append(item.preview);
        return result;
    }

    QList<bool> sensitiveReports;
    QStringList failures;
};

TEST_F(ClipboardManagerTest, contentPresentAtStartIsNeverCapturedButTheNextCopyIs)
{
    pasteboard.offerText(QStringLiteral("before launch"));
    manager = std::make_unique<ClipboardManager>(*store, pasteboard, 200, clock);
    poll();
    EXPECT_TRUE(entries().isEmpty());
    copyText(QStringLiteral("after launch"));
    EXPECT_EQ(previews(), QStringList { "after launch" });
}

TEST_F(ClipboardManagerTest, idlePollReadsNothingFromThePasteboard)
{
    copyText(QStringLiteral("once"));
    pasteboard.resetReadCounts();
    poll();
    poll();
    EXPECT_EQ(pasteboard.formatReads(), 0);
    EXPECT_EQ(pasteboard.dataReads(), 0);
}

TEST_F(ClipboardManagerTest, copiesBetweenTwoPollsCountAsOneChange)
{
    pasteboard.offerText(QStringLiteral("first"));
    pasteboard.offerText(QStringLiteral("second"));
    poll();
    EXPECT_EQ(previews(), QStringList { "second" });
}

TEST_F(ClipboardManagerTest, repeatedTextMovesTheEntryToTheTopWithoutChangingIt)
{
    LogCapture logs;
    copyText(QStringLiteral("same"));
    const ClipboardItem original = entries().first();
    store->setPinned(original.id, true);
    ASSERT_TRUE(store->save());
    copyText(QStringLiteral("other"));
    copyText(QStringLiteral("  same\n\n")); // equal once trimmed

    const QList<ClipboardItem> items = entries();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].id, original.id);
    EXPECT_EQ(items[0].timestamp, clock.now());
    EXPECT_EQ(items[0].preview, QStringLiteral("same"));
    EXPECT_TRUE(items[0].isPinned);
    EXPECT_EQ(logs.count(QStringLiteral("Bumped duplicate text to top")), 1);
    EXPECT_EQ(logs.count(QStringLiteral("Captured Text: other")), 1);
}

TEST_F(ClipboardManagerTest, blankTextStoresAndBumpsNothing)
{
    copyText(QStringLiteral("kept"));
    const QDateTime before = entries().first().timestamp;
    copyText(QStringLiteral(" \n\t\r\n "));
    copyText(QString());
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().first().timestamp, before);
}

TEST_F(ClipboardManagerTest, textIsTrimmedClassifiedAndPreviewed)
{
    copyText(QStringLiteral("\n  let total = price * count\n"));
    copyText(QStringLiteral("A plain sentence about lunch"));
    const QList<ClipboardItem> items = entries();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1].contentType, ContentType::Code);
    EXPECT_EQ(full(items[1]).data, QByteArray("let total = price * count"));
    EXPECT_EQ(
        items[1].contentHash, computeContentHash("let total = price * count", std::nullopt, std::nullopt));
    EXPECT_EQ(items[0].contentType, ContentType::Text);
    EXPECT_FALSE(full(items[0]).rtfData.has_value());
}

TEST_F(ClipboardManagerTest, hugeTextBecomesOneEntryWithAShortPreview)
{
    QString huge;
    huge.reserve(20 * 1024 * 1024);
    while (huge.size() < 20 * 1024 * 1024)
        huge += QStringLiteral("All work and no play makes a dull clipboard. ");
    copyText(huge);
    const QList<ClipboardItem> items = entries();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].preview, huge.trimmed().left(200));
    EXPECT_EQ(full(items[0]).data.size(), huge.trimmed().toUtf8().size());
}

TEST_F(ClipboardManagerTest, invalidUtf8TextIsStoredAsDecodedNeverEmpty)
{
    copy({ { PasteboardType::string, QByteArray("caf\xe9 \xff\xfe ok") } });
    copy({ { PasteboardType::string, QByteArray("\xc3\x28 other") } });
    const QList<ClipboardItem> items = entries();
    ASSERT_EQ(items.size(), 2);
    for (const ClipboardItem &item : items) {
        EXPECT_FALSE(full(item).data.isEmpty());
        EXPECT_TRUE(item.preview.contains(QChar(0xFFFD)));
    }
}

TEST_F(ClipboardManagerTest, fileUrlsBecomeOneEntryEachAndNoText)
{
    LogCapture logs;
    copy({ { PasteboardType::fileUrl, "file:///tmp/report.pdf\r\nfile:///home/me/My%20Photos/\r\n" },
        { PasteboardType::string, "/tmp/report.pdf" } });
    QList<ClipboardItem> items = entries();
    ASSERT_EQ(items.size(), 2);
    QStringList names = previews();
    names.sort();
    EXPECT_EQ(names, (QStringList { "My Photos", "report.pdf" }));
    for (const ClipboardItem &item : items)
        EXPECT_EQ(item.contentType, ContentType::File);
    EXPECT_EQ(logs.count(QStringLiteral("Processed 2 file URL(s)")), 1);

    // A file manager's own list counts too; a file seen before moves up.
    copy({ { QStringLiteral("x-special/gnome-copied-files"),
        "copy\nfile:///tmp/report.pdf\nfile:///tmp/new.txt" } });
    items = entries();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].timestamp, clock.now());
    EXPECT_EQ(items[1].timestamp, clock.now());
    EXPECT_EQ(full(items[0].preview == QStringLiteral("new.txt") ? items[0] : items[1]).data,
        QByteArray("file:///tmp/new.txt"));
    EXPECT_EQ(logs.count(QStringLiteral("Bumped duplicate file to top: report.pdf")), 1);
}

TEST_F(ClipboardManagerTest, webUrlsAreNotFiles)
{
    copy({ { PasteboardType::fileUrl, "https://example.org/page" },
        { PasteboardType::string, "https://example.org/page" } });
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().first().contentType, ContentType::Text);
}

TEST_F(ClipboardManagerTest, richTextKeepsItsFormatsAndIsKnownByItsRtf)
{
    const QByteArray rtf = "{\\rtf1\\ansi Hello {\\b world}}";
    copy({ { PasteboardType::rtf, rtf }, { PasteboardType::html, "<b>Hello world</b>" },
        { PasteboardType::string, " Hello world " } });
    ClipboardItem item = full(entries().first());
    EXPECT_EQ(item.contentType, ContentType::RichText);
    EXPECT_EQ(item.data, QByteArray("Hello world"));
    EXPECT_EQ(item.rtfData, rtf);
    EXPECT_EQ(item.htmlData, QByteArray("<b>Hello world</b>"));
    EXPECT_EQ(item.contentHash, computeContentHash({}, rtf, std::nullopt));

    // Same RTF with other HTML is the same entry.
    copy({ { PasteboardType::rtf, rtf }, { PasteboardType::html, "<i>x</i>" },
        { PasteboardType::string, "Hello world" } });
    EXPECT_EQ(entries().size(), 1);

    // Only RTF on offer: its text is the plain string.
    copy({ { QStringLiteral("application/rtf"), "{\\rtf1\\ansi Caf\\'e9 \\u8212? done\\par}" } });
    ASSERT_EQ(entries().size(), 2);
    EXPECT_EQ(entries().first().preview, QString::fromUtf8("Café — done"));
}

TEST_F(ClipboardManagerTest, richTypesWithoutAPlainStringFallThroughToTheImage)
{
    copy({ { PasteboardType::html, "<img src=\"https://example.org/cat.png\">" },
        { PasteboardType::png, pngBytes(40, 30, Qt::red) } });
    ASSERT_EQ(entries().size(), 1);
    EXPECT_EQ(entries().first().contentType, ContentType::Image);
    EXPECT_EQ(entries().first().preview, QStringLiteral("Image (40x30)"));

    copy({ { PasteboardType::html, "<p> </p>" }, { PasteboardType::string, "   " } });
    EXPECT_EQ(entries().size(), 1);
}

TEST_F(ClipboardManagerTest, imagesAreStoredAsPngWithTheirSizeInWholePoints)
{
    LogCapture logs;
    copy({ { QStringLiteral("image/bmp"), [] {
                QByteArray bytes;
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::WriteOnly);
                QImage(12, 7, QImage::Format_RGB32).save(&buffer, "BMP");
                return bytes;
            }() } });
    ClipboardItem item = full(entries().first());
    EXPECT_EQ(item.contentType, ContentType::Image);
    EXPECT_EQ(item.preview, QStringLiteral("Image (12x7)"));
    EXPECT_TRUE(item.data.startsWith("\x89PNG"));
    EXPECT_EQ(logs.count(QStringLiteral("Captured image: Image (12x7)")), 1);

    copy({ { PasteboardType::png, pngBytes(12, 7, Qt::red) }, { QStringLiteral("image/bmp"), "ignored" } });
    EXPECT_EQ(entries().size(), 2) << "another image, PNG preferred";
    copy({ { PasteboardType::png, pngBytes(12, 7, Qt::red) } });
    EXPECT_EQ(entries().size(), 2);
    EXPECT_EQ(logs.count(QStringLiteral("Bumped duplicate image to top")), 1);
}

TEST_F(ClipboardManagerTest, undecodableImageBytesAreSkippedAndTextStillCounts)
{
    LogCapture logs;
    copy({ { PasteboardType::png, "not a png at all" }, { PasteboardType::string, "caption" } });
    EXPECT_EQ(previews(), QStringList { "caption" });
    EXPECT_TRUE(logs.containsPrefix(QStringLiteral("Skipped clipboard image of type image/png")));
}

TEST_F(ClipboardManagerTest, concealedContentIsSkippedOnlyWhileAskedTo)
{
    LogCapture logs;
    copy({ { PasteboardType::concealed, "" }, { PasteboardType::string, "hunter2" } });
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(manager->lastItemWasSensitive());
    EXPECT_EQ(sensitiveReports, QList<bool> { true });
    EXPECT_EQ(logs.count(QStringLiteral("Skipped sensitive clipboard item (ConcealedType)")), 1);

    copy(
        { { QStringLiteral("x-kde-passwordManagerHint"), "secret" }, { PasteboardType::string, "hunter3" } });
    EXPECT_TRUE(entries().isEmpty());

    copyText(QStringLiteral("ordinary"));
    EXPECT_FALSE(manager->lastItemWasSensitive());
    EXPECT_EQ(sensitiveReports, (QList<bool> { true, true, false }));

    manager->setSkipSensitiveItems(false);
    copy({ { PasteboardType::concealed, "" }, { PasteboardType::string, "hunter2" } });
    EXPECT_EQ(previews(), (QStringList { "hunter2", "ordinary" }));
    EXPECT_EQ(sensitiveReports.last(), false);

    // A hint that isn't "secret" marks nothing.
    manager->setSkipSensitiveItems(true);
    copy({ { QStringLiteral("x-kde-passwordManagerHint"), "other" }, { PasteboardType::string, "visible" } });
    EXPECT_EQ(previews().first(), QStringLiteral("visible"));
}

TEST_F(ClipboardManagerTest, unreadableTypeListSkipsOnlyTheTypeChecks)
{
    pasteboard.failNextFormatsRead();
    copy({ { PasteboardType::concealed, "" }, { PasteboardType::string, "read anyway" } });
    EXPECT_EQ(previews(), QStringList { "read anyway" });
}

TEST_F(ClipboardManagerTest, trimKeepsTheLimitOfUnpinnedEntriesAndEveryPin)
{
    for (int i = 0; i < 53; ++i)
        copyText(QStringLiteral("entry %1").arg(i));
    QList<ClipboardItem> items = entries();
    for (int i = 0; i < 3; ++i)
        store->setPinned(items[items.size() - 1 - i].id, true); // the three oldest
    ASSERT_TRUE(store->save());

    // Lowering the limit trims nothing until the next new entry.
    manager->setHistoryLimit(50);
    EXPECT_EQ(entries().size(), 53);
    copyText(QStringLiteral("entry 52")); // a duplicate bump does not trim either
    EXPECT_EQ(entries().size(), 53);

    copyText(QStringLiteral("new"));
    items = entries();
    const auto pinned
        = std::count_if(items.begin(), items.end(), [](const ClipboardItem &i) { return i.isPinned; });
    EXPECT_EQ(pinned, 3);
    EXPECT_EQ(items.size() - pinned, 50);
    EXPECT_FALSE(previews().contains(QStringLiteral("entry 3"))) << "the oldest unpinned entry goes";
    EXPECT_TRUE(previews().contains(QStringLiteral("entry 0"))) << "pinned entries stay";
    EXPECT_TRUE(previews().contains(QStringLiteral("new")));

    manager->setHistoryLimit(10);
    copyText(QStringLiteral("fresh"));
    EXPECT_EQ(entries().size(), 13);
}

TEST_F(ClipboardManagerTest, firstFailedSaveRollsBackStopsCaptureAndIsReportedOnce)
{
    LogCapture logs;
    manager->startPolling();
    copyText(QStringLiteral("saved"));
    store->failNextSave({ 5, QStringLiteral("disk full") });
    copyText(QStringLiteral("lost"));

    EXPECT_EQ(previews(), QStringList { "saved" });
    EXPECT_FALSE(store->hasChanges());
    EXPECT_FALSE(manager->isPolling());
    EXPECT_TRUE(manager->hasReportedPersistenceFailure());
    EXPECT_EQ(failures, QStringList { "disk full" });
    EXPECT_EQ(logs.count(QStringLiteral("ClipboardManager save failed: disk full")), 1);
    EXPECT_FALSE(logs.containsPrefix(QStringLiteral("Captured Text: lost")));

    copyText(QStringLiteral("ignored"));
    EXPECT_EQ(previews(), QStringList { "saved" });
    manager->startPolling();
    EXPECT_FALSE(manager->isPolling());
    EXPECT_EQ(logs.count(QStringLiteral("Skipped clipboard polling start after persistence failure")), 1);

    // Clear-all still runs; its failure is only logged and rolled back.
    store->failNextSave({ 6, QStringLiteral("still full") });
    manager->clearAll();
    EXPECT_EQ(previews(), QStringList { "saved" });
    EXPECT_EQ(failures.size(), 1);
    EXPECT_EQ(logs.count(QStringLiteral("ClipboardManager save failed: still full")), 1);
}

TEST_F(ClipboardManagerTest, failedLookupStoresNothing)
{
    store->failNextFetch({ 1, QStringLiteral("unreadable") });
    copyText(QStringLiteral("first"));
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(failures, QStringList { "unreadable" });
}

TEST_F(ClipboardManagerTest, failedTrimFetchDropsTheNewEntry)
{
    LogCapture logs;
    copyText(QStringLiteral("first"));
    // The lookup is the first fetch of a capture, the trim the second.
    store->failNextFetch({ 2, QStringLiteral("trim") }, 1);
    copy({ { PasteboardType::fileUrl, "file:///tmp/a" } });
    EXPECT_EQ(previews(), QStringList { "first" });
    EXPECT_FALSE(store->hasChanges());
    EXPECT_EQ(failures, QStringList { "trim" });
    EXPECT_EQ(logs.count(QStringLiteral("ClipboardManager fetch (prune) failed: trim")), 1);
}

TEST_F(ClipboardManagerTest, ownWriteIsNotCapturedEvenWithAnotherCopyInTheSameInterval)
{
    copyText(QStringLiteral("let value = compute(input);"));
    const ClipboardItem item = entries().first();
    clock.advance(1000);
    manager->copyToPasteboard(item);
    EXPECT_EQ(pasteboard.written().string, QStringLiteral("let value = compute(input);"));
    pasteboard.offerText(QStringLiteral("someone else"));
    poll();
    EXPECT_EQ(entries().size(), 1);
    EXPECT_EQ(sensitiveReports.last(), false);
    copyText(QStringLiteral("captured again"));
    EXPECT_EQ(entries().size(), 2);
}

TEST_F(ClipboardManagerTest, copyBackWritesEveryRepresentationOfItsType)
{
    const QByteArray rtf = "{\\rtf1 bold}";
    copy({ { PasteboardType::rtf, rtf }, { PasteboardType::html, "<b>bold</b>" },
        { PasteboardType::string, "bold" } });
    manager->copyToPasteboard(entries().first());
    poll(); // consumes the own write
    PasteboardContents written = pasteboard.written();
    EXPECT_EQ(written.data.value(PasteboardType::rtf), rtf);
    EXPECT_EQ(written.data.value(PasteboardType::html), QByteArray("<b>bold</b>"));
    EXPECT_EQ(written.string, QStringLiteral("bold"));

    copy({ { PasteboardType::fileUrl, "file:///tmp/My%20File.txt" } });
    manager->copyToPasteboard(entries().first());
    poll();
    written = pasteboard.written();
    ASSERT_EQ(written.fileUrls.size(), 1);
    EXPECT_EQ(written.fileUrls.first().toLocalFile(), QStringLiteral("/tmp/My File.txt"));
    EXPECT_FALSE(written.string.has_value());

    copy({ { PasteboardType::png, pngBytes(5, 4, Qt::red) } });
    manager->copyToPasteboard(entries().first());
    EXPECT_EQ(pasteboard.written().image.size(), QSize(5, 4));
}

TEST_F(ClipboardManagerTest, copyBackOfUnreadableContentLeavesThePasteboardEmpty)
{
    ClipboardItem broken
        = ClipboardItem::create(clock, ContentType::Image, "garbage", QStringLiteral("Image (1x1)"));
    ClipboardItem badText = ClipboardItem::create(clock, ContentType::Text, "\xff\xfe", QStringLiteral("?"));
    store->insert(broken);
    store->insert(badText);
    ASSERT_TRUE(store->save());
    pasteboard.offerText(QStringLiteral("old"));
    manager->copyToPasteboard(broken);
    EXPECT_TRUE(pasteboard.written().isEmpty());
    EXPECT_TRUE(pasteboard.formats().isEmpty());
    manager->copyToPasteboard(badText);
    EXPECT_TRUE(pasteboard.written().isEmpty());
}

TEST_F(ClipboardManagerTest, copyBackMovesTheEntryUpAndSavesAtOnce)
{
    LogCapture logs;
    copyText(QStringLiteral("older"));
    copyText(QStringLiteral("newer"));
    const ClipboardItem older = entries().last();
    clock.advance(5000);
    manager->copyToPasteboard(older);
    EXPECT_EQ(entries().first().id, older.id);
    EXPECT_EQ(entries().first().timestamp, clock.now());
    EXPECT_FALSE(store->hasChanges());
    EXPECT_EQ(logs.count(QStringLiteral("Copied item back to pasteboard: older")), 1);

    // A later failure's rollback doesn't undo it.
    store->insert(ClipboardItem::create(clock, ContentType::Text, "x", QStringLiteral("x")));
    manager->reportPersistenceFailure({ 1, QStringLiteral("boom") }, QStringLiteral("save"));
    EXPECT_EQ(entries().first().id, older.id);
    EXPECT_EQ(entries().size(), 2);
}

TEST_F(ClipboardManagerTest, failedCopyBackSaveIsReported)
{
    copyText(QStringLiteral("entry"));
    store->failNextSave({ 3, QStringLiteral("locked") });
    manager->copyToPasteboard(entries().first());
    EXPECT_EQ(pasteboard.written().string, QStringLiteral("entry"));
    EXPECT_EQ(failures, QStringList { "locked" });
}

TEST_F(ClipboardManagerTest, clearAllRemovesPinnedEntriesToo)
{
    LogCapture logs;
    copyText(QStringLiteral("a"));
    copyText(QStringLiteral("b"));
    store->setPinned(entries().first().id, true);
    ASSERT_TRUE(store->save());
    manager->clearAll();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(logs.count(QStringLiteral("Cleared all clipboard history")), 1);
}

TEST_F(ClipboardManagerTest, backfillHashesOnlyEntriesWithoutOne)
{
    LogCapture logs;
    copyText(QStringLiteral("hashed"));
    manager->backfillContentHashes();
    EXPECT_FALSE(logs.containsPrefix(QStringLiteral("Backfilled")));
    EXPECT_FALSE(store->hasChanges());

    ClipboardItem none = ClipboardItem::create(clock, ContentType::Text, "none", QStringLiteral("none"));
    none.contentHash.reset();
    ClipboardItem empty = ClipboardItem::create(clock, ContentType::RichText, "plain",
        QStringLiteral("plain"), std::nullopt, QByteArray("<p>plain</p>"));
    empty.contentHash = QString();
    store->insert(none);
    store->insert(empty);
    ASSERT_TRUE(store->save());

    manager->backfillContentHashes();
    EXPECT_EQ(logs.count(QStringLiteral("Backfilled content hashes for 2 items")), 1);
    EXPECT_TRUE(store->fetchMissingContentHash().value().isEmpty());
    EXPECT_EQ(store->fetchById(empty.id, ClipboardStore::Payload::Skip).value()->contentHash,
        computeContentHash({}, std::nullopt, QByteArray("<p>plain</p>")));

    // Copying the same text again now finds the back-filled entry.
    copyText(QStringLiteral("none"));
    EXPECT_EQ(entries().size(), 3);
}

TEST_F(ClipboardManagerTest, pollingRunsOnTheEventLoopUntilStopped)
{
    LogCapture logs;
    manager->startPolling();
    EXPECT_TRUE(manager->isPolling());
    manager->stopPolling();
    manager->stopPolling();
    EXPECT_FALSE(manager->isPolling());
    EXPECT_EQ(logs.count(QStringLiteral("Started clipboard polling")), 1);
    EXPECT_EQ(logs.count(QStringLiteral("Stopped clipboard polling")), 2);
}

// Where reading may block, it runs on the manager's thread: one change at a
// time, a poll meanwhile does nothing, and a copy-back during the read is still
// taken for the program's own write by the poll after it.
TEST_F(ClipboardManagerTest, offThreadReadsLandInOrderOneChangeAtATime)
{
    copyText(QStringLiteral("copied back later"));
    const ClipboardItem own = entries().first();
    pasteboard.holdReads();
    const auto settled = [this] { return waitFor([this] { return !manager->isCaptureInFlight(); }); };

    copyText(QStringLiteral("first"));
    ASSERT_TRUE(manager->isCaptureInFlight());
    pasteboard.offerText(QStringLiteral("second"));
    poll();
    manager->copyToPasteboard(own);
    poll();
    EXPECT_EQ(pasteboard.offThreadReadersMade(), 1);
    EXPECT_EQ(previews(), (QStringList { "copied back later" }));

    pasteboard.releaseReads();
    ASSERT_TRUE(settled());
    EXPECT_EQ(previews(), (QStringList { "first", "copied back later" }));
    poll(); // the change it sees is the program's own write, which hid "second"
    EXPECT_EQ(pasteboard.offThreadReadersMade(), 1);

    copyText(QStringLiteral("third"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(previews(), (QStringList { "third", "first", "copied back later" }));
    EXPECT_EQ(sensitiveReports.size(), 4);
}

TEST_F(ClipboardManagerTest, aChangeReadWhileCaptureStoppedIsDropped)
{
    pasteboard.holdReads();
    copyText(QStringLiteral("read while the store failed"));
    store->failNextSave(StoreError { 5, QStringLiteral("database is locked") });
    manager->saveContext(); // as a delete in the pane would
    pasteboard.releaseReads();
    ASSERT_TRUE(waitFor([this] { return !manager->isCaptureInFlight(); }));
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(failures.size(), 1);
}

} // namespace
