#pragma once

#include <QPlainTextEdit>
#include <QString>

#include <functional>

class Debouncer;

// The plain-text editor of the open note's Markdown source, monospaced, on the
// panel's own background. Each change the user makes schedules one save of the
// whole text on the debouncer, so a burst of typing is written once, a pause
// after its last key. Text the program puts in (a load, a reload) schedules
// nothing by itself; the pane arms a save after a reload with armSave().
//
// Tab moves the focus instead of inserting a tab (the panel's key router owns
// it). Main thread only.
class NoteEditorView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit NoteEditorView(QWidget *parent = nullptr);

    // The debouncer saves are scheduled on; it outlives the editor, or is
    // replaced before it goes. None: edits schedule nothing.
    void setDebouncer(Debouncer *debouncer) { m_debouncer = debouncer; }
    // Called with the text of the last change when the debouncer runs or is flushed.
    std::function<void(const QString &text)> onSave;

    // Puts `text` in as the program's own change: no save is scheduled.
    void setText(const QString &text);
    // Schedules a save of the text as it stands, as an edit would.
    void armSave();
    QString text() const { return toPlainText(); }

    // The look of a note's source: monospaced, padded, on the panel's background.
    static void styleAsNoteText(QPlainTextEdit &edit);

Q_SIGNALS:
    // The user changed the text.
    void edited();

private:
    void onTextChanged();

    Debouncer *m_debouncer = nullptr;
    bool m_settingText = false;
};
