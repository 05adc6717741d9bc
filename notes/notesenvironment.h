#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class Defaults;
class FolderChooser;
class NotesManager;
class Workspace;

// What the notes views take from the rest of the program: the panel's shared
// state (selection, editing flag, search text, focus, visibility, settings),
// the vault's manager, a few actions that belong to the shell, and the desktop
// services they reach. The application's shared state provides it; tests use a
// plain stand-in. Every reference handed out outlives the views. Main thread only.
class NotesEnvironment : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual NotesManager &notesManager() const = 0;
    virtual Defaults &defaults() const = 0;
    virtual Workspace &workspace() const = 0;
    virtual FolderChooser &folderChooser() const = 0;

    virtual QString searchQuery() const = 0;
    // The panel's keyboard focus is on the notes pane (not the search field).
    virtual bool isNotesPaneFocused() const = 0;
    virtual std::optional<QUrl> selectedNoteURL() const = 0;
    virtual void setSelectedNoteURL(const std::optional<QUrl> &url) = 0;
    virtual bool isEditing() const = 0;
    virtual void setEditing(bool editing) = 0;
    virtual bool isPanelVisible() const = 0;
    // Seconds without typing before a note is saved.
    virtual double autoSaveDelay() const = 0;

    // The flush that shutdown runs first; empty: none.
    virtual void setNoteEditorFlush(std::function<void()> flush) = 0;
    // A new note in `folder`, selected for editing.
    virtual void createNewNote(const QUrl &folder) = 0;
    // Makes `folder` the vault; a failure is the shell's to report.
    virtual void changeVault(const QUrl &folder) = 0;
    // Hides the panel at once (another window is about to need the screen).
    virtual void dismissPanel() = 0;
    // Puts the text on the clipboard as any program's copy would.
    virtual void copyToPasteboard(const QString &text) = 0;

Q_SIGNALS:
    void searchQueryChanged();
    void focusChanged();
    void selectedNoteURLChanged();
    void editingChanged();
    void panelVisibleChanged(bool visible);
    void autoSaveDelayChanged();
};
