#include "notes/noteeditorview.h"

#include "notes/debouncer.h"

#include <QFontDatabase>
#include <QScrollBar>

namespace {

constexpr int padding = 12;

} // namespace

NoteEditorView::NoteEditorView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("NoteEditorView"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    setFont(font);
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The panel's background shows through.
    setBackgroundVisible(false);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    document()->setDocumentMargin(padding);
    connect(this, &QPlainTextEdit::textChanged, this, &NoteEditorView::onTextChanged);
}

void NoteEditorView::setText(const QString &text)
{
    if (text == toPlainText())
        return;
    m_settingText = true;
    setPlainText(text);
    m_settingText = false;
}

void NoteEditorView::onTextChanged()
{
    if (m_settingText)
        return;
    Q_EMIT edited();
    if (!m_debouncer)
        return;
    // The save belongs to the callback of this moment: the pane may hand over
    // another one later, for another note.
    m_debouncer->schedule([save = onSave, text = toPlainText()] {
        if (save)
            save(text);
    });
}
