#include "app/panelcontroller.h"

#include "app/quorvpanel.h"
#include "platform/globalclickmonitor.h"
#include "platform/log.h"

#include <QEasingCurve>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QVariantAnimation>

#include <cmath>

namespace {

const Log &log()
{
    static const Log instance("WindowManager");
    return instance;
}

// The ease-out curve of the platform's animations: a cubic Bézier (0, 0, 0.58, 1).
QEasingCurve easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

PanelController::PanelController(
    QuorvPanel &panel, GlobalClickMonitor &clickMonitor, NotificationCenter &center, QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_clickMonitor(clickMonitor)
{
    m_dismissObserver = center.addObserver(
        NotificationName::dismissHUD, [this](const Notification &) { hideImmediately(); });
    connect(&m_clickMonitor, &GlobalClickMonitor::pressed, this, &PanelController::handleClickOutside);
    connect(&m_panel, &QuorvPanel::closeRequested, this, &PanelController::hideImmediately);
}

PanelController::~PanelController()
{
    stopAnimation();
    removeClickMonitor();
}

void PanelController::setHostingView(QWidget *view)
{
    m_hostingView = view;
}

qreal PanelController::contentOpacity() const
{
    return m_panel.contentOpacity();
}

void PanelController::setContentOpacity(qreal opacity)
{
    m_panel.setContentOpacity(opacity);
}

QRect PanelController::targetFrame(const ScreenInfo &screen)
{
    const int height = int(std::floor(screen.geometry.height() * 0.4));
    const int topEdge = screen.geometry.top() + screen.topBarHeight();
    return QRect(screen.availableGeometry.left(), topEdge, screen.availableGeometry.width(), height);
}

void PanelController::showFrom(const QScreen *screen)
{
    const std::optional<ScreenInfo> info = ScreenInfo::preferring(screen);
    if (!info) {
        log().error(QStringLiteral("No screen to show the panel on"));
        return;
    }
    show(*info);
}

void PanelController::show(const ScreenInfo &screen)
{
    if (m_isVisible)
        return;
    stopAnimation();
    m_screen = screen;
    const QRect target = targetFrame(screen);
    if (m_hostingView)
        m_hostingView->setGeometry(0, 0, target.width(), target.height());
    setContentOpacity(0.0);
    m_panel.setGeometry(collapsedFrame(target.x(), target.width(), target.y()));
    m_panel.setWindowOpacity(0.0);
    m_panel.show();
    m_panel.raise();
    m_panel.activateWindow();

    auto *drop = new QParallelAnimationGroup;
    auto *frame = new QPropertyAnimation(&m_panel, "geometry", drop);
    frame->setDuration(dropMs);
    frame->setEasingCurve(easeOut());
    frame->setEndValue(target);
    auto *alpha = new QPropertyAnimation(&m_panel, "windowOpacity", drop);
    alpha->setDuration(dropMs);
    alpha->setEasingCurve(easeOut());
    alpha->setEndValue(1.0);
    drop->addAnimation(frame);
    drop->addAnimation(alpha);

    auto *fadeIn = new QVariantAnimation;
    fadeIn->setDuration(contentFadeInMs);
    fadeIn->setStartValue(0.0);
    fadeIn->setEndValue(1.0);
    connect(fadeIn, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { setContentOpacity(value.toReal()); });

    auto *sequence = new QSequentialAnimationGroup(this);
    sequence->addAnimation(drop);
    sequence->addAnimation(fadeIn);
    startTransition(sequence, true);

    m_isVisible = true;
    // Without XInput 2 no press is ever reported; Escape and the toggles still hide.
    m_clickMonitor.start();
    m_clickMonitorInstalled = true;
    if (onShow)
        onShow();
    log().debug(QStringLiteral("Panel shown on %1").arg(screen.name));
}

void PanelController::hide()
{
    if (!m_isVisible)
        return;
    stopAnimation();
    const std::optional<ScreenInfo> screen = m_screen ? m_screen : ScreenInfo::preferring(nullptr);
    const int topEdge = screen ? screen->geometry.top() + screen->topBarHeight() : m_panel.y();
    const QRect collapsed = collapsedFrame(m_panel.x(), m_panel.width(), topEdge);

    auto *fadeOut = new QVariantAnimation;
    fadeOut->setDuration(contentFadeOutMs);
    fadeOut->setStartValue(contentOpacity());
    fadeOut->setEndValue(0.0);
    connect(fadeOut, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { setContentOpacity(value.toReal()); });

    auto *collapse = new QParallelAnimationGroup;
    auto *frame = new QPropertyAnimation(&m_panel, "geometry", collapse);
    frame->setDuration(collapseMs);
    frame->setEndValue(collapsed);
    auto *alpha = new QPropertyAnimation(&m_panel, "windowOpacity", collapse);
    alpha->setDuration(collapseMs);
    alpha->setEndValue(0.0);
    collapse->addAnimation(frame);
    collapse->addAnimation(alpha);

    auto *sequence = new QSequentialAnimationGroup(this);
    sequence->addAnimation(fadeOut);
    sequence->addAnimation(collapse);
    startTransition(sequence, false);

    m_isVisible = false;
    removeClickMonitor();
    if (onHide)
        onHide();
    log().debug(QStringLiteral("Panel hidden"));
}

void PanelController::hideImmediately()
{
    if (!m_isVisible)
        return;
    stopAnimation();
    ++m_generation;
    m_panel.hide();
    setContentOpacity(1.0);
    m_isAnimating = false;
    m_isVisible = false;
    removeClickMonitor();
    if (onHide)
        onHide();
    if (onAnimationComplete)
        onAnimationComplete(false);
    log().debug(QStringLiteral("Panel hidden immediately"));
}

void PanelController::startTransition(QAbstractAnimation *animation, bool visibleAtEnd)
{
    const quint64 generation = ++m_generation;
    m_animation = animation;
    m_isAnimating = true;
    connect(animation, &QAbstractAnimation::finished, this, [this, generation, visibleAtEnd] {
        if (generation != m_generation)
            return; // a later show or hide took over
        if (!visibleAtEnd) {
            m_panel.hide();
            setContentOpacity(1.0);
        }
        m_animation->deleteLater();
        m_animation = nullptr;
        m_isAnimating = false;
        if (onAnimationComplete)
            onAnimationComplete(visibleAtEnd);
    });
    animation->start();
}

void PanelController::stopAnimation()
{
    if (!m_animation)
        return;
    // Stopping short of the end emits no `finished`; the generation guards the rest.
    QAbstractAnimation *animation = m_animation;
    m_animation = nullptr;
    animation->stop();
    animation->deleteLater();
}

void PanelController::removeClickMonitor()
{
    if (!m_clickMonitorInstalled)
        return;
    m_clickMonitor.stop();
    m_clickMonitorInstalled = false;
}

void PanelController::handleClickOutside(QPoint globalPosition)
{
    if (!m_isVisible || m_panel.geometry().contains(globalPosition))
        return;
    if (isOwnWindowAt && isOwnWindowAt(globalPosition))
        return;
    hide();
}
