#include "clipboard/clipboardpaneview.h"

#include "clipboard/clipboardlistview.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardpanestate.h"
#include "clipboard/clipboardselection.h"
#include "platform/notificationcenter.h"
#include "platform/qt/derivedpalette.h"
#include "platform/symbolicon.h"
#include "ui/panelstyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int selectionScrollMs = 160;
constexpr int expandedScrollDelayMs = 200;
constexpr int expandedScrollMs = 200;

void setTextColor(QWidget *widget, QColor (*tone)(const QPalette &))
{
    PanelStyle::setTextTone(*widget, tone);
    // Set, not inherited: inside the list's viewport a label would draw in the
    // viewport's text colour, not this one.
    widget->setForegroundRole(QPalette::WindowText);
}

QWidget *makeSensitiveBanner()
{
    auto *banner = new QWidget;
    banner->setObjectName(QStringLiteral("sensitiveBanner"));
    auto *row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(6);
    auto *icon = new QLabel(banner);
    // Drawn again in each look the banner is shown in, not only the one it was made in.
    derivePalette(*icon, [icon](QPalette &palette) {
        icon->setPixmap(
            symbolPixmap(Symbol::LockShield, 11, PanelStyle::tertiary(palette), icon->devicePixelRatioF()));
    });
    auto *text = new QLabel(QStringLiteral("Sensitive item — not stored"), banner);
    text->setFont(PanelStyle::font(11));
    setTextColor(text, PanelStyle::tertiary);
    row->addWidget(icon);
    row->addWidget(text);
    row->addStretch(1);
    return banner;
}

} // namespace

