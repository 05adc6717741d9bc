#include "clipboard/clipboardmanager.h"

#include "clipboard/characters.h"
#include "platform/clock.h"
#include "platform/pasteboard.h"

#include <QBuffer>
#include <QImage>
#include <QStringDecoder>
#include <QUrl>

namespace {

constexpr int pollIntervalMs = 500;

// A new entry this large is written by the worker thread: storing tens of
// megabytes takes SQLite a good part of a second.
constexpr qsizetype largePayloadBytes = 1024 * 1024;

qsizetype payloadSize(const ClipboardItem &item)
{
    return item.data.size() + (item.rtfData ? item.rtfData->size() : 0)
        + (item.htmlData ? item.htmlData->size() : 0);
}

// Strict: bytes that aren't UTF-8 are no text to write back.
std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QByteArray pngBytes(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

// The name of the file or folder a URL points at; a folder's trailing slash is not a name.
QString lastPathComponent(const QUrl &url)
{
    QString path = url.path();
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 || path.size() == 1 ? path : path.mid(slash + 1);
}

} // namespace

ClipboardManager::ClipboardManager(
    ClipboardStore &store, Pasteboard &pasteboard, int historyLimit, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_pasteboard(pasteboard)
    , m_clock(clock)
    , m_lastChangeCount(pasteboard.changeCount())
    , m_historyLimit(historyLimit)
{
    m_timer.setInterval(pollIntervalMs);
    // A coarse timer may fire a little early or late so that wake-ups coalesce;
    // the poll doesn't care about a few tens of milliseconds.
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardManager::checkPasteboard);
    m_worker.setMaxThreadCount(1);
}

ClipboardManager::ClipboardManager(
    ClipboardStore &store, Pasteboard &pasteboard, int historyLimit, QObject *parent)
    : ClipboardManager(store, pasteboard, historyLimit, Clock::system(), parent)
{ }

ClipboardManager::~ClipboardManager()
{
    // The worker refers to nothing of the manager's but its own reader and writer;
    // what it posts back dies with the manager.
    if (m_reader)
        m_reader->cancel();
    m_worker.waitForDone();
}

void ClipboardManager::setHistoryLimit(int limit)
{
    if (limit == m_historyLimit)
        return;
    m_historyLimit = limit;
    Q_EMIT historyLimitChanged(limit);
}

void ClipboardManager::startPolling()
{
    if (m_hasReportedPersistenceFailure) {
        m_log.error(QStringLiteral("Skipped clipboard polling start after persistence failure"));
        return;
    }
    m_timer.start();
    m_log.info(QStringLiteral("Started clipboard polling"));
}

void ClipboardManager::stopPolling()
{
    m_timer.stop();
    m_log.info(QStringLiteral("Stopped clipboard polling"));
}

void ClipboardManager::setSensitive(bool sensitive)
{
    m_lastItemWasSensitive = sensitive;
    if (onSensitiveStateChanged)
        onSensitiveStateChanged(sensitive);
}

void ClipboardManager::checkPasteboard()
{
    if (m_hasReportedPersistenceFailure)
        return;
    // The change in hand is finished first; whatever changed meanwhile is seen then.
    if (m_captureInFlight)
        return;
    const int changeCount = m_pasteboard.changeCount();
    if (changeCount == m_lastChangeCount)
        return;
    // Only the state at this moment is seen: copies between two polls count as one.
    m_lastChangeCount = changeCount;

    if (m_selfCopyFlag) {
        m_selfCopyFlag = false;
        setSensitive(false);
        return;
    }

    if (std::shared_ptr<PasteboardReader> reader = m_pasteboard.offThreadReader()) {
        readOffThread(std::move(reader));
        return;
    }
    applyCapture(readCapture(m_pasteboard, m_skipSensitiveItems));
}

void ClipboardManager::readOffThread(std::shared_ptr<PasteboardReader> reader)
{
    m_captureInFlight = true;
    m_reader = reader;
    m_worker.start([this, reader, skip = m_skipSensitiveItems] {
        Capture capture = readCapture(*reader, skip);
        QMetaObject::invokeMethod(
            this,
            [this, capture = std::move(capture)]() mutable {
                m_reader.reset();
                applyCapture(std::move(capture));
            },
            Qt::QueuedConnection);
    });
}

void ClipboardManager::finishCapture()
{
    m_captureInFlight = false;
}

ClipboardManager::Capture ClipboardManager::readCapture(PasteboardReader &reader, bool skipSensitiveItems)
{
    Capture capture;
    const std::optional<QStringList> types = reader.types();
    if (types && types->contains(PasteboardType::concealed) && skipSensitiveItems) {
        capture.kind = Capture::Kind::Sensitive;
        return capture;
    }
    const QList<QUrl> urls = reader.fileUrls();
    if (!urls.isEmpty()) {
        capture.kind = Capture::Kind::Files;
        for (const QUrl &url : urls) {
            const QByteArray data = url.toEncoded();
            capture.files.append(
                { data, computeContentHash(data, std::nullopt, std::nullopt), lastPathComponent(url) });
        }
        return capture;
    }
    if (types && (types->contains(PasteboardType::rtf) || types->contains(PasteboardType::html))) {
        // Without a plain string the content may still be an image: a browser's
        // "Copy Image" offers HTML beside the PNG.
        if (std::optional<Capture> rich = readRichText(reader))
            return *rich;
    }
    if (const std::optional<QImage> image = reader.image())
        return readImage(*image).value_or(capture);
    if (const std::optional<QString> string = reader.string())
        return readText(*string).value_or(capture);
    return capture;
}

std::optional<ClipboardManager::Capture> ClipboardManager::readRichText(PasteboardReader &reader)
{
    const std::optional<QString> string = reader.string();
    if (!string)
        return std::nullopt;
    const QString trimmed = string->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    Capture capture;
    capture.kind = Capture::Kind::Entry;
    const QByteArray data = trimmed.toUtf8();
    const std::optional<QByteArray> rtf = reader.data(PasteboardType::rtf);
    const std::optional<QByteArray> html = reader.data(PasteboardType::html);
    capture.hash = computeContentHash(data, rtf, html);
    capture.entry = { ContentType::RichText, data, previewOfText(trimmed), rtf, html };
    capture.duplicateMessage = QStringLiteral("Bumped duplicate rich text to top");
    capture.capturedMessage
        = QStringLiteral("Captured rich text: %1").arg(firstCharacters(capture.entry.preview, 50));
    return capture;
}

std::optional<ClipboardManager::Capture> ClipboardManager::readImage(const QImage &image)
{
    const QByteArray png = pngBytes(image);
    if (png.isEmpty()) {
        Log("ClipboardManager").error(QStringLiteral("Failed to convert image to PNG"));
        return std::nullopt;
    }
    Capture capture;
    capture.kind = Capture::Kind::Entry;
    capture.hash = computeContentHash(png, std::nullopt, std::nullopt);
    capture.entry = { ContentType::Image, png, previewOfImage(image), std::nullopt, std::nullopt };
    capture.duplicateMessage = QStringLiteral("Bumped duplicate image to top");
    capture.capturedMessage = QStringLiteral("Captured image: %1").arg(capture.entry.preview);
    return capture;
}

std::optional<ClipboardManager::Capture> ClipboardManager::readText(const QString &string)
{
    const QString trimmed = string.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QByteArray data = trimmed.toUtf8();
    // Every text without bytes would hash alike and bump one another.
    if (data.isEmpty()) {
        Log("ClipboardManager").debug(QStringLiteral("Skipped clipboard text without UTF-8 bytes"));
        return std::nullopt;
    }
    Capture capture;
    capture.kind = Capture::Kind::Entry;
    capture.hash = computeContentHash(data, std::nullopt, std::nullopt);
    // Classified here, duplicate or not: the code test of a long text is work for
    // the reading thread, and its answer only matters to a new entry.
    capture.entry = { classifyText(trimmed), data, previewOfText(trimmed), std::nullopt, std::nullopt };
    capture.duplicateMessage = QStringLiteral("Bumped duplicate text to top");
    capture.capturedMessage
        = QStringLiteral("Captured %1: %2")
              .arg(capture.entry.contentType == ContentType::Code ? QStringLiteral("Code")
                                                                  : QStringLiteral("Text"),
                  firstCharacters(capture.entry.preview, 50));
    return capture;
}

void ClipboardManager::applyCapture(Capture capture)
{
    // Capture stopped while the change was read: nothing more is stored.
    if (m_hasReportedPersistenceFailure) {
        finishCapture();
        return;
    }
    switch (capture.kind) {
    case Capture::Kind::Sensitive:
        setSensitive(true);
        m_log.debug(QStringLiteral("Skipped sensitive clipboard item (ConcealedType)"));
        break;
    case Capture::Kind::Nothing:
        setSensitive(false);
        break;
    case Capture::Kind::Files:
        setSensitive(false);
        captureFiles(capture.files);
        break;
    case Capture::Kind::Entry:
        setSensitive(false);
        storeEntry(std::move(capture));
        return; // a large entry finishes once it is written
    }
    finishCapture();
}

void ClipboardManager::storeEntry(Capture capture)
{
    if (const std::optional<ClipboardItem> existing = findItemByHash(capture.hash)) {
        m_store.setTimestamp(existing->id, m_clock.now());
        if (saveContext())
            m_log.debug(capture.duplicateMessage);
        finishCapture();
        return;
    }
    if (m_hasReportedPersistenceFailure) {
        finishCapture();
        return;
    }
    NewEntry &entry = capture.entry;
    ClipboardItem item = ClipboardItem::create(m_clock, entry.contentType, std::move(entry.data),
        std::move(entry.preview), std::move(entry.rtfData), std::move(entry.htmlData), capture.hash);
    // Only a change read off the main thread is in flight by the time it is stored.
    if (m_captureInFlight && payloadSize(item) >= largePayloadBytes) {
        storeOffThread(std::move(item), capture.capturedMessage);
        return;
    }
    m_store.insert(item);
    if (pruneHistory() && saveContext())
        m_log.debug(capture.capturedMessage);
    finishCapture();
}

void ClipboardManager::storeOffThread(ClipboardItem item, QString capturedMessage)
{
    const QString path = m_store.path();
    m_worker.start([this, writer = m_writer, path, item = std::move(item), keep = m_historyLimit,
                       capturedMessage = std::move(capturedMessage)]() mutable {
        StoreError openError;
        if (!writer)
            writer = ClipboardStoreWriter::open(path, &openError);
        std::optional<ClipboardStoreWriter::Result> result;
        if (writer)
            result = writer->insertAndTrim(item, keep);
        else
            result = ClipboardStoreWriter::Result { {}, openError, QStringLiteral("save") };
        QMetaObject::invokeMethod(
            this,
            [this, writer, item = std::move(item), result = std::move(*result),
                capturedMessage = std::move(capturedMessage)] {
                m_writer = writer;
                if (result.error) {
                    reportPersistenceFailure(*result.error, result.operation);
                } else {
                    m_store.noteWrittenElsewhere(item, result.trimmed);
                    m_log.debug(capturedMessage);
                }
                finishCapture();
            },
            Qt::QueuedConnection);
    });
}

void ClipboardManager::captureFiles(const QList<FileEntry> &files)
{
    bool inserted = false;
    for (const FileEntry &file : files) {
        if (const std::optional<ClipboardItem> existing = findItemByHash(file.hash)) {
            m_store.setTimestamp(existing->id, m_clock.now());
            m_log.debug(QStringLiteral("Bumped duplicate file to top: %1").arg(file.name));
            continue;
        }
        if (m_hasReportedPersistenceFailure)
            return;
        m_store.insert(ClipboardItem::create(
            m_clock, ContentType::File, file.data, file.name, std::nullopt, std::nullopt, file.hash));
        inserted = true;
    }
    if (inserted && !pruneHistory())
        return;
    if (!saveContext())
        return;
    m_log.debug(QStringLiteral("Processed %1 file URL(s)").arg(files.size()));
}

std::optional<ClipboardItem> ClipboardManager::findItemByHash(const QString &hash)
{
    StoreResult<std::optional<ClipboardItem>> result = m_store.fetchByContentHash(hash);
    if (!result.ok()) {
        reportPersistenceFailure(result.error(), QStringLiteral("fetch (dedup lookup)"));
        return std::nullopt;
    }
    return result.value();
}

bool ClipboardManager::pruneHistory()
{
    // Pinned entries are neither counted nor deleted.
    StoreResult<QList<QUuid>> excess = m_store.fetchUnpinnedBeyond(m_historyLimit);
    if (!excess.ok()) {
        reportPersistenceFailure(excess.error(), QStringLiteral("fetch (prune)"));
        return false;
    }
    for (const QUuid &id : excess.value())
        m_store.remove(id);
    return true;
}

bool ClipboardManager::saveContext()
{
    if (m_store.save())
        return true;
    reportPersistenceFailure(m_store.lastError(), QStringLiteral("save"));
    return false;
}

void ClipboardManager::reportPersistenceFailure(const StoreError &error, const QString &operation)
{
    m_log.error(QStringLiteral("ClipboardManager %1 failed: %2").arg(operation, error.description));
    if (m_store.hasChanges())
        m_store.rollback();
    if (m_hasReportedPersistenceFailure)
        return;
    m_hasReportedPersistenceFailure = true;
    stopPolling();
    if (onPersistenceFailure)
        onPersistenceFailure(error);
}

void ClipboardManager::copyToPasteboard(const ClipboardItem &item)
{
    if (item.hasPayload)
        writeToPasteboard(item);
    else
        copyToPasteboard(item.id);
}

bool ClipboardManager::copyToPasteboard(const QUuid &id)
{
    StoreResult<std::optional<ClipboardItem>> loaded = m_store.fetchById(id, ClipboardStore::Payload::Load);
    if (!loaded.ok()) {
        reportPersistenceFailure(loaded.error(), QStringLiteral("fetch (copy back)"));
        return false;
    }
    if (!loaded.value())
        return false; // deleted meanwhile: there is nothing left to copy
    writeToPasteboard(*loaded.value());
    return true;
}

void ClipboardManager::writeToPasteboard(const ClipboardItem &entry)
{
    m_selfCopyFlag = true;
    m_pasteboard.clearContents();
    switch (entry.contentType) {
    case ContentType::Text:
    case ContentType::Code:
        if (const std::optional<QString> text = decodeUtf8(entry.data))
            m_pasteboard.setString(*text);
        break;
    case ContentType::RichText:
        if (entry.rtfData)
            m_pasteboard.setData(*entry.rtfData, PasteboardType::rtf);
        if (entry.htmlData)
            m_pasteboard.setData(*entry.htmlData, PasteboardType::html);
        if (const std::optional<QString> text = decodeUtf8(entry.data))
            m_pasteboard.setString(*text);
        break;
    case ContentType::Image: {
        const QImage image = QImage::fromData(entry.data);
        if (!image.isNull())
            m_pasteboard.writeImage(image);
        break;
    }
    case ContentType::File:
        if (const std::optional<QString> text = decodeUtf8(entry.data)) {
            const QUrl url(*text, QUrl::StrictMode);
            if (url.isValid() && !text->isEmpty())
                m_pasteboard.writeFileUrls({ url });
        }
        break;
    }

    // Saved at once: a later rollback (another operation's failure) must not
    // send the entry the user just used back down the list.
    m_store.setTimestamp(entry.id, m_clock.now());
    saveContext();
    m_log.debug(QStringLiteral("Copied item back to pasteboard: %1").arg(firstCharacters(entry.preview, 30)));
}

void ClipboardManager::clearAll()
{
    StoreResult<QList<ClipboardItem>> all = m_store.fetchAll();
    if (!all.ok()) {
        reportPersistenceFailure(all.error(), QStringLiteral("fetch (clear all)"));
        return;
    }
    for (const ClipboardItem &item : all.value())
        m_store.remove(item.id);
    if (!saveContext())
        return;
    m_log.info(QStringLiteral("Cleared all clipboard history"));
}

void ClipboardManager::backfillContentHashes()
{
    StoreResult<QList<ClipboardItem>> missing = m_store.fetchMissingContentHash();
    if (!missing.ok()) {
        reportPersistenceFailure(missing.error(), QStringLiteral("fetch (backfill)"));
        return;
    }
    if (missing.value().isEmpty())
        return;
    for (const ClipboardItem &item : missing.value()) {
        // One payload at a time: a history of large images never sits in memory at once.
        StoreResult<std::optional<ClipboardItem>> full
            = m_store.fetchById(item.id, ClipboardStore::Payload::Load);
        if (!full.ok()) {
            reportPersistenceFailure(full.error(), QStringLiteral("fetch (backfill)"));
            return;
        }
        if (const std::optional<ClipboardItem> &entry = full.value())
            m_store.setContentHash(
                entry->id, computeContentHash(entry->data, entry->rtfData, entry->htmlData));
    }
    if (!saveContext())
        return;
    m_log.info(QStringLiteral("Backfilled content hashes for %1 items").arg(missing.value().size()));
}
