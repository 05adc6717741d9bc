#pragma once

#include "notes/notefile.h"
#include "notes/notepreview.h"
#include "notes/notesmanager.h"
#include "platform/log.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class Debouncer;
class NoteEditorView;
class NotesEnvironment;
class NotesFileListView;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class VaultOnboardingView;

// The notes pane: the onboarding while there is no vault; otherwise the notes
// list beside the open note, with its title, a copy button, the Preview/Edit
// toggle (Ctrl+E), the banners, and the editor or the preview below.
//
// The pane holds the working copy of the open note and saves it a pause after
// the user's last edit, and at once on every switch of note, on hiding the
// panel and at shutdown. Nothing typed is lost or written over another
// program's change:
// - every save asks first whether the file is still the one loaded: a note
//   deleted meanwhile raises the red banner, one changed meanwhile the yellow
//   one, and neither is written; the text stays unsaved;
// - a save that fails keeps the text unsaved, says "Couldn't save this note"
//   and is tried again at the next flush;
// - text a flush can't write to its note (at a switch of note, at shutdown,
//   or asked for with "Save as New") goes to a new note: beside the note,
//   else at the vault's top level, else in the recovery folder; a banner says
//   where, and one above the pane says while recovered text waits outside the
//   vault; only where nothing at all can be written does a switch keep the note;
// - a note that can't be read as UTF-8 is shown read-only and never saved;
// - a note larger than NotesManager::maxNoteBytes is never read: its name and
//   size are shown with "Open Externally", and no preview is made.
// Main thread only.
class NotesPaneView : public QWidget
{
    Q_OBJECT
public:
    // `environment` outlives the pane. Without a factory the preview shows
    // the note's text as it stands.
    explicit NotesPaneView(
        NotesEnvironment &environment, NotePreviewFactory previewFactory = {}, QWidget *parent = nullptr);
    ~NotesPaneView() override;

    // --- what the user does, also for tests --------------------------------
    void toggleEditing(); // "Preview" / "Edit", Ctrl+E
    void commitRename(); // Return in the title field
    void copyNoteContents();
    void saveAsNew(); // red banner
    void closeNote(); // red banner
    void reloadNote(); // yellow banner
    void ignoreExternalChange(); // yellow banner
    // Writes what is unsaved; false when it could not be written (the text
    // stays, and the banners say why).
    bool flushPendingSave();
    // The flush of shutdown: text that the note can't take is kept as a new
    // note (NotesManager::saveAsNew) rather than lost with the program.
    void flushBeforeQuitting();
    // Looks whether the open note was changed or deleted by someone else.
    void refreshFileStatus();

    // --- what is shown ------------------------------------------------------
    bool isShowingOnboarding() const;
    // A note is on screen (its detail, not "Select a note").
    bool isShowingNote() const;
    std::optional<NoteFile> currentFile() const { return m_currentFile; }
    QString noteContent() const { return m_noteContent; }
    bool hasUnsavedChanges() const;
    bool isExternalChangeDetected() const { return m_externalChangeDetected; }
    bool isFileDeletedDetected() const { return m_fileDeletedDetected; }
    bool hasSaveFailed() const { return m_saveFailed; }
    // Why the open note is read-only; none when it loaded.
    std::optional<QString> loadError() const { return m_loadError; }
    // The open note is too large to be read: its size in bytes.
    std::optional<qint64> tooLargeBytes() const { return m_tooLargeBytes; }
    // The banner above the pane while recovered text waits; empty when none is shown.
    QString recoveryBannerText() const;
    void showRecoveredNotes(); // its buttons
    void dismissRecoveredNotes();
    // The texts of the banners on screen, top to bottom.
    QStringList bannerTexts() const;

    NotesFileListView *fileList() const { return m_fileList; }
    VaultOnboardingView *onboarding() const { return m_onboarding; }
    NoteEditorView *editor() const { return m_editor; }
    NotePreview *preview() const { return m_preview; }
    QLineEdit *titleField() const { return m_titleField; }
    QPushButton *toggleButton() const { return m_toggleButton; }
    Debouncer &saveDebouncer() const { return *m_saveDebouncer; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateCopyIcon();
    enum class DiskState { Unchanged, Modified, Deleted };

    QWidget *makeDetail();
    QWidget *makeLargeNoteView();
    QWidget *makeBanner(const QString &name, const QColor &tint, QLabel *&message, const QString &firstButton,
        void (NotesPaneView::*first)(), const QString &secondButton, void (NotesPaneView::*second)());
    void updateLayout();
    void updateDetail();
    void applyAutoSaveDelay();

    void onSelectedNoteChanged();
    void onFilesChanged();
    void onEditingChanged();
    void onNoteMoved(const QUrl &from, const QUrl &to);

    std::optional<NoteFile> findNote(const QUrl &url) const;
    void loadNote(const NoteFile &note);
    void clearNote();
    void retarget(const QUrl &to);
    bool writeNote(const QString &text);
    // Writes the working copy to a new note; none when no place took it.
    std::optional<SavedAsNew> keepUnsavedText();
    // Where kept text went, as a banner says it.
    QString whereKept(const SavedAsNew &kept) const;
    bool isEditorOnScreen() const;
    // Puts the working copy into the editor if it holds an older text.
    void syncEditorText();
    void openExternally();
    void updateRecoveryBanner();
    DiskState diskState();

    NotesEnvironment &m_environment;
    const NotePreviewFactory m_previewFactory;
    const Log m_log;

    // The open note and its working copy.
    std::optional<NoteFile> m_currentFile;
    QString m_noteContent;
    QString m_loadedNoteContent; // last loaded or saved: what the working copy is measured against
    QString m_diskText; // what the pane knows the file to hold
    bool m_externalChangeDetected = false;
    bool m_fileDeletedDetected = false;
    bool m_saveFailed = false;
    std::optional<QString> m_loadError;
    std::optional<qint64> m_tooLargeBytes;
    QString m_notice; // where the text went when it could not stay in its note
    bool m_recoveryDismissed = false;
    // The editor takes a loaded note only when it comes on screen: a long note costs
    // it a second or more, which a note that is only previewed never pays.
    bool m_editorTextStale = false;
    std::unique_ptr<Debouncer> m_saveDebouncer;

    QStackedWidget *m_stack;
    VaultOnboardingView *m_onboarding;
    NotesFileListView *m_fileList;
    QStackedWidget *m_detailStack;
    QWidget *m_placeholder;
    QWidget *m_detail;
    QStackedWidget *m_titleStack;
    QLabel *m_titleLabel;
    QLineEdit *m_titleField;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_toggleButton;
    QWidget *m_deletedBanner;
    QWidget *m_modifiedBanner;
    QWidget *m_problemBanner;
    QWidget *m_noticeBanner;
    QWidget *m_recoveryBanner;
    QLabel *m_deletedMessage;
    QLabel *m_modifiedMessage;
    QLabel *m_problemMessage;
    QLabel *m_noticeMessage;
    QLabel *m_recoveryMessage;
    QWidget *m_largeNote;
    QLabel *m_largeNoteLabel;
    QStackedWidget *m_body;
    NoteEditorView *m_editor;
    QPointer<NotePreview> m_preview;
};
