#pragma once

#include "app/panelfocus.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class BookmarkManager;
class ClipboardManager;
class ClipboardStore;
class Clock;
class Defaults;
class FileEventStream;
class NotesManager;
class Pasteboard;
class ThumbnailCache;
class Updater;

// The state every part of the panel and the settings window shares: the owned
// managers, the search text, the keyboard focus, selections and flags, the stored
// settings and the callback slots through which the delegate and the panes reach
// each other. One instance, made at launch, lives until the process ends.
// Main thread only.
class AppState : public QObject
{
    Q_OBJECT
public:
    // Everything given outlives the state.
    AppState(Defaults &defaults, ClipboardStore &store, Pasteboard &pasteboard, FileEventStream &vaultEvents,
        const Clock &clock, QObject *parent = nullptr);
    ~AppState() override;

    ClipboardManager &clipboardManager() const { return *m_clipboardManager; }
    ThumbnailCache &thumbnailCache() const { return *m_thumbnailCache; }

    NotesManager &notesManager() const { return *m_notesManager; }
    BookmarkManager &bookmarkManager() const { return *m_bookmarkManager; }

    // --- shared state ---------------------------------------------------------
    QString searchQuery() const { return m_searchQuery; }
    void setSearchQuery(const QString &query);

    // Starts at the pane stored under "lastFocusedPane"; every pane it becomes is stored.
    PanelFocusTarget focusTarget() const { return m_focusTarget; }
    void setFocusTarget(const PanelFocusTarget &target);

    std::optional<QUrl> selectedNoteURL() const { return m_selectedNoteURL; }
    void setSelectedNoteURL(const std::optional<QUrl> &url);
    std::optional<QUuid> selectedClipboardItemID() const { return m_selectedClipboardItemID; }
    void setSelectedClipboardItemID(const std::optional<QUuid> &id);

    // Raised by 1 whenever the focus cycle lands on the clipboard pane.
    int clipboardFocusRequest() const { return m_clipboardFocusRequest; }

    bool isEditing() const { return m_isEditing; }
    void setEditing(bool editing);
    bool lastItemWasSensitive() const { return m_lastItemWasSensitive; }
    void setLastItemWasSensitive(bool sensitive);
    bool panelVisible() const { return m_panelVisible; }
    void setPanelVisible(bool visible);
    bool updateAvailable() const { return m_updateAvailable; }
    void setUpdateAvailable(bool available);
    // The update checker the footer and the settings ask; set by the delegate at
    // launch, none before (and once it is gone).
    Updater *updater() const;
    void setUpdater(Updater *updater);

    // --- stored settings, read with their defaults when missing or of another type
    // The numbers are read into the range the settings offer (SettingRange);
    // one outside is logged at construction, and a setter stores it clamped.
    bool dismissOnCopy() const;
    void setDismissOnCopy(bool value);
    double autoSaveDelay() const;
    void setAutoSaveDelay(double seconds);
    int historyLimit() const;
    void setHistoryLimit(qint64 limit);
    bool isGestureEnabled() const;
    void setGestureEnabled(bool value);
    bool skipSensitiveItems() const;
    void setSkipSensitiveItems(bool value);

    // --- operations -----------------------------------------------------------
    // One step of the focus cycle (Tab forward, Shift-Tab with `reverse`).
    void switchPane(bool reverse);
    // The search field gained (true) or lost (false) keyboard focus.
    void setSearchFocused(bool focused);

    // The vault whose access this state holds open; none without one.
    std::optional<QUrl> activeVaultURL() const { return m_activeVaultURL; }
    // At launch: reopens the stored vault, or leaves the notes without one.
    void restoreVault();
    // Makes `folder` the vault. Its bookmark is saved first: when that fails, the
    // error comes back and the old vault keeps running as it was (watched, open,
    // stored, selection kept).
    [[nodiscard]] std::optional<QString> setVault(const QUrl &folder);
    // setVault for the folder choosers: a failure is logged, the old vault stays.
    void changeVault(const QUrl &folder);

    // A new note in `folder`, else in the vault, selected for editing. Without
    // either, or when the note can't be made, nothing changes.
    void createNewNote(const std::optional<QUrl> &folder = std::nullopt);

    // At termination: writes what is unsaved (note, clipboard store), stops capture
    // and lets go of the vault.
    void shutdown();

    // --- callback slots, empty until their owner fills them ------------------
    std::function<void()> onOpenSettings;
    std::function<void()> noteEditorFlush;
    // Publishes the search field's text as the query at once when its publication
    // is still pending, so that a key acting on the list sees the typed query.
    std::function<void()> searchFieldFlush;
    std::function<void(bool)> onGestureEnabledChanged;
    std::function<void()> onCopySelectedClipboardItem;
    std::function<void()> onDeleteSelectedClipboardItem;
    std::function<void(int)> onMoveClipboardSelection;

    Defaults &defaults() const { return m_defaults; }
    Pasteboard &pasteboard() const { return m_pasteboard; }

Q_SIGNALS:
    // Something views show changed (the managers' changes included).
    void changed();
    void searchQueryChanged(const QString &query);
    void focusTargetChanged();
    void clipboardFocusRequested();
    void selectedClipboardItemIDChanged();
    void lastItemWasSensitiveChanged(bool sensitive);
    void panelVisibleChanged(bool visible);
    void updateAvailableChanged(bool available);
    void settingsChanged();
    void selectedNoteURLChanged();
    void editingChanged();
    void autoSaveDelayChanged();

private:
    void persistLastFocusedPane();
    double readAutoSaveDelay(bool report) const;
    int readHistoryLimit(bool report) const;
    void closeVaultScope();

    Defaults &m_defaults;
    Pasteboard &m_pasteboard;
    std::unique_ptr<ThumbnailCache> m_thumbnailCache;
    std::unique_ptr<BookmarkManager> m_bookmarkManager;
    std::unique_ptr<ClipboardManager> m_clipboardManager;
    std::unique_ptr<NotesManager> m_notesManager;
    std::optional<QUrl> m_activeVaultURL;
    QString m_searchQuery;
    PanelFocusTarget m_focusTarget = PanelFocusTarget::pane(FocusedPane::Clipboard);
    std::optional<QUrl> m_selectedNoteURL;
    std::optional<QUuid> m_selectedClipboardItemID;
    int m_clipboardFocusRequest = 0;
    bool m_isEditing = false;
    bool m_lastItemWasSensitive = false;
    bool m_panelVisible = false;
    bool m_updateAvailable = false;
    QPointer<Updater> m_updater;
};
