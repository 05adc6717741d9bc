#pragma once

#include "notes/notepreview.h"

class QPlainTextEdit;

// The preview to fall back on: the note's text as it stands, read-only, in the
// editor's font. Selecting and copying work; nothing can be changed.
class PlainNotePreviewView final : public NotePreview
{
    Q_OBJECT
public:
    explicit PlainNotePreviewView(NotesManager &vault, QWidget *parent = nullptr);

    static NotePreview *make(NotesManager &vault, QWidget *parent);
    QString shownText() const;

protected:
    void noteChanged() override;

private:
    QPlainTextEdit *m_text;
};
