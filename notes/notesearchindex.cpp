#include "notes/notesearchindex.h"

#include <QHash>

NoteSearchIndex NoteSearchIndex::of(const QList<NoteFile> &notes)
{
    NoteSearchIndex index;
    QHash<QString, int> folders;
    for (const NoteFile &note : notes) {
        int folder = -1;
        if (note.folder) {
            folder = folders.value(*note.folder, int(index.m_folderNames.size()));
            if (folder == index.m_folderNames.size()) {
                folders.insert(*note.folder, folder);
                index.m_folderNames.append(*note.folder);
            }
        }
        index.append(noteSearchKey(note.name), folder);
    }
    return index;
}

void NoteSearchIndex::reserve(qsizetype notes, qsizetype characters)
{
    m_text.reserve(characters);
    m_starts.reserve(notes);
    m_folders.reserve(notes);
}

void NoteSearchIndex::append(QStringView searchKey, int folder)
{
    m_starts.append(m_text.size());
    m_text.append(searchKey);
    m_folders.append(folder);
}
