#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class NotesManager;

// The read-only view of the open note beside the editor. The notes pane knows
// only this seam: the program hands it a factory for the rendered preview
// (which lives with the Markdown views and builds the vault's context, its
// obsidianContext, from the manager it is given), and without one the pane shows
// the note's text as it stands.
//
// A preview writes nothing and changes no shared state: links to other notes
// and the request to open the note elsewhere go through the two callbacks.
// Main thread only.
class NotePreview : public QWidget
{
    Q_OBJECT
public:
    // `vault` outlives the view.
    explicit NotePreview(NotesManager &vault, QWidget *parent = nullptr);

    // What to render (content) and the note it is (its file URL). Rendering
    // again is skipped when neither changed.
    void setNote(const QString &content, const QUrl &currentNoteURL);
    QString content() const { return m_content; }
    QUrl currentNoteURL() const { return m_currentNoteURL; }
    NotesManager &vault() const { return m_vault; }

    // A link to another note of the vault was followed: its file URL.
    std::function<void(const QUrl &note)> onNavigateToNote;
    // The user asked to open the note in another program.
    std::function<void()> onOpenExternally;

protected:
    // The note's text, its URL or the vault's lists changed: render again.
    virtual void noteChanged() = 0;

private:
    NotesManager &m_vault;
    QString m_content;
    QUrl m_currentNoteURL;
};

// Makes a preview for the pane. Each preview starts with an empty memo of its
// own (its previewMemoizer), kept for as long as the preview stays on screen:
// the pane makes a new one each time the preview comes back.
using NotePreviewFactory = std::function<NotePreview *(NotesManager &vault, QWidget *parent)>;
