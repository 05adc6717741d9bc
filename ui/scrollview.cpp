#include "ui/view.h"

#include <QPainter>

#include <algorithm>

namespace ui {

namespace {

constexpr double indicatorThickness = 3;

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
        const double next = std::clamp(*m_offset - step, 0.0, limit);
        if (next == *m_offset)
            return false;
        // Written without a rebuild: scrolling moves the content only.
        m_offset.setWithoutRebuild(next);
        place(m_frame, m_proposal);
        requestRepaint();
        return true;
    }

    bool acceptsPointer() const override { return false; }

protected:
    QSizeF measure(const ProposedSize &proposal) override
    {
        const QSizeF content = this->content().sizeThatFits(contentProposal(proposal));
        if (m_axis == Axis::Horizontal)
            return { proposal.width.value_or(content.width()), content.height() };
        return { content.width(), proposal.height.value_or(content.height()) };
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        m_proposal = proposal;
        const ProposedSize offer = contentProposal(proposal);
        QSizeF size = content().sizeThatFits(offer);
        if (m_axis == Axis::Horizontal)
            size.setWidth(std::max(size.width(), m_frame.width()));
        else
            size.setHeight(std::max(size.height(), m_frame.height()));
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
        const double offset = std::clamp(*m_offset, 0.0, limit);
        if (m_axis == Axis::Horizontal) {
            const double ratio = m_frame.width() / m_contentSize.width();
            const double length = std::max(16.0, m_frame.width() * ratio);
            const double x = m_frame.x() + (m_frame.width() - length) * (offset / limit);
            painter.fillRect(QRectF(x, m_frame.bottom() - indicatorThickness, length, indicatorThickness),
                m_indicatorColor);
        } else {
            const double ratio = m_frame.height() / m_contentSize.height();
            const double length = std::max(16.0, m_frame.height() * ratio);
            const double y = m_frame.y() + (m_frame.height() - length) * (offset / limit);
            painter.fillRect(QRectF(m_frame.right() - indicatorThickness, y, indicatorThickness, length),
                m_indicatorColor);
        }
    }

private:
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
    ProposedSize m_proposal;
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
