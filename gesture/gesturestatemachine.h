#pragma once

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

// A screen as the recogniser sees it: its name (how the main thread finds the
// screen again) and its frame in the desktop's bottom-left, y-up space, where
// the primary screen's bottom-left corner is the origin and a top edge is a
// frame's maximum y.
struct GestureScreen
{
    QString name;
    QRectF frame;
};

// What a finished pull-down asks for: the panel on the named screen, or gone.
struct GestureAction
{
    enum class Kind : std::uint8_t { Show, Hide };
    Kind kind = Kind::Hide;
    QString screen; // Show only: the name of the screen the gesture was made on

    static GestureAction show(const QString &screen) { return { Kind::Show, screen }; }
    static GestureAction hide() { return { Kind::Hide, {} }; }
    friend bool operator==(const GestureAction &, const GestureAction &) = default;
};

// The answer to one scroll event: at most one action, and whether the event is
// to be swallowed so that the window under the pointer does not scroll.
struct GestureStep
{
    std::optional<GestureAction> action;
    bool consumed = false;
    friend bool operator==(const GestureStep &, const GestureStep &) = default;
};

// Recognises the pull-down: scrolling downwards with the pointer pressed against
// the top edge of a screen shows the panel there; the same movement the other way
// while the panel is shown hides it.
//
// A plain value with no threads, timers or handles. It runs for every wheel event
// of the session while the owner holds its lock, so a step allocates nothing and
// looks at the screen list once. The owner writes the panel's visibility, resets
// the machine after every visibility change, and replaces it to clear it fully.
class GestureStateMachine
{
public:
    enum class State : std::uint8_t { Idle, Recognizing, Triggered };

    // Fixed tuning, not settings.
    static constexpr double activationZone = 8.0; // points below a screen's top edge
    static constexpr double scrollThreshold = 55.0;
    static constexpr double jitterThreshold = 0.8;
    static constexpr double scrollTimeout = 0.3; // seconds between counted events

    // `naturalScrolling` is the user's direction setting (see ScrollDirection).
    explicit GestureStateMachine(bool naturalScrolling = true)
        : m_isNaturalScrolling(naturalScrolling)
    { }

    // One wheel event. `deltaY` is positive when the content moves down (the
    // wheel turned towards the top of the content), `x`/`y` are in the y-up space
    // of `screens`, whose first entry is the primary screen, and `timestamp` is
    // in seconds on a clock that never goes back.
    GestureStep process(
        std::span<const GestureScreen> screens, double deltaY, double x, double y, double timestamp);

    // Back to idle with nothing accumulated; the visibility, the direction and
    // the time of the last counted event stay.
    void reset();

    State state() const { return m_state; }
    double accumulatedDelta() const { return m_accumulatedDelta; }
    double lastScrollTime() const { return m_lastScrollTime; }

    bool isPanelVisible() const { return m_isPanelVisible; }
    void setPanelVisible(bool visible) { m_isPanelVisible = visible; }

    bool isNaturalScrolling() const { return m_isNaturalScrolling; }
    void setNaturalScrolling(bool natural) { m_isNaturalScrolling = natural; }

private:
    State m_state = State::Idle;
    double m_accumulatedDelta = 0;
    bool m_isPanelVisible = false;
    double m_lastScrollTime = 0;
    bool m_isNaturalScrolling = true;
};
