#pragma once

#include <QPointF>

#include <functional>
#include <memory>

// One notch of the vertical wheel as the tap sees it.
struct ScrollEvent
{
    // Points the content moves: positive when it moves down (the wheel turned
    // towards the top of the content, X button 4), negative the other way.
    double deltaY = 0;
    // The pointer on the root window, in device pixels, y pointing down.
    QPointF position;
    // Seconds on the window system's clock, which never goes back.
    double timestamp = 0;
};

// An interception of every wheel event of the login session. One tap is served
// by one thread of its own (the tap thread), which calls install() and then
// run(); the other calls are safe from any thread.
//
// While a tap holds its grab, every wheel event of the session waits for the
// handler's answer: keep the handler tiny, and never let it wait for the main
// thread. Destroying the tap (whichever thread drops it last) releases all it holds.
class ScrollTap
{
public:
    // Tap thread: true swallows the event, false passes it on. An observing tap
    // ignores the answer.
    using Handler = std::function<bool(const ScrollEvent &)>;

    virtual ~ScrollTap() = default;

    // Tap thread. Sets up the interception: a grab that can swallow events, or,
    // when the grab is refused, observation only. False when neither works.
    virtual bool install() = 0;

    // Tap thread. Hands every wheel event to `handler` while the tap is enabled,
    // until interrupt() or the loss of the window system connection.
    virtual void run(const Handler &handler) = 0;

    // Makes run() return soon, or at once if it starts later. Never blocks.
    virtual void interrupt() = 0;

    // A disabled tap holds no grab and hands nothing to the handler: every event
    // passes untouched. Taps start enabled. Takes effect on the tap thread within
    // moments; events already waiting pass on untouched. Never blocks.
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

    // Whether the tap swallows what the handler asks for (false: observing only,
    // or not installed yet).
    virtual bool canSwallow() const = 0;

    // Last resort when the tap thread does not end: drops the interception at
    // once, whatever the tap thread is doing, so the session's scrolling can
    // never freeze on a stuck tap. The tap is useless afterwards. Never blocks.
    virtual void abandon() = 0;
};

// Opens taps on the session's window system. Main thread.
class ScrollTapFactory
{
public:
    virtual ~ScrollTapFactory() = default;

    // A new, enabled, not yet installed tap; nullptr when the session can't be
    // tapped (no X server, or one without XInput 2).
    virtual std::shared_ptr<ScrollTap> create() = 0;
};
