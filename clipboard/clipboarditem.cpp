#include "clipboard/clipboarditem.h"

#include "clipboard/characters.h"
#include "platform/clock.h"

#include <QCryptographicHash>
#include <QImage>

ClipboardItem ClipboardItem::create(ContentType contentType, QByteArray data, QString preview,
    std::optional<QByteArray> rtfData, std::optional<QByteArray> htmlData)
{
    return create(Clock::system(), contentType, std::move(data), std::move(preview), std::move(rtfData),
        std::move(htmlData));
}

ClipboardItem ClipboardItem::create(const Clock &clock, ContentType contentType, QByteArray data,
    QString preview, std::optional<QByteArray> rtfData, std::optional<QByteArray> htmlData)
{
    ClipboardItem item = create(clock, contentType, std::move(data), std::move(preview), std::move(rtfData),
        std::move(htmlData), QString());
    item.contentHash = computeContentHash(item.data, item.rtfData, item.htmlData);
    return item;
}

ClipboardItem ClipboardItem::create(const Clock &clock, ContentType contentType, QByteArray data,
    QString preview, std::optional<QByteArray> rtfData, std::optional<QByteArray> htmlData,
    QString contentHash)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.timestamp = clock.now();
    item.contentType = contentType;
    item.data = std::move(data);
    item.rtfData = std::move(rtfData);
    item.htmlData = std::move(htmlData);
    item.preview = std::move(preview);
    item.isPinned = false;
    item.contentHash = std::move(contentHash);
    return item;
}

QString computeContentHash(const QByteArray &data, const std::optional<QByteArray> &rtfData,
    const std::optional<QByteArray> &htmlData)
{
    const QByteArray &chosen = rtfData ? *rtfData : htmlData ? *htmlData : data;
    return hexString(QCryptographicHash::hash(chosen, QCryptographicHash::Sha256));
}

QString hexString(const QByteArray &digest)
{
    return QString::fromLatin1(digest.toHex());
}

QString previewOfText(const QString &trimmedText)
{
    return firstCharacters(trimmedText, previewLength);
}

QString previewOfImage(const QImage &image)
{
    // Whole points, truncated toward zero: a 99.9 point side shows as 99.
    const QSizeF size = image.deviceIndependentSize();
    return QStringLiteral("Image (%1x%2)").arg(qint64(size.width())).arg(qint64(size.height()));
}
