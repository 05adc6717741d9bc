#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

// One Markdown note of the vault, a plain value. `id` is always `url`: the note's
// identity in lists and selections. Equal only when every field is equal.
struct NoteFile
{
    QUrl id;
    QString name; // file name without its extension
    QUrl url; // the note's file URL, standardised
    std::optional<QString> folder; // top-level folder under the vault; none at the vault root
    QDateTime modifiedDate; // the distant past when it can't be read

    friend bool operator==(const NoteFile &, const NoteFile &) = default;

    // The date of a note whose file can't be read: before every real date,
    // so such notes sort last.
    static QDateTime distantPast() { return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC); }
};

// The form of a note's name that the search filter compares: small letters,
// one spelling per character, so composed and decomposed names match alike.
// Vault scans make it once per name; a search only compares.
QString noteSearchKey(const QString &name);
