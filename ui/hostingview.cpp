#include "ui/hostingview.h"

#include "ui/font.h"
#include "ui/hostingviewaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

namespace ui {

namespace {
ColorScheme schemeOf(const QPalette &palette)
{
    // Qt 6.4 has no colour-scheme query: a dark window colour means a dark appearance.
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? ColorScheme::Dark : ColorScheme::Light;
}
} // namespace

HostingView::HostingView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_tree(std::make_unique<ViewTree>())
    , m_textSizeScale(systemTextSizeScale(screen()))
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(20);
    static const bool accessible = (QAccessible::installFactory(&HostingViewAccessible::create), true);
    Q_UNUSED(accessible);
    connectTree();
    applyEnvironment();
}

void HostingView::connectTree()
{
    m_tree->setNeedsRebuildHandler([this] { scheduleRebuild(); });
    m_tree->setNeedsLayoutHandler([this] { scheduleLayout(); });
    m_tree->setNeedsRepaintHandler([this] { viewport()->update(); });
    m_tree->setWillRemoveHandler([this](Element &subtree) { forgetElementsIn(subtree); });
    // Only one waits: replacing the root again before anything was painted (hidden)
    // frees the older one here.
    m_tree->setRetireHandler([this](ElementPtr old) { m_retired = std::move(old); });
}

double HostingView::viewportWidth(bool scrolls) const
{
    const QScrollBar *bar = verticalScrollBar();
    // A transient bar is drawn over the content and takes no room.
    const bool takesRoom = !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, bar);
    const double extent = takesRoom ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar) : 0;
    const double full = maximumViewportSize().width();
    return scrolls ? full - extent : full;
}

bool HostingView::scrolls(double contentHeight) const
{
    return std::ceil(contentHeight) > viewportHeight();
}

std::unique_ptr<ViewTree> HostingView::adoptTree(std::unique_ptr<ViewTree> tree, quint64 environmentRevision)
{
    forgetElements();
    std::unique_ptr<ViewTree> old = std::exchange(m_tree, std::move(tree));
    old->setNeedsRebuildHandler({});
    old->setNeedsLayoutHandler({});
    old->setNeedsRepaintHandler({});
    old->setWillRemoveHandler({});
    old->setRetireHandler({});
    // A late answer of the old tree's work must not reach it once it is handed away.
    old->store().setChangeHandler({});
    old->dropThreadBoundObjects();
    connectTree();
    // What was scheduled for the old tree does not concern this one.
    m_rebuildScheduled = false;
    m_layoutScheduled = false;
    m_treeRevision = environmentRevision;
    if (environmentRevision != m_environmentRevision) {
        applyEnvironment();
        scheduleRebuild();
    } else if (m_tree->width() != viewportWidth(scrolls(m_tree->contentSize().height()))) {
        scheduleLayout();
    }
    m_tree->store().releaseTasks();
    if (m_tree->needsRebuild())
        scheduleRebuild();
    relayout();
    return old;
}

HostingView::~HostingView()
{
    forgetElements();
}

void HostingView::setRootView(View root)
{
    // A tree left in an older look while its owner made a new one takes the current
    // look with its new root.
    if (!showsCurrentEnvironment())
        applyEnvironment();
    m_tree->setRoot(std::move(root));
    scheduleRebuild();
}

void HostingView::setEnvironment(EnvironmentValues environment)
{
    m_environment = std::move(environment);
    ++m_environmentRevision;
    applyEnvironment();
    scheduleRebuild();
}

EnvironmentValues HostingView::treeEnvironment() const
{
    EnvironmentValues environment = m_environment;
    if (!environment.contains<ColorSchemeKey>())
        environment.set<ColorSchemeKey>(schemeOf(palette()));
    if (!environment.contains<TextSizeScaleKey>())
        environment.set<TextSizeScaleKey>(m_textSizeScale);
    return environment;
}

void HostingView::applyEnvironment()
{
    m_tree->setEnvironment(treeEnvironment());
    m_treeRevision = m_environmentRevision;
}

QSize HostingView::sizeHint() const
{
    const QSizeF size = m_tree->contentSize();
    return QSize(std::max(100, int(std::ceil(size.width()))), std::max(100, int(std::ceil(size.height()))));
}

