#include "clipboard/clipboardlistview.h"

#include "clipboard/clipboardrowview.h"
#include "clipboard/clipboardstore.h"
#include "ui/panelstyle.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 4;
constexpr int spacing = 4;
constexpr int dividerThickness = 1;

} // namespace

ClipboardListView::ClipboardListView(ThumbnailCache &cache, ClipboardStore &store, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_cache(cache)
    , m_store(store)
    , m_scrollAnimation(new QPropertyAnimation(verticalScrollBar(), "value", this))
{
    setObjectName(QStringLiteral("ClipboardListView"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->installEventFilter(this);
    verticalScrollBar()->setSingleStep(24);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);
}

ClipboardListView::~ClipboardListView() = default;

int ClipboardListView::rowWidth() const
{
    return std::max(1, viewport()->width() - 2 * horizontalPadding);
}

int ClipboardListView::dividerGap(qsizetype index) const
{
    return m_dividerAfter && m_rows.at(index).id == *m_dividerAfter ? dividerThickness + spacing : 0;
}

void ClipboardListView::setRows(
    const QList<ClipboardEntryRow> &rows, const std::optional<QUuid> &dividerAfter)
{
    // Heights already measured stay with their rows, wherever they move.
    QHash<QUuid, int> measured;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_measured[i])
            measured.insert(m_rows.at(i).id, m_heights[i]);
    }
    m_rows = rows;
    m_dividerAfter = dividerAfter;
    m_heights.assign(rows.size(), 0);
    m_measured.assign(rows.size(), false);
    const int line = QFontMetrics(PanelStyle::font(11)).lineSpacing();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ClipboardEntryRow &row = rows.at(i);
        const auto known = measured.constFind(row.id);
        if (known != measured.constEnd()) {
            m_heights[i] = *known;
            m_measured[i] = true;
        } else {
            m_heights[i] = ClipboardRowView::estimatedHeight(row.contentType, row.longPreview, line);
        }
        // A live row follows its entry's pin and time stamp; the rest of an entry never changes.
        ClipboardRowView *live = m_live.value(row.id);
        if (live
            && (live->item().isPinned != row.isPinned
                || live->item().timestamp.toMSecsSinceEpoch() != row.timestampMs)) {
            ClipboardItem item = live->item();
            item.isPinned = row.isPinned;
            item.timestamp = QDateTime::fromMSecsSinceEpoch(row.timestampMs, Qt::UTC);
            live->setItem(item);
        }
    }
    layoutRows();
}

void ClipboardListView::setBanner(QWidget *banner)
{
    if (m_banner == banner)
        return;
    delete m_banner;
    m_banner = banner;
    if (m_banner) {
        m_banner->setParent(viewport());
        m_banner->show();
    }
    layoutRows();
}

void ClipboardListView::setSelectedRow(const std::optional<QUuid> &id)
{
    m_selected = id;
    for (auto it = m_live.cbegin(); it != m_live.cend(); ++it)
        it.value()->setSelected(id && it.key() == *id);
}

ClipboardRowView *ClipboardListView::rowWidget(const QUuid &id) const
{
    return m_live.value(id);
}

int ClipboardListView::rowTop(const QUuid &id) const
{
    const qsizetype i = indexOfEntry(m_rows, id);
    return i < 0 ? -1 : m_tops[i];
}

void ClipboardListView::recomputeOffsets()
{
    m_tops.resize(m_rows.size());
    int y = verticalPadding;
    if (m_banner)
        y += m_banner->sizeHint().height() + spacing;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        m_tops[i] = y;
        y += m_heights[i] + spacing + dividerGap(i);
    }
    m_contentHeight = y - (m_rows.isEmpty() ? 0 : spacing) + verticalPadding;
}

void ClipboardListView::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, m_contentHeight - viewport()->height()));
}

ClipboardRowView *ClipboardListView::makeRow(const ClipboardEntryRow &entry)
{
    ClipboardItem item;
    StoreResult<std::optional<ClipboardItem>> stored
        = m_store.fetchById(entry.id, ClipboardStore::Payload::Skip);
    if (stored.ok() && stored.value())
        item = *stored.value();
    // The list's own view of the entry holds, whatever the store could give.
    item.id = entry.id;
    item.contentType = entry.contentType;
    item.isPinned = entry.isPinned;
    item.timestamp = QDateTime::fromMSecsSinceEpoch(entry.timestampMs, Qt::UTC);
    item.hasPayload = false;
    auto *row = new ClipboardRowView(item, m_cache, m_store, viewport());
    const QUuid id = item.id;
    if (m_expanded.contains(id))
        row->setExpanded(true);
    row->setSelected(m_selected && *m_selected == id);
    row->onCopy = [this, id] { Q_EMIT copyRequested(id); };
    row->onDelete = [this, id] { Q_EMIT deleteRequested(id); };
    row->onTogglePin = [this, id] { Q_EMIT pinToggleRequested(id); };
    row->onExpand = [this, id] { Q_EMIT rowExpanded(id); };
    connect(row, &ClipboardRowView::expandedChanged, this, [this, id](bool expanded) {
        if (expanded)
            m_expanded.insert(id);
        else
            m_expanded.remove(id);
    });
    return row;
}

