#include "ui/view.h"

#include <QPainter>

#include <algorithm>

namespace ui {

namespace {

constexpr double indicatorThickness = 3;
// The band along the indicator's edge that takes a press: wider than the indicator,
// which would be hard to hit at three points.
constexpr double indicatorGrip = 10;
constexpr double minimumIndicatorLength = 16;

// Shows its content at the content's ideal length along the scrolling axis, clipped to
// its own frame, and scrolls it with the wheel. The offset is kept by identity, so a
// rebuild does not jump back to the start.
class ScrollElement final : public Element
{
public:
    ScrollElement(Axis axis, bool showsIndicators, State<double> offset, QColor indicatorColor)
        : m_axis(axis)
        , m_showsIndicators(showsIndicators)
        , m_offset(std::move(offset))
        , m_indicatorColor(indicatorColor)
    { }

    Element &content() const { return *children().front(); }

    bool wheelScrolled(QPointF delta) override
    {
        const double step = m_axis == Axis::Horizontal ? delta.x() : delta.y();
        const double limit = overflow();
        if (step == 0 || limit <= 0)
            return false;
        return scrollTo(std::clamp(*m_offset - step, 0.0, limit));
    }

    bool acceptsPointer() const override { return false; }

    // The indicator's band takes presses ahead of the content: a drag there moves the
    // content as far as the indicator moves along its track, a press beside the
    // indicator first centres the indicator on the pointer.
    bool capturesPointerAt(QPointF point) const override
    {
        if (!m_showsIndicators || overflow() <= 0 || !m_frame.contains(point))
            return false;
        return m_axis == Axis::Horizontal ? point.y() >= m_frame.bottom() - indicatorGrip
                                          : point.x() >= m_frame.right() - indicatorGrip;
    }

    void mousePressed(const PointerEvent &event) override
    {
        m_dragging = event.button == Qt::LeftButton && overflow() > 0;
        if (!m_dragging)
            return;
        const double position = along(event.position);
        const double start = indicatorStart();
        if (position < start || position > start + indicatorLength()) {
            scrollIndicatorTo(position - indicatorLength() / 2);
            m_grab = indicatorLength() / 2;
        } else {
            m_grab = position - start;
        }
    }

    void mouseMoved(const PointerEvent &event) override
    {
        if (m_dragging)
            scrollIndicatorTo(along(event.position) - m_grab);
    }

    void mouseReleased(const PointerEvent &) override { m_dragging = false; }

protected:
    QSizeF measure(const ProposedSize &proposal) override
    {
        const QSizeF content = this->content().sizeThatFits(contentProposal(proposal));
        if (m_axis == Axis::Horizontal)
            return { proposal.width.value_or(content.width()), content.height() };
        return { content.width(), proposal.height.value_or(content.height()) };
    }

    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        return content().baseline(contentProposal(proposal), last);
    }
    ProposalAxes proposalAxes() override { return {}; }

    void placeChildren(const ProposedSize &proposal) override
    {
        const ProposedSize offer = contentProposal(proposal);
        // Content shorter than the scroller keeps its own length and starts at the
        // leading (top) edge, as a line of code or a short note does.
        const QSizeF size = content().sizeThatFits(offer);
        m_contentSize = size;
        const double offset = std::clamp(*m_offset, 0.0, std::max(0.0, overflow()));
        const QPointF origin = m_axis == Axis::Horizontal ? QPointF(m_frame.x() - offset, m_frame.y())
                                                          : QPointF(m_frame.x(), m_frame.y() - offset);
        content().place(QRectF(origin, size), offer);
    }

    bool clipsChildren() const override { return true; }

    void paintOverlay(QPainter &painter, const QRectF &) const override
    {
        const double limit = overflow();
        if (!m_showsIndicators || limit <= 0)
            return;
        const double start = indicatorStart();
        const double length = indicatorLength();
        if (m_axis == Axis::Horizontal) {
            painter.fillRect(QRectF(start, m_frame.bottom() - indicatorThickness, length, indicatorThickness),
                m_indicatorColor);
        } else {
            painter.fillRect(QRectF(m_frame.right() - indicatorThickness, start, indicatorThickness, length),
                m_indicatorColor);
        }
    }

private:
    double along(QPointF point) const { return m_axis == Axis::Horizontal ? point.x() : point.y(); }
    double trackStart() const { return m_axis == Axis::Horizontal ? m_frame.x() : m_frame.y(); }
    double trackLength() const { return m_axis == Axis::Horizontal ? m_frame.width() : m_frame.height(); }
    double contentLength() const
    {
        return m_axis == Axis::Horizontal ? m_contentSize.width() : m_contentSize.height();
    }

    // As long as the visible part is of the whole, never shorter than can be grabbed.
    double indicatorLength() const
    {
        const double track = trackLength();
        return std::min(track, std::max(minimumIndicatorLength, track * track / contentLength()));
    }

    double indicatorStart() const
    {
        const double limit = overflow();
        const double offset = limit > 0 ? std::clamp(*m_offset, 0.0, limit) : 0.0;
        return trackStart() + (trackLength() - indicatorLength()) * (limit > 0 ? offset / limit : 0.0);
    }

    void scrollIndicatorTo(double indicatorPosition)
    {
        const double travel = trackLength() - indicatorLength();
        const double limit = overflow();
        if (travel <= 0 || limit <= 0)
            return;
        const double fraction = std::clamp((indicatorPosition - trackStart()) / travel, 0.0, 1.0);
        scrollTo(fraction * limit);
    }

    // False when the content is already there.
    bool scrollTo(double offset)
    {
        if (offset == *m_offset)
            return false;
        // Written without a rebuild: scrolling moves the content only.
        m_offset.setWithoutRebuild(offset);
        placeAgain();
        requestRepaint();
        return true;
    }

    ProposedSize contentProposal(const ProposedSize &proposal) const
    {
        if (m_axis == Axis::Horizontal)
            return { std::nullopt, proposal.height };
        return { proposal.width, std::nullopt };
    }

    double overflow() const
    {
        return m_axis == Axis::Horizontal ? m_contentSize.width() - m_frame.width()
                                          : m_contentSize.height() - m_frame.height();
    }

    Axis m_axis;
    bool m_showsIndicators;
    State<double> m_offset;
    QColor m_indicatorColor;
    QSizeF m_contentSize;
    bool m_dragging = false;
    double m_grab = 0; // where along the indicator the drag holds it
};

} // namespace

View ScrollView(Axis axis, const View &content, bool showsIndicators)
{
    return View::make([axis, content, showsIndicators](
                          const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        State<double> offset = scope.store().state<double>(scope.identity(), 0.0);
        auto element = std::make_unique<ScrollElement>(axis, showsIndicators, offset,
            Color::secondary().opacity(0.6).resolve(env.get<ColorSchemeKey>()));
        EnvironmentValues inner = env;
        if (inner.get<StackAxisKey>())
            inner.set<StackAxisKey>(std::nullopt);
        element->addChild(content.resolve(inner, scope.child(0)));
        return element;
    });
}

} // namespace ui
