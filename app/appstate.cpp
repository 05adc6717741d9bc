#include "app/appstate.h"

#include "app/panelkeyrouter.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/thumbnailcache.h"
#include "notes/bookmarkmanager.h"
#include "notes/notesmanager.h"
#include "platform/bookmark.h"
#include "platform/defaults.h"
#include "platform/log.h"
#include "platform/updater.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

const Log &log()
{
    static const Log instance("AppState");
    return instance;
}

// A hand-edited file may hold any number. The history limit once went
// through int unchecked: 2^31 became negative and 2^32 zero, and the next copy
// trimmed every unpinned entry, the new one included. So numbers stay doubles
// until they are inside the range. A missing value is the default; one that
// can't be the setting's value at all (`usable` false) is the default too.
double boundedSetting(const QString &key, std::optional<double> value, bool usable, double fallback,
    double low, double high, bool report)
{
    const double bounded = !value || !usable ? fallback : std::clamp(*value, low, high);
    if (report && value && bounded != *value)
        log().error(
            QStringLiteral("Setting %1 is out of range (%2); using %3").arg(key).arg(*value).arg(bounded));
    return bounded;
}

double boundedAutoSaveDelay(std::optional<double> seconds, bool report)
{
    return boundedSetting(DefaultsKey::autoSaveDelay, seconds, seconds && std::isfinite(*seconds),
        DefaultValue::autoSaveDelay, SettingRange::autoSaveDelayMin, SettingRange::autoSaveDelayMax, report);
}

// Zero and below have always meant "not set"; a fraction is no count.
int boundedHistoryLimit(std::optional<double> limit, bool report)
{
    const bool isCount = limit && *limit > 0 && *limit == std::trunc(*limit);
    return int(boundedSetting(DefaultsKey::historyLimit, limit, isCount, double(DefaultValue::historyLimit),
        double(SettingRange::historyLimitMin), double(SettingRange::historyLimitMax), report));
}

} // namespace

AppState::AppState(Defaults &defaults, ClipboardStore &store, Pasteboard &pasteboard,
    FileEventStream &vaultEvents, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_pasteboard(pasteboard)
    , m_thumbnailCache(std::make_unique<ThumbnailCache>())
{
    const auto stored = focusedPaneFromString(m_defaults.string(DefaultsKey::lastFocusedPane, QString()));
    m_focusTarget = PanelFocusTarget::pane(stored.value_or(FocusedPane::Clipboard));
    m_bookmarkManager = std::make_unique<BookmarkManager>(m_defaults);

    readAutoSaveDelay(true);
    m_clipboardManager = std::make_unique<ClipboardManager>(store, pasteboard, readHistoryLimit(true), clock);
    m_clipboardManager->setSkipSensitiveItems(skipSensitiveItems());
    m_notesManager = std::make_unique<NotesManager>(vaultEvents, clock);

    QPointer<AppState> self(this);
    m_clipboardManager->onSensitiveStateChanged = [self](bool sensitive) {
        if (self)
            self->setLastItemWasSensitive(sensitive);
    };
    // Views watch this object alone: the vault's lists changing is a change of the state.
    for (auto signal :
        { &NotesManager::allFilesChanged, &NotesManager::allMediaChanged, &NotesManager::foldersChanged })
        connect(m_notesManager.get(), signal, this, &AppState::changed);
}

AppState::~AppState()
{
    closeVaultScope();
}

void AppState::closeVaultScope()
{
    if (!m_activeVaultURL)
        return;
    Bookmark::stopAccessing(m_activeVaultURL->toLocalFile());
    m_activeVaultURL.reset();
}

void AppState::restoreVault()
{
    const auto resolved = m_bookmarkManager->resolve();
    // No bookmark, a stale one or a failed resolution: the notes pane offers onboarding.
    if (!resolved || !Bookmark::startAccessing(resolved.value().toLocalFile())) {
        m_notesManager->setVault(QUrl());
        return;
    }
    m_activeVaultURL = resolved.value();
    m_notesManager->setVault(resolved.value());
}

std::optional<QString> AppState::setVault(const QUrl &folder)
{
    // Saved before the old vault is let go, so a failure leaves it fully running.
    const auto saved = m_bookmarkManager->save(folder);
    if (!saved)
        return saved.error();
    m_notesManager->stopWatching();
    closeVaultScope();
    if (Bookmark::startAccessing(folder.toLocalFile())) {
        m_activeVaultURL = folder;
        m_notesManager->setVault(folder);
    }
    setSelectedNoteURL(std::nullopt);
    setSearchQuery(QString());
    return std::nullopt;
}

void AppState::changeVault(const QUrl &folder)
{
    if (const auto error = setVault(folder))
        log().error(QStringLiteral("Failed to change the vault to %1: %2").arg(folder.toLocalFile(), *error));
}

void AppState::createNewNote(const std::optional<QUrl> &folder)
{
    const QUrl target = folder ? *folder : m_notesManager->vaultURL();
    if (target.isEmpty())
        return;
    const auto created = m_notesManager->createNote(target);
    if (!created)
        return; // the list simply shows no new note
    setSelectedNoteURL(created.value());
    setEditing(true);
}

void AppState::shutdown()
{
    if (noteEditorFlush)
        noteEditorFlush();
    m_clipboardManager->stopPolling();
    m_clipboardManager->saveContext();
    m_notesManager->stopWatching();
    closeVaultScope();
}

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
    Q_EMIT selectedNoteURLChanged();
    Q_EMIT changed();
}

void AppState::setSelectedClipboardItemID(const std::optional<QUuid> &id)
{
    if (m_selectedClipboardItemID == id)
        return;
    m_selectedClipboardItemID = id;
    Q_EMIT selectedClipboardItemIDChanged();
    Q_EMIT changed();
}

void AppState::setEditing(bool editing)
{
    if (m_isEditing == editing)
        return;
    m_isEditing = editing;
    Q_EMIT editingChanged();
    Q_EMIT changed();
}

void AppState::setLastItemWasSensitive(bool sensitive)
{
    if (m_lastItemWasSensitive == sensitive)
        return;
    m_lastItemWasSensitive = sensitive;
    Q_EMIT lastItemWasSensitiveChanged(sensitive);
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

Updater *AppState::updater() const
{
    return m_updater;
}

void AppState::setUpdater(Updater *updater)
{
    m_updater = updater;
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

double AppState::readAutoSaveDelay(bool report) const
{
    return boundedAutoSaveDelay(m_defaults.real(DefaultsKey::autoSaveDelay), report);
}

int AppState::readHistoryLimit(bool report) const
{
    return boundedHistoryLimit(m_defaults.real(DefaultsKey::historyLimit), report);
}

double AppState::autoSaveDelay() const
{
    return readAutoSaveDelay(false);
}

void AppState::setAutoSaveDelay(double seconds)
{
    m_defaults.setReal(DefaultsKey::autoSaveDelay, boundedAutoSaveDelay(seconds, true));
    Q_EMIT autoSaveDelayChanged();
    Q_EMIT settingsChanged();
}

int AppState::historyLimit() const
{
    return readHistoryLimit(false);
}

void AppState::setHistoryLimit(qint64 limit)
{
    m_defaults.setInteger(DefaultsKey::historyLimit, boundedHistoryLimit(double(limit), true));
    m_clipboardManager->setHistoryLimit(historyLimit());
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
    m_clipboardManager->setSkipSensitiveItems(skipSensitiveItems());
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
