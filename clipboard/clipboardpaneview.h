#pragma once

#include "clipboard/clipboardlisting.h"

#include <QWidget>

#include <optional>

class ClipboardListView;
class ClipboardPaneState;
class NotificationCenter;
class QLabel;
class QStackedWidget;

// The clipboard half of the panel: the "Clipboard History" header (tinted while
// the pane has the panel's focus; its context menu clears the history), the
// stored entries filtered by the shared query with pinned ones first, or an
// empty state. Follows the store change by change: a capture inserts its row, a
// delete or a trim removes rows, and only a rollback reads every entry again. Keeps the selection in the
// shared state and hands the key routing three actions that hold only entry ids: each looks its entry up in
// the store when the key acts. Main thread only.
class ClipboardPaneView : public QWidget
{
    Q_OBJECT
public:
    // `state` and `notifications` outlive the pane.
    ClipboardPaneView(
        ClipboardPaneState &state, NotificationCenter &notifications, QWidget *parent = nullptr);
    ~ClipboardPaneView() override;

    // What the pane shows now.
    const ClipboardListing &listing() const { return m_listing; }
    ClipboardListView *list() const { return m_list; }
    // "No items yet" or "No matches" while the list is empty, else empty.
    QString emptyStateText() const;
    bool isBannerShown() const;
    QWidget *header() const { return m_header; }

    // The actions of a row, also used by the keyboard actions.
    void copyItem(const QUuid &id);
    void deleteItem(const QUuid &id);
    void togglePin(const QUuid &id);
    void clearAll();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void reload();
    void follow(const QList<ClipboardStoreChange> &changes);
    void entriesChanged();
    void refreshListing();
    void refreshForChange();
    void installSelectionCallbacks();
    void scheduleSelectionValidation();
    // The validation scheduled last, now, unless it ran already.
    void validateSelection();
    // The selection a key acts on, once settled: only while it is one of `visible`.
    std::optional<QUuid> settledSelectionIn(const QList<QUuid> &visible);
    void updateSelectionLook();
    void updateScrollState();
    void updateHeader();
    void updateBanner();
    void deleteFrom(const QUuid &id, const QList<QUuid> &visible);
    void copyEntry(const QUuid &id);

    ClipboardPaneState &m_state;
    NotificationCenter &m_notifications;
    ClipboardEntries m_entries;
    ClipboardListing m_listing;
    bool m_reportedFetchFailure = false;
    bool m_hasAppeared = false;
    bool m_validationPending = false;
    // The selection and the list last scrolled for: only a change scrolls.
    std::optional<QUuid> m_scrolledSelection;
    QList<QUuid> m_scrolledIds;
    bool m_hasScrollState = false;

    QWidget *m_header;
    QLabel *m_title;
    QStackedWidget *m_stack;
    ClipboardListView *m_list;
    QLabel *m_empty;
};