ClipboardPaneView::ClipboardPaneView(
    ClipboardPaneState &state, NotificationCenter &notifications, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_notifications(notifications)
    , m_header(new QWidget(this))
    , m_title(new QLabel(QStringLiteral("Clipboard History"), m_header))
    , m_stack(new QStackedWidget(this))
    , m_list(new ClipboardListView(state.thumbnailCache(), state.clipboardManager().modelContext(), m_stack))
    , m_empty(new QLabel(m_stack))
{
    setObjectName(QStringLiteral("ClipboardPaneView"));
    setFocusPolicy(Qt::ClickFocus);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header->setObjectName(QStringLiteral("clipboardHeader"));
    m_header->setAutoFillBackground(true);
    auto *headerRow = new QHBoxLayout(m_header);
    headerRow->setContentsMargins(12, 8, 12, 4);
    QFont titleFont = PanelStyle::font(10, QFont::DemiBold);
    titleFont.setCapitalization(QFont::AllUppercase);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    m_title->setFont(titleFont);
    setTextColor(m_title, PanelStyle::secondary);
    headerRow->addWidget(m_title);
    headerRow->addStretch(1);
    m_header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_header, &QWidget::customContextMenuRequested, this, [this](const QPoint &position) {
        QMenu menu;
        menu.addAction(QStringLiteral("Clear All History"), this, &ClipboardPaneView::clearAll);
        menu.exec(m_header->mapToGlobal(position));
    });
    column->addWidget(m_header);

    m_empty->setObjectName(QStringLiteral("emptyState"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setFont(PanelStyle::font(12));
    setTextColor(m_empty, PanelStyle::tertiary);
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_empty);
    column->addWidget(m_stack, 1);

    connect(m_list, &ClipboardListView::copyRequested, this, &ClipboardPaneView::copyItem);
    connect(m_list, &ClipboardListView::deleteRequested, this, &ClipboardPaneView::deleteItem);
    connect(m_list, &ClipboardListView::pinToggleRequested, this, &ClipboardPaneView::togglePin);
    connect(m_list, &ClipboardListView::rowExpanded, this, [this](const QUuid &id) {
        QTimer::singleShot(expandedScrollDelayMs, m_list,
            [this, id] { m_list->scrollToRow(id, ClipboardListView::Anchor::Top, expandedScrollMs); });
    });

    connect(&m_state.clipboardManager().modelContext(), &ClipboardStore::rowsChanged, this,
        &ClipboardPaneView::follow);
    connect(&m_state, &ClipboardPaneState::searchQueryChanged, this, [this] {
        refreshListing();
        refreshForChange();
    });
    connect(&m_state, &ClipboardPaneState::clipboardFocusRequested, this, [this] {
        setFocus(Qt::OtherFocusReason);
        refreshForChange();
    });
    connect(&m_state, &ClipboardPaneState::focusChanged, this, [this] {
        updateHeader();
        updateSelectionLook();
        updateScrollState();
    });
    connect(&m_state, &ClipboardPaneState::selectedClipboardItemIDChanged, this, [this] {
        updateSelectionLook();
        updateScrollState();
    });
    connect(
        &m_state, &ClipboardPaneState::lastItemWasSensitiveChanged, this, &ClipboardPaneView::updateBanner);

    updateHeader();
    reload();
}

ClipboardPaneView::~ClipboardPaneView() = default;

QString ClipboardPaneView::emptyStateText() const
{
    return m_stack->currentWidget() == m_empty ? m_empty->text() : QString();
}

bool ClipboardPaneView::isBannerShown() const
{
    return m_stack->currentWidget() == m_list && m_state.lastItemWasSensitive();
}

void ClipboardPaneView::reload()
{
    ClipboardEntries entries;
    const std::optional<StoreError> failed = m_state.clipboardManager().modelContext().visitLastWrittenFirst(
        [&entries](const ClipboardItem &item) { entries.append(item); });
    if (failed) {
        // The list stays as it was. Reported once: the report rolls back, which
        // announces a change, which would fetch and fail again.
        if (!std::exchange(m_reportedFetchFailure, true))
            m_state.clipboardManager().reportPersistenceFailure(*failed, QStringLiteral("fetch"));
        return;
    }
    entries.sortNewestFirst();
    m_entries = std::move(entries);
    entriesChanged();
}

void ClipboardPaneView::follow(const QList<ClipboardStoreChange> &changes)
{
    if (!m_entries.apply(changes)) {
        reload();
        return;
    }
    entriesChanged();
}

void ClipboardPaneView::entriesChanged()
{
    const QList<QUuid> before = m_listing.ids;
    refreshListing();
    if (m_listing.ids != before)
        refreshForChange();
}

void ClipboardPaneView::refreshListing()
{
    m_listing = ClipboardListing::filtered(m_entries, m_state.searchQuery());
    if (m_listing.visible.isEmpty()) {
        m_empty->setText(
            m_state.searchQuery().isEmpty() ? QStringLiteral("No items yet") : QStringLiteral("No matches"));
        m_stack->setCurrentWidget(m_empty);
    } else {
        m_stack->setCurrentWidget(m_list);
    }
    m_list->setRows(m_listing.visible, m_listing.lastPinnedID);
    updateBanner();
    updateSelectionLook();
    updateScrollState();
}

void ClipboardPaneView::updateBanner()
{
    const bool shown = m_state.lastItemWasSensitive() && !m_listing.visible.isEmpty();
    m_list->setBanner(shown ? makeSensitiveBanner() : nullptr);
}

void ClipboardPaneView::updateHeader()
{
    QPalette palette = m_header->palette();
    QColor tint = Qt::transparent;
    if (m_state.clipboardPaneHasFocus()) {
        tint = PanelStyle::accent(*this);
        tint.setAlphaF(0.12f);
    }
    palette.setColor(QPalette::Window, tint);
    m_header->setPalette(palette);
}

void ClipboardPaneView::updateSelectionLook()
{
    m_list->setSelectedRow(
        m_state.clipboardPaneHasFocus() ? m_state.selectedClipboardItemID() : std::nullopt);
}

void ClipboardPaneView::updateScrollState()
{
    const std::optional<QUuid> selected = m_state.selectedClipboardItemID();
    const bool changed
        = !m_hasScrollState || selected != m_scrolledSelection || m_listing.ids != m_scrolledIds;
    m_hasScrollState = true;
    m_scrolledSelection = selected;
    m_scrolledIds = m_listing.ids;
    if (!changed)
        return;
    const std::optional<QUuid> target
        = selectionKeptIfVisible(selected, m_listing.ids, m_state.clipboardPaneHasFocus());
    if (!target)
        return;
    // After the update that changed the selection, so the row's place is known.
    QTimer::singleShot(0, m_list, [list = m_list, id = *target] {
        list->scrollToRow(id, ClipboardListView::Anchor::Center, selectionScrollMs);
    });
}

void ClipboardPaneView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_hasAppeared = true;
    // Rows kept while the panel was hidden say "just now" no longer than it is true.
    m_list->refreshRows();
    refreshForChange();
}

