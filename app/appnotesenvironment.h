#pragma once

#include "notes/notesenvironment.h"

class AppState;
class NotificationCenter;

// The shared state as the notes views see it: a thin adapter that forwards
// every call to AppState and relays its change signals. Everything given
// outlives the adapter.
class AppNotesEnvironment final : public NotesEnvironment
{
    Q_OBJECT
public:
    AppNotesEnvironment(AppState &state, Workspace &workspace, FolderChooser &folderChooser,
        NotificationCenter &notifications, QObject *parent = nullptr);

    NotesManager &notesManager() const override;
    Defaults &defaults() const override;
    Workspace &workspace() const override { return m_workspace; }
    FolderChooser &folderChooser() const override { return m_folderChooser; }

    QString searchQuery() const override;
    bool isNotesPaneFocused() const override;
    std::optional<QUrl> selectedNoteURL() const override;
    void setSelectedNoteURL(const std::optional<QUrl> &url) override;
    bool isEditing() const override;
    void setEditing(bool editing) override;
    bool isPanelVisible() const override;
    double autoSaveDelay() const override;

    void setNoteEditorFlush(std::function<void()> flush) override;
    void createNewNote(const QUrl &folder) override;
    void changeVault(const QUrl &folder) override;
    void dismissPanel() override;
    void copyToPasteboard(const QString &text) override;

private:
    AppState &m_state;
    Workspace &m_workspace;
    FolderChooser &m_folderChooser;
    NotificationCenter &m_notifications;
};
