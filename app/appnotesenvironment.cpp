#include "app/appnotesenvironment.h"

#include "app/appstate.h"
#include "notes/notesmanager.h"
#include "platform/notificationcenter.h"
#include "platform/pasteboard.h"

AppNotesEnvironment::AppNotesEnvironment(AppState &state, Workspace &workspace, FolderChooser &folderChooser,
    NotificationCenter &notifications, QObject *parent)
    : NotesEnvironment(parent)
    , m_state(state)
    , m_workspace(workspace)
    , m_folderChooser(folderChooser)
    , m_notifications(notifications)
{
    connect(&m_state, &AppState::searchQueryChanged, this, &NotesEnvironment::searchQueryChanged);
    connect(&m_state, &AppState::focusTargetChanged, this, &NotesEnvironment::focusChanged);
    connect(&m_state, &AppState::selectedNoteURLChanged, this, &NotesEnvironment::selectedNoteURLChanged);
    connect(&m_state, &AppState::editingChanged, this, &NotesEnvironment::editingChanged);
    connect(&m_state, &AppState::panelVisibleChanged, this, &NotesEnvironment::panelVisibleChanged);
    connect(&m_state, &AppState::autoSaveDelayChanged, this, &NotesEnvironment::autoSaveDelayChanged);
}

NotesManager &AppNotesEnvironment::notesManager() const
{
    return m_state.notesManager();
}

Defaults &AppNotesEnvironment::defaults() const
{
    return m_state.defaults();
}

QString AppNotesEnvironment::searchQuery() const
{
    return m_state.searchQuery();
}

bool AppNotesEnvironment::isNotesPaneFocused() const
{
    return m_state.focusTarget() == PanelFocusTarget::pane(FocusedPane::Notes);
}

std::optional<QUrl> AppNotesEnvironment::selectedNoteURL() const
{
    return m_state.selectedNoteURL();
}

void AppNotesEnvironment::setSelectedNoteURL(const std::optional<QUrl> &url)
{
    m_state.setSelectedNoteURL(url);
}

bool AppNotesEnvironment::isEditing() const
{
    return m_state.isEditing();
}

void AppNotesEnvironment::setEditing(bool editing)
{
    m_state.setEditing(editing);
}

bool AppNotesEnvironment::isPanelVisible() const
{
    return m_state.panelVisible();
}

double AppNotesEnvironment::autoSaveDelay() const
{
    return m_state.autoSaveDelay();
}

void AppNotesEnvironment::setNoteEditorFlush(std::function<void()> flush)
{
    m_state.noteEditorFlush = std::move(flush);
}

void AppNotesEnvironment::createNewNote(const QUrl &folder)
{
    m_state.createNewNote(folder);
}

void AppNotesEnvironment::changeVault(const QUrl &folder)
{
    m_state.changeVault(folder);
}

void AppNotesEnvironment::dismissPanel()
{
    m_notifications.post(NotificationName::dismissHUD);
}

void AppNotesEnvironment::copyToPasteboard(const QString &text)
{
    // Without the clipboard manager's own-write mark: the next poll takes the
    // text into the history like any other program's copy.
    Pasteboard &pasteboard = m_state.pasteboard();
    pasteboard.clearContents();
    pasteboard.setString(text);
}