void ClipboardListView::layoutRows()
{
    if (m_inLayout)
        return;
    m_inLayout = true;
    const int width = rowWidth();
    if (width != m_measuredWidth) {
        std::fill(m_measured.begin(), m_measured.end(), false);
        m_measuredWidth = width;
    }
    QScrollBar *bar = verticalScrollBar();
    qsizetype first = 0;
    qsizetype last = -1;
    // Measuring a row can change the rows that show; a few passes settle it.
    for (int pass = 0; pass < 4; ++pass) {
        recomputeOffsets();
        updateScrollRange();
        const int top = bar->value();
        const int margin = viewport()->height() / 2;
        const auto begin = std::upper_bound(m_tops.begin(), m_tops.end(), top - margin);
        first = std::max<qsizetype>(0, (begin - m_tops.begin()) - 1);
        const auto end = std::upper_bound(m_tops.begin(), m_tops.end(), top + viewport()->height() + margin);
        last = (end - m_tops.begin()) - 1;

        QHash<QUuid, ClipboardRowView *> live;
        bool changed = false;
        int shift = 0;
        for (qsizetype i = first; i <= last; ++i) {
            const ClipboardEntryRow &entry = m_rows.at(i);
            ClipboardRowView *row = m_live.take(entry.id);
            if (!row)
                row = makeRow(entry);
            live.insert(entry.id, row);
            const int height = row->heightForWidth(width);
            if (!m_measured[i] || height != m_heights[i]) {
                if (height != m_heights[i]) {
                    changed = true;
                    if (m_tops[i] < top)
                        shift += height - m_heights[i]; // keep what shows in place
                }
                m_heights[i] = height;
                m_measured[i] = true;
            }
        }
        qDeleteAll(m_live);
        m_live = live;
        if (shift != 0) {
            recomputeOffsets();
            updateScrollRange();
            bar->setValue(bar->value() + shift);
        }
        if (!changed)
            break;
    }
    recomputeOffsets();
    updateScrollRange();
    const int top = bar->value();
    for (qsizetype i = first; i <= last; ++i) {
        ClipboardRowView *row = m_live.value(m_rows.at(i).id);
        row->setGeometry(horizontalPadding, m_tops[i] - top, width, m_heights[i]);
        row->show();
    }
    if (m_banner)
        m_banner->setGeometry(horizontalPadding, verticalPadding - top, width, m_banner->sizeHint().height());
    // The viewport paints the divider alone (the rows repaint as they move), and
    // repainting it repaints every row on it: only a moved divider asks for that.
    const std::optional<int> divider = dividerY();
    if (divider != m_paintedDividerY) {
        m_paintedDividerY = divider;
        viewport()->update();
    }
    m_inLayout = false;
}

void ClipboardListView::scrollToRow(const QUuid &id, Anchor anchor, int durationMs)
{
    const qsizetype i = indexOfEntry(m_rows, id);
    if (i < 0)
        return;
    const int target
        = anchor == Anchor::Top ? m_tops[i] : m_tops[i] + m_heights[i] / 2 - viewport()->height() / 2;
    QScrollBar *bar = verticalScrollBar();
    const int value = std::clamp(target, bar->minimum(), bar->maximum());
    m_scrollAnimation->stop();
    if (durationMs <= 0 || value == bar->value()) {
        bar->setValue(value);
        return;
    }
    m_scrollAnimation->setDuration(durationMs);
    m_scrollAnimation->setStartValue(bar->value());
    m_scrollAnimation->setEndValue(value);
    m_scrollAnimation->start();
}

void ClipboardListView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    layoutRows();
}

void ClipboardListView::scrollContentsBy(int, int)
{
    layoutRows();
}

bool ClipboardListView::eventFilter(QObject *watched, QEvent *event)
{
    // A row that grows or shrinks (expansion, its animation) asks its parent for
    // a new layout.
    if (watched == viewport() && event->type() == QEvent::LayoutRequest)
        layoutRows();
    return QAbstractScrollArea::eventFilter(watched, event);
}

bool ClipboardListView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        paintEvent(static_cast<QPaintEvent *>(event));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

std::optional<int> ClipboardListView::dividerY() const
{
    const qsizetype i = m_dividerAfter ? indexOfEntry(m_rows, *m_dividerAfter) : -1;
    if (i < 0)
        return std::nullopt;
    const int y = m_tops[i] + m_heights[i] + spacing - verticalScrollBar()->value();
    if (y < 0 || y > viewport()->height())
        return std::nullopt;
    return y;
}

void ClipboardListView::refreshRows()
{
    for (ClipboardRowView *row : std::as_const(m_live))
        row->setItem(row->item());
}

void ClipboardListView::paintEvent(QPaintEvent *)
{
    const std::optional<int> divider = dividerY();
    if (!divider)
        return;
    const int y = *divider;
    QPainter painter(viewport());
    QColor line = PanelStyle::primary(*this);
    line.setAlphaF(0.2f * 0.5f); // a separator tone at the divider's opacity
    painter.fillRect(QRect(horizontalPadding + 8, y, rowWidth() - 16, dividerThickness), line);
}
