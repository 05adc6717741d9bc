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
}

ClipboardManager::ClipboardManager(
    ClipboardStore &store, Pasteboard &pasteboard, int historyLimit, QObject *parent)
    : ClipboardManager(store, pasteboard, historyLimit, Clock::system(), parent)
{ }

ClipboardManager::~ClipboardManager() = default;

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

    const std::optional<QStringList> types = m_pasteboard.types();
    if (types && types->contains(PasteboardType::concealed) && m_skipSensitiveItems) {
        setSensitive(true);
        m_log.debug(QStringLiteral("Skipped sensitive clipboard item (ConcealedType)"));
        return;
    }
    setSensitive(false);

    const QList<QUrl> urls = m_pasteboard.fileUrls();
    if (!urls.isEmpty()) {
        captureFiles(urls);
        return;
    }
    if (types && (types->contains(PasteboardType::rtf) || types->contains(PasteboardType::html))) {
        // Without a plain string the content may still be an image: a browser's
        // "Copy Image" offers HTML beside the PNG.
        if (captureRichText())
            return;
    }
    if (const std::optional<QImage> image = m_pasteboard.image()) {
        captureImage(*image);
        return;
    }
    if (const std::optional<QString> string = m_pasteboard.string())
        captureText(*string);
}

bool ClipboardManager::captureRichText()
{
    const std::optional<QString> string = m_pasteboard.string();
    if (!string)
        return false;
    const QString trimmed = string->trimmed();
    if (trimmed.isEmpty())
        return false;
    const QByteArray data = trimmed.toUtf8();
    const std::optional<QByteArray> rtf = m_pasteboard.data(PasteboardType::rtf);
    const std::optional<QByteArray> html = m_pasteboard.data(PasteboardType::html);
    storeEntry(
        computeContentHash(data, rtf, html),
        [&] {
            return NewEntry { ContentType::RichText, data, previewOfText(trimmed), rtf, html };
        },
        QStringLiteral("Bumped duplicate rich text to top"),
        [](const ClipboardItem &item) {
            return QStringLiteral("Captured rich text: %1").arg(firstCharacters(item.preview, 50));
        });
    return true;
}

void ClipboardManager::captureImage(const QImage &image)
{
    const QByteArray png = pngBytes(image);
    if (png.isEmpty()) {
        m_log.error(QStringLiteral("Failed to convert image to PNG"));
        return;
    }
    storeEntry(
        computeContentHash(png, std::nullopt, std::nullopt),
        [&] {
            return NewEntry { ContentType::Image, png, previewOfImage(image), std::nullopt, std::nullopt };
        },
        QStringLiteral("Bumped duplicate image to top"),
        [](const ClipboardItem &item) { return QStringLiteral("Captured image: %1").arg(item.preview); });
}

void ClipboardManager::captureText(const QString &string)
{
    const QString trimmed = string.trimmed();
    if (trimmed.isEmpty())
        return;
    const QByteArray data = trimmed.toUtf8();
    // Every text without bytes would hash alike and bump one another.
    if (data.isEmpty()) {
        m_log.debug(QStringLiteral("Skipped clipboard text without UTF-8 bytes"));
        return;
    }
    storeEntry(
        computeContentHash(data, std::nullopt, std::nullopt),
        [&] {
            return NewEntry { classifyText(trimmed), data, previewOfText(trimmed), std::nullopt,
                std::nullopt };
        },
        QStringLiteral("Bumped duplicate text to top"),
        [](const ClipboardItem &item) {
            return QStringLiteral("Captured %1: %2")
                .arg(item.contentType == ContentType::Code ? QStringLiteral("Code") : QStringLiteral("Text"),
                    firstCharacters(item.preview, 50));
        });
}

void ClipboardManager::storeEntry(const QString &hash, const std::function<NewEntry()> &makeEntry,
    const QString &duplicateMessage, const std::function<QString(const ClipboardItem &)> &capturedMessage)
{
    if (const std::optional<ClipboardItem> existing = findItemByHash(hash)) {
        m_store.setTimestamp(existing->id, m_clock.now());
        if (saveContext())
            m_log.debug(duplicateMessage);
        return;
    }
    if (m_hasReportedPersistenceFailure)
        return;
    NewEntry entry = makeEntry();
    const ClipboardItem item = ClipboardItem::create(m_clock, entry.contentType, std::move(entry.data),
        std::move(entry.preview), std::move(entry.rtfData), std::move(entry.htmlData), hash);
    m_store.insert(item);
    if (!pruneHistory())
        return;
    if (saveContext())
        m_log.debug(capturedMessage(item));
}

void ClipboardManager::captureFiles(const QList<QUrl> &urls)
{
    bool inserted = false;
    for (const QUrl &url : urls) {
        const QByteArray data = url.toEncoded();
        const QString hash = computeContentHash(data, std::nullopt, std::nullopt);
        if (const std::optional<ClipboardItem> existing = findItemByHash(hash)) {
            m_store.setTimestamp(existing->id, m_clock.now());
            m_log.debug(QStringLiteral("Bumped duplicate file to top: %1").arg(lastPathComponent(url)));
            continue;
        }
        if (m_hasReportedPersistenceFailure)
            return;
        m_store.insert(ClipboardItem::create(
            m_clock, ContentType::File, data, lastPathComponent(url), std::nullopt, std::nullopt, hash));
        inserted = true;
    }
    if (inserted && !pruneHistory())
        return;
    if (!saveContext())
        return;
    m_log.debug(QStringLiteral("Processed %1 file URL(s)").arg(urls.size()));
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
