#include "platform/qt/qtpasteboard.h"

#include "platform/x11/xcbselectionreader.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// A live owner answers in milliseconds, even with nothing; an empty answer that
// took this long is Qt giving up on an owner that stopped answering (its
// selection time-out is 5 s).
constexpr qint64 silentOwnerMs = 2000;

// Qt's own bookkeeping formats, never content.
bool isInternalFormat(const QString &format)
{
    return format == QLatin1String("TARGETS") || format == QLatin1String("MULTIPLE")
        || format == QLatin1String("TIMESTAMP") || format == QLatin1String("SAVE_TARGETS");
}

} // namespace

QtPasteboard::QtPasteboard(QClipboard &clipboard, QObject *parent)
    : Pasteboard(parent)
    , m_clipboard(clipboard)
{
    connect(&m_clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode != QClipboard::Clipboard)
            return;
        forgetReads();
        noteChange();
    });
}

std::unique_ptr<PasteboardReader> QtPasteboard::offThreadReader()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    return std::make_unique<XcbSelectionReader>();
}

void QtPasteboard::forgetReads()
{
    m_formats.reset();
    m_bytes.clear();
    m_text.reset();
    m_ownerSilent = false;
}

void QtPasteboard::noteAnswer(bool empty, const QElapsedTimer &asked)
{
    // Every later read of this change would wait out the time-out again.
    if (empty && asked.elapsed() >= silentOwnerMs)
        m_ownerSilent = true;
}

std::optional<QStringList> QtPasteboard::readFormats()
{
    if (!m_formats) {
        const QMimeData *mime = m_clipboard.mimeData(QClipboard::Clipboard);
        if (!mime) {
            m_formats = std::optional<QStringList>();
        } else {
            QStringList formats = mime->formats();
            formats.removeIf(isInternalFormat);
            m_formats = std::optional<QStringList>(formats);
        }
    }
    return *m_formats;
}

std::optional<QByteArray> QtPasteboard::readFormat(const QString &format)
{
    // Never ask for a format the owner didn't list: Qt would ask the owner for its
    // list again, and a silent owner would cost another time-out.
    if (!readFormats().value_or(QStringList()).contains(format))
        return std::nullopt;
    auto it = m_bytes.find(format);
    if (it == m_bytes.end()) {
        if (m_ownerSilent)
            return std::nullopt;
        const QMimeData *mime = m_clipboard.mimeData(QClipboard::Clipboard);
        std::optional<QByteArray> bytes;
        if (mime) {
            QElapsedTimer asked;
            asked.start();
            const QByteArray read = mime->data(format);
            noteAnswer(read.isEmpty(), asked);
            if (!read.isNull())
                bytes = read;
        }
        it = m_bytes.insert(format, bytes);
    }
    return *it;
}

std::optional<QString> QtPasteboard::readText()
{
    if (!m_text) {
        const QMimeData *mime = m_clipboard.mimeData(QClipboard::Clipboard);
        const QStringList formats = readFormats().value_or(QStringList());
        const bool offered = std::any_of(formats.begin(), formats.end(), [](const QString &format) {
            return format == PasteboardType::string || format.startsWith(PasteboardType::string + u';');
        });
        if (mime && offered && !m_ownerSilent) {
            QElapsedTimer asked;
            asked.start();
            m_text = std::optional<QString>(mime->text());
            noteAnswer(m_text->value().isEmpty(), asked);
        } else {
            m_text = std::optional<QString>();
        }
    }
    return *m_text;
}

void QtPasteboard::writeContents(const PasteboardContents &contents)
{
    auto *mime = new QMimeData;
    if (contents.string)
        mime->setText(*contents.string);
    for (auto it = contents.data.cbegin(); it != contents.data.cend(); ++it) {
        mime->setData(it.key(), it.value());
        if (it.key() == PasteboardType::rtf)
            mime->setData(QStringLiteral("application/rtf"), it.value()); // word processors read this one
    }
    if (!contents.image.isNull())
        mime->setImageData(contents.image); // Qt offers it as PNG and every format it can write
    if (!contents.fileUrls.isEmpty()) {
        mime->setUrls(contents.fileUrls);
        // File managers paste files from their own list, not from text/uri-list.
        QByteArray copied = "copy";
        for (const QUrl &url : contents.fileUrls)
            copied += '\n' + url.toEncoded();
        mime->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    }
    // An empty QMimeData, not clear(): we own an empty clipboard, and the change
    // is announced now rather than when the X server echoes a lost ownership.
    m_clipboard.setMimeData(mime, QClipboard::Clipboard);
}
