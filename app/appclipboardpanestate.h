#pragma once

#include "clipboard/clipboardpanestate.h"

class AppState;

// The clipboard pane's view of the shared state: reads and writes go to
// AppState, its per-field signals come through, and the keyboard actions fill
// AppState's three callback slots. Main thread only.
class AppClipboardPaneState final : public ClipboardPaneState
{
    Q_OBJECT
public:
    // `appState` outlives this object.
    explicit AppClipboardPaneState(AppState &appState, QObject *parent = nullptr);

    ClipboardManager &clipboardManager() const override;
    ThumbnailCache &thumbnailCache() const override;
    QString searchQuery() const override;
    bool clipboardPaneHasFocus() const override;
    std::optional<QUuid> selectedClipboardItemID() const override;
    void setSelectedClipboardItemID(const std::optional<QUuid> &id) override;
    bool lastItemWasSensitive() const override;
    bool dismissOnCopy() const override;
    void setKeyboardActions(ClipboardKeyboardActions actions) override;

private:
    AppState &m_appState;
};