void HostingView::flush()
{
    if (m_rebuildScheduled || m_tree->needsRebuild()) {
        m_rebuildScheduled = false;
        m_layoutScheduled = false;
        // The tree knows whether its root view or environment changed, and then
        // resolves everything; otherwise only what read the state written since.
        m_tree->update(viewport()->width());
        relayout();
    } else if (m_layoutScheduled) {
        m_layoutScheduled = false;
        m_tree->layout(viewport()->width());
        relayout();
    }
}

void HostingView::scheduleRebuild()
{
    if (m_rebuildScheduled)
        return;
    m_rebuildScheduled = true;
    QTimer::singleShot(0, this, [this] { flush(); });
}

void HostingView::scheduleLayout()
{
    if (m_layoutScheduled || m_rebuildScheduled)
        return;
    m_layoutScheduled = true;
    QTimer::singleShot(0, this, [this] { flush(); });
}

void HostingView::relayout()
{
    const QSizeF size = m_tree->contentSize();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, int(std::ceil(size.height())) - viewport()->height()));
    viewport()->update();
    updateGeometry();
    ++m_accessibleRevision;
    // Only a listening assistive technology is told (which makes the interface):
    // it takes the tree again when it next asks.
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&changed);
    }
}

QRect HostingView::screenRect(const QRectF &contentFrame) const
{
    const QRectF shown = contentFrame.translated(0, -verticalScrollBar()->value());
    return QRect(viewport()->mapToGlobal(shown.topLeft().toPoint()), shown.size().toSize());
}

QRectF HostingView::visibleContentRect() const
{
    return QRectF(0, verticalScrollBar()->value(), viewport()->width(), viewport()->height());
}

void HostingView::forgetElements()
{
    if (m_focused)
        m_focused->focusLost();
    m_pressed = nullptr;
    m_hovered = nullptr;
    m_focused = nullptr;
}

void HostingView::forgetElementsIn(Element &subtree)
{
    auto inside = [&subtree](const Element *element) {
        for (; element; element = element->parent()) {
            if (element == &subtree)
                return true;
        }
        return false;
    };
    if (inside(m_focused)) {
        m_focused->focusLost();
        m_focused = nullptr;
    }
    if (inside(m_pressed))
        m_pressed = nullptr;
    if (inside(m_hovered))
        m_hovered = nullptr;
}

QPointF HostingView::toContent(QPointF viewportPoint) const
{
    return viewportPoint + QPointF(0, verticalScrollBar()->value());
}

void HostingView::paintEvent(QPaintEvent *)
{
    if (m_rebuildScheduled || m_layoutScheduled)
        flush();
    QPainter painter(viewport());
    const double offset = verticalScrollBar()->value();
    painter.translate(0, -offset);
    const QRectF exposed(0, offset, viewport()->width(), viewport()->height());
    m_tree->paint(painter, exposed);
    // Posted from here, it runs after the frame has reached the screen.
    if (m_retired && !m_releaseScheduled) {
        m_releaseScheduled = true;
        QTimer::singleShot(0, this, [this] { releaseRetired(); });
    }
}

void HostingView::releaseRetired()
{
    m_releaseScheduled = false;
    m_retired.reset();
}

void HostingView::hideEvent(QHideEvent *event)
{
    QAbstractScrollArea::hideEvent(event);
    releaseRetired();
}

void HostingView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!m_tree->root()) {
        scheduleRebuild();
        return;
    }
    if (m_tree->width() != viewport()->width())
        m_tree->layout(viewport()->width());
    // A height change alone moves the end of the scroll range.
    relayout();
}

void HostingView::mousePressEvent(QMouseEvent *event)
{
    flush();
    const QPointF point = toContent(event->position());
    Element *hit = m_tree->root() ? m_tree->root()->hitTest(point) : nullptr;
    if (m_focused && m_focused != hit) {
        m_focused->focusLost();
        m_focused = nullptr;
    }
    m_pressed = hit;
    if (!hit)
        return;
    if (hit->acceptsFocus())
        m_focused = hit;
    hit->mousePressed({ point, event->button(), event->modifiers() });
}

void HostingView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF point = toContent(event->position());
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        m_pressed->mouseMoved({ point, Qt::NoButton, event->modifiers() });
        return;
    }
    updateHover(point);
}

void HostingView::mouseReleaseEvent(QMouseEvent *event)
{
    Element *pressed = m_pressed;
    m_pressed = nullptr;
    const QPointF point = toContent(event->position());
    if (pressed)
        pressed->mouseReleased({ point, event->button(), event->modifiers() });
    // The action may have changed state; hover is worked out again on the next move.
}

