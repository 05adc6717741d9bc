#include "platform/fake/fakepasteboard.h"

#include <QBuffer>

void FakePasteboard::offer(const QMap<QString, QByteArray> &formats)
{
    m_formats = formats;
    noteChange();
}

std::optional<QStringList> FakePasteboard::readFormats()
{
    ++m_formatReads;
    if (std::exchange(m_failNextFormatsRead, false))
        return std::nullopt;
    return m_formats.keys();
}

std::optional<QByteArray> FakePasteboard::readFormat(const QString &format)
{
    ++m_dataReads;
    const auto it = m_formats.constFind(format);
    if (it == m_formats.cend())
        return std::nullopt;
    return *it;
}

std::optional<QString> FakePasteboard::readText()
{
    const std::optional<QByteArray> bytes = readFormat(PasteboardType::string);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

void FakePasteboard::writeContents(const PasteboardContents &contents)
{
    m_written = contents;
    m_formats.clear();
    if (contents.string)
        m_formats.insert(PasteboardType::string, contents.string->toUtf8());
    for (auto it = contents.data.cbegin(); it != contents.data.cend(); ++it)
        m_formats.insert(it.key(), it.value());
    if (!contents.image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        contents.image.save(&buffer, "PNG");
        m_formats.insert(PasteboardType::png, png);
    }
    if (!contents.fileUrls.isEmpty()) {
        QByteArray list;
        for (const QUrl &url : contents.fileUrls)
            list += url.toEncoded() + "\r\n";
        m_formats.insert(PasteboardType::fileUrl, list);
    }
    noteChange();
}
