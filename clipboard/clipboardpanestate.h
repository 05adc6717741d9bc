#pragma once

#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class ClipboardManager;
class ThumbnailCache;

// The keyboard actions the clipboard pane hands to the panel's key routing:
// Return copies, Delete deletes, the arrows move the selection (+1 down, -1 up).
struct ClipboardKeyboardActions
{
    std::function<void()> copySelected;
    std::function<void()> deleteSelected;
    std::function<void(int)> moveSelection;
};

// What the clipboard pane reads and writes of the panel's shared state, and the
// signals it watches: one per field, sent after the field changed. The program
// implements it over its shared state; tests implement it in memory. Main thread only.
class ClipboardPaneState : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual ClipboardManager &clipboardManager() const = 0;
    virtual ThumbnailCache &thumbnailCache() const = 0;

    virtual QString searchQuery() const = 0;
    // The panel's keyboard focus is on the clipboard pane.
    virtual bool clipboardPaneHasFocus() const = 0;
    virtual std::optional<QUuid> selectedClipboardItemID() const = 0;
    // Written even when unchanged; the signal follows a real change only.
    virtual void setSelectedClipboardItemID(const std::optional<QUuid> &id) = 0;
    // The last copy was skipped because it was marked concealed.
    virtual bool lastItemWasSensitive() const = 0;
    // Read after every copy: hide the panel then.
    virtual bool dismissOnCopy() const = 0;
    // Replaces the keyboard actions the key routing calls.
    virtual void setKeyboardActions(ClipboardKeyboardActions actions) = 0;

Q_SIGNALS:
    void searchQueryChanged();
    void focusChanged();
    void selectedClipboardItemIDChanged();
    // The focus cycle landed on the clipboard pane: it takes the keyboard.
    void clipboardFocusRequested();
    void lastItemWasSensitiveChanged();
};
