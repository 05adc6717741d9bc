#include "platform/pasteboard.h"

#include "platform/log.h"
#include "platform/rtftext.h"

#include <algorithm>

namespace {

const QString applicationRtf = QStringLiteral("application/rtf");
const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
const QString passwordManagerHint = QStringLiteral("x-kde-passwordManagerHint");

const Log &log()
{
    static const Log instance("Pasteboard");
    return instance;
}

QString canonicalType(const QString &format)
{
    if (format == applicationRtf)
        return PasteboardType::rtf;
    if (format == gnomeCopiedFiles)
        return PasteboardType::fileUrl;
    if (format.startsWith(PasteboardType::string + u';'))
        return PasteboardType::string;
    return format;
}

QList<QUrl> parseUriList(const QByteArray &bytes)
{
    QList<QUrl> urls;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line == "copy" || line == "cut")
            continue;
        const QUrl url = QUrl::fromEncoded(line);
        if (url.isValid() && url.isLocalFile())
            urls.append(url);
    }
    return urls;
}

} // namespace

void Pasteboard::noteChange()
{
    ++m_changeCount;
    Q_EMIT changed();
}

std::optional<QStringList> PasteboardReader::types()
{
    const std::optional<QStringList> formats = readFormats();
    if (!formats)
        return std::nullopt;
    QStringList types;
    for (const QString &format : *formats) {
        const QString type = canonicalType(format);
        if (!types.contains(type))
            types.append(type);
    }
    if (formats->contains(passwordManagerHint) && !types.contains(PasteboardType::concealed)) {
        if (readFormat(passwordManagerHint).value_or(QByteArray()).trimmed() == "secret")
            types.append(PasteboardType::concealed);
    }
    return types;
}

std::optional<QString> PasteboardReader::string()
{
    const QStringList formats = readFormats().value_or(QStringList());
    const bool hasString = std::any_of(formats.begin(), formats.end(),
        [](const QString &format) { return canonicalType(format) == PasteboardType::string; });
    if (hasString) {
        if (std::optional<QString> text = readText())
            return text;
    }
    if (std::optional<QByteArray> rtf = data(PasteboardType::rtf)) {
        const QString text = plainTextFromRtf(*rtf);
        if (!text.isEmpty())
            return text;
    }
    return std::nullopt;
}

std::optional<QByteArray> PasteboardReader::data(const QString &type)
{
    const QStringList formats = readFormats().value_or(QStringList());
    for (const QString &format : formats) {
        if (canonicalType(format) == type) {
            if (std::optional<QByteArray> bytes = readFormat(format))
                return bytes;
        }
    }
    return std::nullopt;
}

QList<QUrl> PasteboardReader::fileUrls()
{
    const QStringList formats = readFormats().value_or(QStringList());
    for (const QString &format : { PasteboardType::fileUrl, gnomeCopiedFiles }) {
        if (!formats.contains(format))
            continue;
        const QList<QUrl> urls = parseUriList(readFormat(format).value_or(QByteArray()));
        if (!urls.isEmpty())
            return urls;
    }
    return {};
}

std::optional<QImage> PasteboardReader::image()
{
    QStringList imageFormats;
    for (const QString &format : readFormats().value_or(QStringList())) {
        if (format.startsWith(QStringLiteral("image/")))
            imageFormats.append(format);
    }
    // PNG is lossless and what every program offers; try it first.
    std::stable_partition(imageFormats.begin(), imageFormats.end(),
        [](const QString &format) { return format == PasteboardType::png; });
    for (const QString &format : imageFormats) {
        const std::optional<QByteArray> bytes = readFormat(format);
        if (!bytes || bytes->isEmpty())
            continue;
        QImage image = QImage::fromData(*bytes);
        if (!image.isNull())
            return image;
        log().error(QStringLiteral("Skipped clipboard image of type %1 that does not decode").arg(format));
    }
    return std::nullopt;
}

void Pasteboard::clearContents()
{
    m_written = {};
    writeContents(m_written);
}

void Pasteboard::setString(const QString &string)
{
    m_written.string = string;
    writeContents(m_written);
}

void Pasteboard::setData(const QByteArray &data, const QString &type)
{
    m_written.data.insert(type, data);
    writeContents(m_written);
}

void Pasteboard::writeImage(const QImage &image)
{
    m_written.image = image;
    writeContents(m_written);
}

void Pasteboard::writeFileUrls(const QList<QUrl> &urls)
{
    m_written.fileUrls = urls;
    writeContents(m_written);
}
