#pragma once

#include "notes/notefile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The vault's notes as the search filter sees them, in the order of the notes
// manager's list: each name's noteSearchKey and the note's top-level folder.
// The keys lie one after another in one block: over a large vault, names
// spread across the heap cost a keystroke more in cache misses than the
// comparing does, and a folder's number spares hashing its name per note.
class NoteSearchIndex
{
public:
    NoteSearchIndex() = default;
    // The top-level folders that the notes' folder numbers stand for.
    explicit NoteSearchIndex(QStringList folders)
        : m_folderNames(std::move(folders))
    { }

    // Folds every name: for lists that come without an index.
    static NoteSearchIndex of(const QList<NoteFile> &notes);

    void reserve(qsizetype notes, qsizetype characters);
    // `folder`: a position in folders(), or -1 at the vault's root.
    void append(QStringView searchKey, int folder);

    qsizetype size() const { return m_starts.size(); }
    QStringView searchKey(qsizetype note) const
    {
        const qsizetype start = m_starts[note];
        const qsizetype end = note + 1 < m_starts.size() ? m_starts[note + 1] : m_text.size();
        return QStringView(m_text).mid(start, end - start);
    }
    int folder(qsizetype note) const { return m_folders[note]; }
    const QStringList &folders() const { return m_folderNames; }

private:
    QString m_text;
    QList<qsizetype> m_starts;
    QList<int> m_folders;
    QStringList m_folderNames;
};
