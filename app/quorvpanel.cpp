#include "app/quorvpanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal cornerRadius = 12.0;

} // namespace

// The panel's background laid over the content while it fades. Not opaque, so each
// change repaints everything under it first; hidden while the content shows in full.
class QuorvPanel::Veil final : public QWidget
{
public:
    explicit Veil(QuorvPanel &panel)
        : QWidget(&panel)
        , m_panel(panel)
    {
        setObjectName(QStringLiteral("contentVeil"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const qreal shown = m_panel.contentOpacity();
        if (m_panel.m_translucent) {
            // Under a see-through background laid over at 1 - shown, the content would
            // show through by more than `shown`: scale it down, then add the background.
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.fillRect(rect(), QColor(0, 0, 0, int(std::round(shown * 255))));
            painter.setCompositionMode(QPainter::CompositionMode_Plus);
        }
        painter.setOpacity(1.0 - shown);
        m_panel.paintBackground(painter);
    }

private:
    QuorvPanel &m_panel;
};

QuorvPanel::QuorvPanel(bool translucent)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_veil(new Veil(*this))
    , m_translucent(translucent)
{
    setWindowTitle(QStringLiteral("Quorvane"));
    setObjectName(QStringLiteral("QuorvPanel"));
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setFocusPolicy(Qt::StrongFocus);
    // Key presses go to the focused child first; an application filter lets the panel
    // decide before any child, as the window's own event dispatch would.
    qApp->installEventFilter(this);
}

QuorvPanel::~QuorvPanel()
{
    qApp->removeEventFilter(this);
}

void QuorvPanel::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (m_content) {
        m_content->setParent(this);
        m_content->setGeometry(rect());
        m_content->show();
    }
    m_veil->raise();
}

void QuorvPanel::setContentOpacity(qreal opacity)
{
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == m_contentOpacity)
        return;
    m_contentOpacity = opacity;
    m_veil->setVisible(opacity < 1.0);
    m_veil->update();
}

bool QuorvPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !onKeyDown)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    // Qt offers a key press to each parent in turn while it is ignored; only its first
    // receiver (the window's focus widget, or the window itself) asks the hook. The
    // window's own focus widget, not the application's: that one is unset until the
    // window system's activation has been handled, and keys typed right after the
    // panel appears may come in before it (a busy machine).
    QWidget *firstReceiver = focusWidget() ? focusWidget() : this;
    if (widget != firstReceiver)
        return false;
    return onKeyDown(static_cast<QKeyEvent *>(event));
}

void QuorvPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBackground(painter);
}

void QuorvPanel::paintBackground(QPainter &painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor base = palette().color(QPalette::Window);
    if (!m_translucent) {
        painter.fillRect(rect(), base);
        return;
    }
    // Round only the lower corners: the top edge sits against the top panel.
    QPainterPath path;
    const QRectF r = rect();
    path.moveTo(r.topLeft());
    path.lineTo(r.topRight());
    path.lineTo(r.right(), r.bottom() - cornerRadius);
    path.quadTo(r.bottomRight(), QPointF(r.right() - cornerRadius, r.bottom()));
    path.lineTo(r.left() + cornerRadius, r.bottom());
    path.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - cornerRadius));
    path.closeSubpath();
    QColor fill = base;
    fill.setAlphaF(0.92);
    painter.fillPath(path, fill);
}

void QuorvPanel::resizeEvent(QResizeEvent *)
{
    m_veil->setGeometry(rect());
}

void QuorvPanel::closeEvent(QCloseEvent *event)
{
    // Accepted, or the application's quit would be refused; the controller must learn
    // of it or it would believe the panel still shown.
    event->accept();
    Q_EMIT closeRequested();
}
