#include "app/appclipboardpanestate.h"

#include "app/appstate.h"

AppClipboardPaneState::AppClipboardPaneState(AppState &appState, QObject *parent)
    : ClipboardPaneState(parent)
    , m_appState(appState)
{
    connect(&appState, &AppState::searchQueryChanged, this, &ClipboardPaneState::searchQueryChanged);
    connect(&appState, &AppState::focusTargetChanged, this, &ClipboardPaneState::focusChanged);
    connect(&appState, &AppState::selectedClipboardItemIDChanged, this,
        &ClipboardPaneState::selectedClipboardItemIDChanged);
    connect(
        &appState, &AppState::clipboardFocusRequested, this, &ClipboardPaneState::clipboardFocusRequested);
    connect(&appState, &AppState::lastItemWasSensitiveChanged, this,
        &ClipboardPaneState::lastItemWasSensitiveChanged);
}

ClipboardManager &AppClipboardPaneState::clipboardManager() const
{
    return m_appState.clipboardManager();
}

ThumbnailCache &AppClipboardPaneState::thumbnailCache() const
{
    return m_appState.thumbnailCache();
}

QString AppClipboardPaneState::searchQuery() const
{
    return m_appState.searchQuery();
}

bool AppClipboardPaneState::clipboardPaneHasFocus() const
{
    return m_appState.focusTarget() == PanelFocusTarget::pane(FocusedPane::Clipboard);
}

std::optional<QUuid> AppClipboardPaneState::selectedClipboardItemID() const
{
    return m_appState.selectedClipboardItemID();
}

void AppClipboardPaneState::setSelectedClipboardItemID(const std::optional<QUuid> &id)
{
    m_appState.setSelectedClipboardItemID(id);
}

bool AppClipboardPaneState::lastItemWasSensitive() const
{
    return m_appState.lastItemWasSensitive();
}

bool AppClipboardPaneState::dismissOnCopy() const
{
    return m_appState.dismissOnCopy();
}

void AppClipboardPaneState::setKeyboardActions(ClipboardKeyboardActions actions)
{
    m_appState.onCopySelectedClipboardItem = std::move(actions.copySelected);
    m_appState.onDeleteSelectedClipboardItem = std::move(actions.deleteSelected);
    m_appState.onMoveClipboardSelection = std::move(actions.moveSelection);
}
