#pragma once

#include "clipboard/contenttype.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

class Clock;
class QImage;

// One entry of the clipboard history, as a value. The store owns the stored
// entry; a copy is what a fetch saw. Entries are the same entry when their ids
// are equal, whatever their fields say.
//
// What the fields hold by content type:
//   text, code  data = UTF-8 of the trimmed text; preview = its first 200 characters
//   richText    data = UTF-8 of the trimmed plain string; rtfData/htmlData as copied
//   image       data = PNG bytes; preview = "Image (WxH)" in whole points
//   file        data = UTF-8 of the file URL; preview = the file name
struct ClipboardItem
{
    QUuid id;
    QDateTime timestamp; // the entry's place in the history: every list orders by it
    ContentType contentType = ContentType::Text;
    QByteArray data;
    std::optional<QByteArray> rtfData;
    std::optional<QByteArray> htmlData;
    QString preview;
    std::optional<QString> contentHash; // set for every entry this program makes
    bool isPinned = false; // pinned entries are never trimmed

    // False when the entry was fetched without data, rtfData and htmlData (lists
    // leave them in the store); ClipboardStore::fetchById(id, Payload::Load) brings them.
    bool hasPayload = true;

    // A new entry, not yet in any store: a fresh id, the clock's time, unpinned,
    // and the content hash of the three data values.
    static ClipboardItem create(ContentType contentType, QByteArray data, QString preview,
        std::optional<QByteArray> rtfData = std::nullopt, std::optional<QByteArray> htmlData = std::nullopt);
    static ClipboardItem create(const Clock &clock, ContentType contentType, QByteArray data, QString preview,
        std::optional<QByteArray> rtfData = std::nullopt, std::optional<QByteArray> htmlData = std::nullopt);

    // The same, given the content hash the caller already computed from these
    // values, so that a large payload is hashed once per capture.
    static ClipboardItem create(const Clock &clock, ContentType contentType, QByteArray data, QString preview,
        std::optional<QByteArray> rtfData, std::optional<QByteArray> htmlData, QString contentHash);

    bool isValid() const { return !id.isNull(); }

    friend bool operator==(const ClipboardItem &a, const ClipboardItem &b) { return a.id == b.id; }
};

// The content hash that recognises a repeated copy: SHA-256 of the RTF when there
// is RTF, else of the HTML when there is HTML, else of the data (empty included),
// as 64 lowercase hexadecimal digits. Only one of the three is hashed, so a rich
// text entry is known by its RTF alone.
QString computeContentHash(const QByteArray &data, const std::optional<QByteArray> &rtfData,
    const std::optional<QByteArray> &htmlData);

// A digest as lowercase hexadecimal, two digits a byte, no separators.
QString hexString(const QByteArray &digest);

// The preview of a text: its first 200 characters.
constexpr int previewLength = 200;
QString previewOfText(const QString &trimmedText);

// The preview of an image: "Image (WxH)", its size in points truncated to whole numbers.
QString previewOfImage(const QImage &image);
