#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

// Pasteboard types, as MIME types. Readers see the aliases other programs offer
// under these names (application/rtf as rtf, x-special/gnome-copied-files as
// fileUrl), and a password manager's "x-kde-passwordManagerHint: secret" as concealed.
namespace PasteboardType {
inline const QString string = QStringLiteral("text/plain");
inline const QString rtf = QStringLiteral("text/rtf");
inline const QString html = QStringLiteral("text/html");
inline const QString png = QStringLiteral("image/png");
inline const QString fileUrl = QStringLiteral("text/uri-list");
// The marker password managers put on sensitive content.
inline const QString concealed = QStringLiteral("org.nspasteboard.ConcealedType");
} // namespace PasteboardType

// What a write puts on the pasteboard; everything written since the last clear.
struct PasteboardContents
{
    std::optional<QString> string;
    QMap<QString, QByteArray> data; // by type
    QImage image; // null when none
    QList<QUrl> fileUrls;

    bool isEmpty() const { return !string && data.isEmpty() && image.isNull() && fileUrls.isEmpty(); }
};

// What the clipboard holds, read through the current owner: the reading rules
// every reader shares (aliases folded, file URLs parsed, images decoded) over
// the raw formats a backend fetches. A reader is used on one thread at a time.
class PasteboardReader
{
public:
    virtual ~PasteboardReader() = default;

    // Asks a read in progress on another thread to give up its waits soon (the
    // program is closing); safe from any thread. Reads after it find nothing.
    virtual void cancel() { }

    // The types on offer, aliases folded (see PasteboardType); nullopt when the
    // owner's list can't be read.
    std::optional<QStringList> types();

    // The plain string as the owner's encoding decodes (invalid bytes become
    // U+FFFD); the text of the RTF when only RTF is offered; nullopt when neither.
    std::optional<QString> string();

    // The bytes offered for `type` (rtf also reads application/rtf); nullopt when absent.
    std::optional<QByteArray> data(const QString &type);

    // The file URLs on offer, in their order; other URLs are left out. Empty when none.
    QList<QUrl> fileUrls();

    // The first offered image that decodes (PNG first); nullopt when none does.
    // Undecodable image bytes are logged and skipped.
    std::optional<QImage> image();

protected:
    // The formats offered right now, as the backend names them; nullopt when unreadable.
    virtual std::optional<QStringList> readFormats() = 0;
    // The bytes of one offered format; nullopt when the owner gives none.
    virtual std::optional<QByteArray> readFormat(const QString &format) = 0;
    // The plain text, decoded from whichever text format the owner offers.
    virtual std::optional<QString> readText() = 0;
};

// The system clipboard (the CLIPBOARD selection, never PRIMARY). Main thread only.
//
// changeCount() moves on every change of the contents, this program's own writes
// included; reading it costs one member read, so a poll that finds no change
// touches nothing else. Reading through the pasteboard itself asks the current
// owner on this thread, which may take up to the platform's selection time-out
// when the owner doesn't answer; a backend asks at most once per change for the
// list of types and once per type for its bytes. Where asking can take that long,
// offThreadReader() gives a reader to use on another thread instead.
//
// Writing follows the clear-then-write pattern: clearContents() empties the
// clipboard and makes this program its owner; each write adds a representation
// to what was written since.
class Pasteboard : public QObject, public PasteboardReader
{
    Q_OBJECT
public:
    using QObject::QObject;

    int changeCount() const { return m_changeCount; }

    // A reader of the contents as they are when it first asks, for use on another
    // thread, each request bounded by a time-out; null when this pasteboard
    // answers at once, so that reading it here costs nothing worth a thread.
    virtual std::unique_ptr<PasteboardReader> offThreadReader() { return nullptr; }

    void clearContents();
    void setString(const QString &string);
    void setData(const QByteArray &data, const QString &type);
    void writeImage(const QImage &image);
    void writeFileUrls(const QList<QUrl> &urls);

Q_SIGNALS:
    void changed();

protected:
    // Backends call this for every change of the contents, their own writes included.
    void noteChange();

    // Replaces the whole contents with `contents` (empty: an empty clipboard we own).
    virtual void writeContents(const PasteboardContents &contents) = 0;

private:
    int m_changeCount = 0;
    PasteboardContents m_written;
};
