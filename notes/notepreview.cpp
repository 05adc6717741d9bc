#include "notes/notepreview.h"

#include "notes/notesmanager.h"

NotePreview::NotePreview(NotesManager &vault, QWidget *parent)
    : QWidget(parent)
    , m_vault(vault)
{
    // Wiki links and embeds resolve against the vault's lists.
    connect(&m_vault, &NotesManager::allFilesChanged, this, [this] { noteChanged(); });
    connect(&m_vault, &NotesManager::allMediaChanged, this, [this] { noteChanged(); });
}

void NotePreview::setNote(const QString &content, const QUrl &currentNoteURL)
{
    if (content == m_content && currentNoteURL == m_currentNoteURL)
        return;
    m_content = content;
    m_currentNoteURL = currentNoteURL;
    noteChanged();
}
