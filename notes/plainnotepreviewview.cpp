#include "notes/plainnotepreviewview.h"

#include "notes/noteeditorview.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

PlainNotePreviewView::PlainNotePreviewView(NotesManager &vault, QWidget *parent)
    : NotePreview(vault, parent)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("NotePreviewView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    NoteEditorView::styleAsNoteText(*m_text);
}

NotePreview *PlainNotePreviewView::make(NotesManager &vault, QWidget *parent)
{
    return new PlainNotePreviewView(vault, parent);
}

QString PlainNotePreviewView::shownText() const
{
    return m_text->toPlainText();
}

void PlainNotePreviewView::noteChanged()
{
    if (m_text->toPlainText() != content())
        m_text->setPlainText(content());
}
