#include "app/appstate.h"

#include "app/panelkeyrouter.h"
#include "platform/defaults.h"

AppState::AppState(Defaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    const auto stored = focusedPaneFromString(m_defaults.string(DefaultsKey::lastFocusedPane, QString()));
    m_focusTarget = PanelFocusTarget::pane(stored.value_or(FocusedPane::Clipboard));
}

AppState::~AppState() = default;

void AppState::setSearchQuery(const QString &query)
{
    if (m_searchQuery == query)
        return;
    m_searchQuery = query;
    Q_EMIT searchQueryChanged(query);
    Q_EMIT changed();
}

void AppState::setFocusTarget(const PanelFocusTarget &target)
{
    const bool differs = !(m_focusTarget == target);
    m_focusTarget = target;
    persistLastFocusedPane();
    if (differs) {
        Q_EMIT focusTargetChanged();
        Q_EMIT changed();
    }
}

void AppState::persistLastFocusedPane()
{
    // The search field and "nothing" are passing states; only a pane is worth restoring.
    if (const auto pane = m_focusTarget.paneValue())
        m_defaults.setString(DefaultsKey::lastFocusedPane, toString(*pane));
}

void AppState::setSelectedNoteURL(const std::optional<QUrl> &url)
{
    if (m_selectedNoteURL == url)
        return;
    m_selectedNoteURL = url;
    Q_EMIT changed();
}

void AppState::setSelectedClipboardItemID(const std::optional<QUuid> &id)
{
    if (m_selectedClipboardItemID == id)
        return;
    m_selectedClipboardItemID = id;
    Q_EMIT changed();
}

void AppState::setEditing(bool editing)
{
    if (m_isEditing == editing)
        return;
    m_isEditing = editing;
    Q_EMIT changed();
}

void AppState::setLastItemWasSensitive(bool sensitive)
{
    if (m_lastItemWasSensitive == sensitive)
        return;
    m_lastItemWasSensitive = sensitive;
    Q_EMIT changed();
}

void AppState::setPanelVisible(bool visible)
{
    if (m_panelVisible == visible)
        return;
    m_panelVisible = visible;
    Q_EMIT panelVisibleChanged(visible);
    Q_EMIT changed();
}

void AppState::setUpdateAvailable(bool available)
{
    if (m_updateAvailable == available)
        return;
    m_updateAvailable = available;
    Q_EMIT updateAvailableChanged(available);
    Q_EMIT changed();
}

bool AppState::dismissOnCopy() const
{
    return m_defaults.boolean(DefaultsKey::dismissOnCopy, DefaultValue::dismissOnCopy);
}

void AppState::setDismissOnCopy(bool value)
{
    m_defaults.setBoolean(DefaultsKey::dismissOnCopy, value);
    Q_EMIT settingsChanged();
}

double AppState::autoSaveDelay() const
{
    return m_defaults.real(DefaultsKey::autoSaveDelay, DefaultValue::autoSaveDelay);
}

void AppState::setAutoSaveDelay(double seconds)
{
    m_defaults.setReal(DefaultsKey::autoSaveDelay, seconds);
    Q_EMIT settingsChanged();
}

qint64 AppState::historyLimit() const
{
    return m_defaults.integer(DefaultsKey::historyLimit, DefaultValue::historyLimit);
}

void AppState::setHistoryLimit(qint64 limit)
{
    m_defaults.setInteger(DefaultsKey::historyLimit, limit);
    Q_EMIT settingsChanged();
}

bool AppState::isGestureEnabled() const
{
    return m_defaults.boolean(DefaultsKey::isGestureEnabled, DefaultValue::isGestureEnabled);
}

void AppState::setGestureEnabled(bool value)
{
    m_defaults.setBoolean(DefaultsKey::isGestureEnabled, value);
    Q_EMIT settingsChanged();
}

bool AppState::skipSensitiveItems() const
{
    return m_defaults.boolean(DefaultsKey::skipSensitiveItems, DefaultValue::skipSensitiveItems);
}

void AppState::setSkipSensitiveItems(bool value)
{
    m_defaults.setBoolean(DefaultsKey::skipSensitiveItems, value);
    Q_EMIT settingsChanged();
}

void AppState::switchPane(bool reverse)
{
    const PanelKeys::FocusStep step = PanelKeys::nextFocusTarget(m_focusTarget, reverse);
    setFocusTarget(step.target);
    if (step.requestsClipboardFocus) {
        ++m_clipboardFocusRequest;
        Q_EMIT clipboardFocusRequested();
        Q_EMIT changed();
    }
}

void AppState::setSearchFocused(bool focused)
{
    if (focused)
        setFocusTarget(PanelFocusTarget::search());
    else if (m_focusTarget.isSearch())
        setFocusTarget(PanelFocusTarget::none());
}
