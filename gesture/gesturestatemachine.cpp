#include "gesture/gesturestatemachine.h"

#include <cmath>

namespace {

// Frames are in the y-up space: QRectF's "top" is the lowest y, so name the edges plainly.
double minY(const QRectF &f)
{
    return f.y();
}
double maxY(const QRectF &f)
{
    return f.y() + f.height();
}

bool containsHalfOpen(const QRectF &f, double x, double y)
{
    return f.left() <= x && x < f.right() && minY(f) <= y && y < maxY(f);
}

// The screen of a position: the first frame that holds it. A pointer pressed
// against a top edge lies exactly on the frame's maximum y, which the half-open
// rule leaves out, so the first frame whose top edge it lies on comes next:
// otherwise the top row of every screen but the primary would count as the
// primary's. A position on no screen belongs to the primary.
const GestureScreen &screenAt(std::span<const GestureScreen> screens, double x, double y)
{
    const GestureScreen *onTopEdge = nullptr;
    for (const GestureScreen &screen : screens) {
        const QRectF &f = screen.frame;
        if (containsHalfOpen(f, x, y))
            return screen;
        if (!onTopEdge && y == maxY(f) && f.left() <= x && x < f.right())
            onTopEdge = &screen;
    }
    return onTopEdge ? *onTopEdge : screens.front();
}

} // namespace

GestureStep GestureStateMachine::process(
    std::span<const GestureScreen> screens, double deltaY, double x, double y, double timestamp)
{
    // After the flip a positive delta is the pull-down whatever the direction setting.
    const double d = m_isNaturalScrolling ? deltaY : -deltaY;

    if (std::abs(deltaY) < jitterThreshold)
        return { std::nullopt, m_state == State::Triggered };

    if (m_state == State::Recognizing && timestamp - m_lastScrollTime > scrollTimeout)
        reset();
    m_lastScrollTime = timestamp;

    if (screens.empty())
        return {};
    const GestureScreen &screen = screenAt(screens, x, y);
    const double gap = maxY(screen.frame) - y;
    const bool inZone = gap >= 0 && gap <= activationZone;

    switch (m_state) {
    case State::Idle:
        if (inZone && ((!m_isPanelVisible && d > 0) || (m_isPanelVisible && d < 0))) {
            m_state = State::Recognizing;
            m_accumulatedDelta = d;
        }
        return {};
    case State::Recognizing:
        if (!inZone) {
            reset();
            return {};
        }
        m_accumulatedDelta += d;
        if (!m_isPanelVisible && m_accumulatedDelta >= scrollThreshold) {
            m_state = State::Triggered;
            return { GestureAction::show(screen.name), true };
        }
        if (m_isPanelVisible && m_accumulatedDelta <= -scrollThreshold) {
            m_state = State::Triggered;
            return { GestureAction::hide(), true };
        }
        return {};
    case State::Triggered:
        return { std::nullopt, inZone };
    }
    return {};
}

void GestureStateMachine::reset()
{
    m_state = State::Idle;
    m_accumulatedDelta = 0;
}