void HostingView::updateHover(QPointF point)
{
    Element *hit = m_tree->root() ? m_tree->root()->hitTest(point) : nullptr;
    if (hit != m_hovered && m_hovered)
        m_hovered->hoverLeft();
    m_hovered = hit;
    if (hit) {
        hit->hoverMoved(point);
        viewport()->setCursor(hit->cursorAt(point));
    } else {
        viewport()->unsetCursor();
    }
}

void HostingView::leaveEvent(QEvent *event)
{
    if (m_hovered)
        m_hovered->hoverLeft();
    m_hovered = nullptr;
    viewport()->unsetCursor();
    QAbstractScrollArea::leaveEvent(event);
}

void HostingView::keyPressEvent(QKeyEvent *event)
{
    if (m_focused && m_focused->keyPressed(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void HostingView::wheelEvent(QWheelEvent *event)
{
    QPointF delta = event->pixelDelta();
    if (delta.isNull())
        delta = QPointF(event->angleDelta()) / 8.0 * (20.0 / 15.0);
    if (event->modifiers() & Qt::ShiftModifier && delta.x() == 0)
        delta = QPointF(delta.y(), 0);
    const QPointF point = toContent(event->position());
    for (Element *element = m_tree->root() ? m_tree->root()->hitTest(point) : nullptr; element;
         element = element->parent()) {
        if (element->wheelScrolled(delta)) {
            event->accept();
            return;
        }
    }
    // Nothing under the pointer takes the pointer: look for a scroller by position.
    std::function<bool(Element *)> scrollAt = [&](Element *element) -> bool {
        if (!element->paintBounds().contains(point))
            return false;
        for (auto it = element->children().rbegin(); it != element->children().rend(); ++it) {
            if (scrollAt(it->get()))
                return true;
        }
        return element->frame().contains(point) && element->wheelScrolled(delta);
    };
    if (delta.x() != 0 && m_tree->root() && scrollAt(m_tree->root())) {
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void HostingView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
}

bool HostingView::event(QEvent *event)
{
    // A shortcut of the window (or of the panel around it) must not take Ctrl+C or
    // Ctrl+A from a text whose selection is being copied.
    if (event->type() == QEvent::ShortcutOverride && m_focused && m_focused->acceptsFocus()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    // The desktop's font size is the user's text size; it reaches every widget, whatever
    // font the widget itself has.
    if (event->type() == QEvent::ApplicationFontChange)
        setTextSizeScale(systemTextSizeScale(screen()));
    return QAbstractScrollArea::event(event);
}

bool HostingView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QPointF point = toContent(help->pos());
        QString text;
        // The innermost element with a tool tip under the pointer.
        std::function<void(Element *)> find = [&](Element *element) {
            if (!element->paintBounds().contains(point))
                return;
            if (!element->toolTip().isEmpty() && element->frame().contains(point))
                text = element->toolTip();
            for (const ElementPtr &child : element->children())
                find(child.get());
        };
        if (m_tree->root())
            find(m_tree->root());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void HostingView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void HostingView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        environmentChanged();
    QAbstractScrollArea::changeEvent(event);
}

void HostingView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    // The window exists once shown, and may later move to a screen of other dots per
    // inch (another monitor).
    if (QWindow *window = this->window()->windowHandle())
        connect(window, &QWindow::screenChanged, this, &HostingView::followScreen, Qt::UniqueConnection);
    followScreen();
}

void HostingView::followScreen()
{
    QScreen *screen = this->screen();
    if (screen != m_screen) {
        disconnect(m_dotsPerInchConnection);
        m_screen = screen;
        // The desktop changes its dots per inch to scale text while the program runs.
        if (screen)
            m_dotsPerInchConnection
                = connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this](qreal dotsPerInch) {
                      setTextSizeScale(textSizeScale(QGuiApplication::font(), dotsPerInch));
                  });
    }
    setTextSizeScale(systemTextSizeScale(screen));
}

void HostingView::setTextSizeScale(double scale)
{
    if (scale == m_textSizeScale)
        return;
    m_textSizeScale = scale;
    environmentChanged();
}

void HostingView::environmentChanged()
{
    ++m_environmentRevision;
    if (!m_appearanceChange || !m_appearanceChange()) {
        applyEnvironment();
        scheduleRebuild();
    }
}

} // namespace ui
