#pragma once

#include "clipboard/clipboardlisting.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

#include <optional>
#include <vector>

class ClipboardRowView;
class ClipboardStore;
class QPropertyAnimation;
class ThumbnailCache;

// The clipboard pane's scrolling list. Only the rows in and near the viewport
// exist as widgets: the others are a height each (estimated until the row was
// shown once), so ten thousand entries cost a few arrays, not ten thousand
// widgets; a row's widget reads its entry from the store when it is made. A row
// is known by its entry's id: it keeps its widget and its
// expansion across updates of the list. Above the rows sits an optional banner;
// below the last pinned row runs a faint divider. Main thread only.
class ClipboardListView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class Anchor { Center, Top };

    // `cache` and `store` outlive the list.
    ClipboardListView(ThumbnailCache &cache, ClipboardStore &store, QWidget *parent = nullptr);
    ~ClipboardListView() override;

    // The rows to show, in order; `dividerAfter` names the row the divider follows.
    void setRows(const QList<ClipboardEntryRow> &rows, const std::optional<QUuid> &dividerAfter);
    // The widget shown above the rows (the list owns it); null for none.
    void setBanner(QWidget *banner);
    // Redraws the rows on screen from their entries (their age reads "just now"
    // no longer than it is true).
    void refreshRows();
    // Draws `id`'s row as selected; none draws no row so.
    void setSelectedRow(const std::optional<QUuid> &id);

    // Scrolls so that `id`'s row shows at the anchor, animated over `durationMs`
    // (0: at once). An id not in the list does nothing.
    void scrollToRow(const QUuid &id, Anchor anchor, int durationMs);

    // The row widget of `id` while it exists (in or near the viewport), else null.
    ClipboardRowView *rowWidget(const QUuid &id) const;
    // Top of `id`'s row in content coordinates; -1 when the id is not listed.
    int rowTop(const QUuid &id) const;
    int rowCount() const { return int(m_rows.size()); }
    int liveRowCount() const { return int(m_live.size()); }
    bool isRowExpanded(const QUuid &id) const { return m_expanded.contains(id); }

Q_SIGNALS:
    void copyRequested(const QUuid &id);
    void deleteRequested(const QUuid &id);
    void pinToggleRequested(const QUuid &id);
    void rowExpanded(const QUuid &id);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    int rowWidth() const;
    void recomputeOffsets();
    void updateScrollRange();
    // Makes, places and measures the rows that show; drops the others.
    void layoutRows();
    ClipboardRowView *makeRow(const ClipboardEntryRow &row);
    int dividerGap(qsizetype index) const;
    // The divider's y in the viewport while it shows there.
    std::optional<int> dividerY() const;

    ThumbnailCache &m_cache;
    ClipboardStore &m_store;
    QList<ClipboardEntryRow> m_rows;
    std::optional<QUuid> m_dividerAfter;
    std::optional<QUuid> m_selected;
    std::vector<int> m_heights;
    std::vector<bool> m_measured;
    std::vector<int> m_tops; // content y of each row
    int m_contentHeight = 0;
    int m_measuredWidth = -1;
    QHash<QUuid, ClipboardRowView *> m_live;
    QSet<QUuid> m_expanded;
    QWidget *m_banner = nullptr;
    QPropertyAnimation *m_scrollAnimation;
    bool m_inLayout = false;
    std::optional<int> m_paintedDividerY;
};
