#pragma once

#include "platform/notificationcenter.h"
#include "platform/screeninfo.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

class GlobalClickMonitor;
class QAbstractAnimation;
class QScreen;
class QuorvPanel;

// Places the panel under the top panel of a screen, drops it down and collapses it
// with its animations, and hides it on a press outside it or on the dismiss
// notification.
//
// States: hidden, dropping (visible, animating), shown (visible), collapsing
// (animating). `isVisible` turns true at the start of a show and false at the start
// of a hide, so a toggle during the collapse starts a new show. Every show or hide
// starts a new transition and stops the running animation; the completion of a
// superseded transition does nothing, so the panel is never ordered out while
// visible and a stale "visible" is never reported.
//
// The panel and the click monitor must outlive the controller. Main thread only.
class PanelController : public QObject
{
    Q_OBJECT
public:
    static constexpr int dropMs = 230;
    static constexpr int contentFadeInMs = 150;
    static constexpr int contentFadeOutMs = 100;
    static constexpr int collapseMs = 180;

    PanelController(QuorvPanel &panel, GlobalClickMonitor &clickMonitor,
        NotificationCenter &center = NotificationCenter::defaultCenter(), QObject *parent = nullptr);
    ~PanelController() override;

    // The root view; shown at the panel's full size, and the panel's content faded in
    // after the drop.
    void setHostingView(QWidget *view);
    QWidget *hostingView() const { return m_hostingView; }
    qreal contentOpacity() const;

    void show(const ScreenInfo &screen);
    // On `screen`, else the primary screen, else the first; nothing without screens.
    void showFrom(const QScreen *screen);
    void hide();
    void hideImmediately();
    void removeClickMonitor();
    // A press at `globalPosition` anywhere on the display.
    void handleClickOutside(QPoint globalPosition);

    bool isVisible() const { return m_isVisible; }
    bool isAnimating() const { return m_isAnimating; }
    bool isClickMonitorInstalled() const { return m_clickMonitorInstalled; }
    // The running transition's animation, none between transitions (tests jump it to its end).
    QAbstractAnimation *runningAnimation() const { return m_animation; }

    // The panel's frame on `screen`: under the top panel, across the visible width,
    // 40% of the screen's height rounded down.
    static QRect targetFrame(const ScreenInfo &screen);
    // X11 windows can't be 0 px high: the collapsed panel is a 1-px line at the top edge.
    static QRect collapsedFrame(int x, int width, int topEdge) { return QRect(x, topEdge, width, 1); }

    std::function<void()> onShow;
    std::function<void()> onHide;
    std::function<void(bool)> onAnimationComplete; // the visibility the finished animation produced
    // Presses inside the program's own windows (its tray icon) are not "outside": the
    // toggle they cause must see the panel as it was.
    std::function<bool(QPoint)> isOwnWindowAt;

private:
    void startTransition(QAbstractAnimation *animation, bool visibleAtEnd);
    void stopAnimation();
    void setContentOpacity(qreal opacity);

    QuorvPanel &m_panel;
    GlobalClickMonitor &m_clickMonitor;
    NotificationToken m_dismissObserver;
    QPointer<QWidget> m_hostingView;
    QAbstractAnimation *m_animation = nullptr;
    std::optional<ScreenInfo> m_screen; // where the panel was last shown
    quint64 m_generation = 0;
    bool m_isVisible = false;
    bool m_isAnimating = false;
    bool m_clickMonitorInstalled = false;
};
