#include "platform/fake/fakepasteboard.h"

#include <QBuffer>

#include <condition_variable>
#include <mutex>

struct FakePasteboard::Gate
{
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;

    void wait()
    {
        std::unique_lock lock(mutex);
        opened.wait(lock, [&] { return open; });
    }
    void release()
    {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        opened.notify_all();
    }
};

// The formats as they were when the reader was made.
class FakePasteboard::HeldReader final : public PasteboardReader
{
public:
    HeldReader(QMap<QString, QByteArray> formats, std::shared_ptr<Gate> gate)
        : m_formats(std::move(formats))
        , m_gate(std::move(gate))
    { }

    // Nothing is left to wait for once the program closes.
    void cancel() override { m_gate->release(); }

protected:
    std::optional<QStringList> readFormats() override
    {
        m_gate->wait();
        return m_formats.keys();
    }
    std::optional<QByteArray> readFormat(const QString &format) override
    {
        const auto it = m_formats.constFind(format);
        return it == m_formats.cend() ? std::nullopt : std::optional<QByteArray>(*it);
    }
    std::optional<QString> readText() override
    {
        const std::optional<QByteArray> bytes = readFormat(PasteboardType::string);
        return bytes ? std::optional<QString>(QString::fromUtf8(*bytes)) : std::nullopt;
    }

private:
    QMap<QString, QByteArray> m_formats;
    std::shared_ptr<Gate> m_gate;
};

void FakePasteboard::holdReads()
{
    m_gate = std::make_shared<Gate>();
}

void FakePasteboard::releaseReads()
{
    if (m_gate)
        m_gate->release();
}

std::unique_ptr<PasteboardReader> FakePasteboard::offThreadReader()
{
    if (!m_gate)
        return nullptr;
    ++m_readersMade;
    return std::make_unique<HeldReader>(m_formats, m_gate);
}

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
