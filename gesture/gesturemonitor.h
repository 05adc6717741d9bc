#pragma once

#include "gesture/gesturestatemachine.h"
#include "gesture/screensnapshot.h"
#include "gesture/scrolldirection.h"
#include "platform/log.h"

#include <QObject>
#include <QTimer>

#include <memory>

class GestureMonitorDelegate;
class QScreen;
class QThread;
class ScrollTap;
class ScrollTapFactory;

// Watches every wheel event of the session for the pull-down, on a thread of its
// own ("com.quorvane.gesture-monitor") so that scrolling never waits for the main
// thread, swallows the events the recogniser consumes, and hands show and hide
// requests to its delegate on the main thread.
//
// Every public call is for the main thread. The tap thread's work per event is
// one short lock, the recogniser's arithmetic and, when it fires, one post to
// the main queue; it never waits for the main thread.
//
// The setting wins: after disable() nothing turns the tap on again but enable().
class GestureMonitor : public QObject
{
    Q_OBJECT
public:
    // `taps` and the sources of `direction` must outlive the monitor.
    GestureMonitor(ScrollTapFactory &taps, const ScrollDirection &direction, QObject *parent = nullptr);
    // Stops first.
    ~GestureMonitor() override;

    // Not owned; the delegate (the application) outlives the monitor or clears it.
    GestureMonitorDelegate *delegate() const { return m_delegate; }
    void setDelegate(GestureMonitorDelegate *delegate) { m_delegate = delegate; }

    // Opens the tap and starts its thread, waiting at most a second for it to
    // report. Without a tappable session it logs and stays stopped; a later
    // start() tries again. Does nothing while started.
    void start();
    // Drops the tap and ends its thread, waiting at most half a second; a thread
    // that does not end in time is cut off from the X server so that no grab
    // outlives the call. Does nothing while stopped.
    void stop();
    bool isStarted() const { return m_tap != nullptr; }

    // The gesture setting: off lets every event pass and clears the recogniser;
    // on reads the scrolling direction again and tells the recogniser whether
    // the panel is shown now.
    void disable();
    void enable();
    bool isDisabled() const { return m_disabled; }

    // The panel finished showing (true) or hiding (false). The recogniser is
    // reset a moment later, once the scrolling that caused it has died down.
    void setPanelVisible(bool visible);

    // Replaces the screens the tap thread measures against; the monitor keeps
    // them current by itself when the application's screens change.
    void publishScreens(ScreenSnapshot snapshot);

    // A copy of the recogniser, for looking at.
    GestureStateMachine stateMachine() const;

    static constexpr int startupTimeoutMs = 1000;
    static constexpr int stopTimeoutMs = 500;
    static constexpr int graceResetMs = 100;

private:
    struct Core;

    void perform(const GestureAction &action);
    void watchScreen(QScreen *screen);
    void resetRecognizer();

    Log m_log { "GestureMonitor" };
    ScrollTapFactory &m_taps;
    ScrollDirection m_direction;
    GestureMonitorDelegate *m_delegate = nullptr;
    // Shared with the tap thread, which may outlive a stop() that timed out.
    std::shared_ptr<Core> m_core;
    std::shared_ptr<ScrollTap> m_tap; // present while started
    std::unique_ptr<QThread> m_thread;
    QTimer m_graceTimer;
    bool m_disabled = false;
    bool m_panelVisible = false; // as last reported, for enable()
};
