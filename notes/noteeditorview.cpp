#include "notes/noteeditorview.h"

#include "notes/debouncer.h"
#include "platform/qt/derivedpalette.h"

#include "ui/panelstyle.h"

#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int padding = 12;

} // namespace

NoteEditorView::NoteEditorView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("NoteEditorView"));
    styleAsNoteText(*this);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &NoteEditorView::onTextChanged);
}

void NoteEditorView::styleAsNoteText(QPlainTextEdit &edit)
{
    edit.setFont(PanelStyle::monospacedFont(12));
    edit.setFrameShape(QFrame::NoFrame);
    edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The panel's background shows through.
    edit.setBackgroundVisible(false);
    edit.viewport()->setAutoFillBackground(false);
    edit.setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    followLook(edit);
    edit.document()->setDocumentMargin(padding);
}

void NoteEditorView::setText(const QString &text)
{
    if (text == toPlainText())
        return;
    // A reload keeps the user's place: the cursor where it was (or at the new
    // end) and the scroll position.
    const int position = textCursor().position();
    const int scroll = verticalScrollBar()->value();
    m_settingText = true;
    setPlainText(text);
    m_settingText = false;
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::min(position, int(document()->characterCount() - 1)));
    setTextCursor(cursor);
    verticalScrollBar()->setValue(scroll);
}

void NoteEditorView::onTextChanged()
{
    if (m_settingText)
        return;
    Q_EMIT edited();
    armSave();
}

void NoteEditorView::armSave()
{
    if (!m_debouncer)
        return;
    // The save belongs to the callback of this moment: the pane may hand over
    // another one later, for another note.
    m_debouncer->schedule([save = onSave, text = toPlainText()] {
        if (save)
            save(text);
    });
}