void ClipboardPaneView::refreshForChange()
{
    // Until the pane first shows, entries arriving choose no selection: the
    // first showing selects the newest entry, not the first one ever captured.
    if (!m_hasAppeared)
        return;
    installSelectionCallbacks();
    scheduleSelectionValidation();
}

void ClipboardPaneView::installSelectionCallbacks()
{
    // The actions hold the ids shown now, never the entries: an entry is looked up
    // when its key acts, so a pin or a copy in between is seen.
    const QList<QUuid> visible = m_listing.ids;
    QPointer<ClipboardPaneView> self(this);
    ClipboardKeyboardActions actions;
    // Each first settles a selection the list has yet to validate: the list may
    // have changed right before the key (a query published for it), and the key
    // acts on the row the list is about to show selected.
    actions.copySelected = [self, visible] {
        if (const std::optional<QUuid> selected = self ? self->settledSelectionIn(visible) : std::nullopt)
            self->copyEntry(*selected);
    };
    actions.deleteSelected = [self, visible] {
        if (const std::optional<QUuid> selected = self ? self->settledSelectionIn(visible) : std::nullopt)
            self->deleteFrom(*selected, visible);
    };
    actions.moveSelection = [self, visible](int step) {
        if (!self)
            return;
        self->validateSelection();
        self->m_state.setSelectedClipboardItemID(
            selectionMoved(self->m_state.selectedClipboardItemID(), step, visible));
    };
    m_state.setKeyboardActions(std::move(actions));
}

std::optional<QUuid> ClipboardPaneView::settledSelectionIn(const QList<QUuid> &visible)
{
    validateSelection();
    const std::optional<QUuid> selected = m_state.selectedClipboardItemID();
    return selected && visible.contains(*selected) ? selected : std::nullopt;
}

void ClipboardPaneView::scheduleSelectionValidation()
{
    m_validationPending = true;
    QTimer::singleShot(0, this, [this] { validateSelection(); });
}

void ClipboardPaneView::validateSelection()
{
    if (!std::exchange(m_validationPending, false))
        return;
    m_state.setSelectedClipboardItemID(selectionValidated(m_state.selectedClipboardItemID(), m_listing.ids));
}

void ClipboardPaneView::copyEntry(const QUuid &id)
{
    if (m_state.clipboardManager().copyToPasteboard(id) && m_state.dismissOnCopy())
        m_notifications.post(NotificationName::dismissHUD);
}

void ClipboardPaneView::copyItem(const QUuid &id)
{
    m_state.setSelectedClipboardItemID(id);
    copyEntry(id);
}

void ClipboardPaneView::deleteItem(const QUuid &id)
{
    deleteFrom(id, m_listing.ids);
}

void ClipboardPaneView::deleteFrom(const QUuid &id, const QList<QUuid> &visible)
{
    m_state.setSelectedClipboardItemID(selectionAfterRemoval(id, m_state.selectedClipboardItemID(), visible));
    m_state.clipboardManager().modelContext().remove(id);
    m_state.clipboardManager().saveContext();
}

void ClipboardPaneView::togglePin(const QUuid &id)
{
    ClipboardStore &store = m_state.clipboardManager().modelContext();
    StoreResult<std::optional<ClipboardItem>> found = store.fetchById(id, ClipboardStore::Payload::Skip);
    if (!found.ok()) {
        m_state.clipboardManager().reportPersistenceFailure(found.error(), QStringLiteral("fetch"));
        return;
    }
    if (!found.value())
        return;
    // Saved at once, alone: an unsaved pin would be lost to a crash or to the
    // rollback after any later failure, and the trim would then delete an entry
    // the user meant to keep forever.
    store.setPinned(id, !found.value()->isPinned);
    m_state.clipboardManager().saveContext();
}

void ClipboardPaneView::clearAll()
{
    m_state.clipboardManager().clearAll();
}
