#include "ui/view.h"

#include "ui/cancellation.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

quint64 mix(quint64 a, quint64 b)
{
    quint64 x = a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
    x ^= x >> 31;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 29;
    return x;
}

double clampProposal(double value)
{
    return std::max(0.0, value);
}

std::optional<double> inset(std::optional<double> length, double by)
{
    if (!length)
        return std::nullopt;
    return clampProposal(*length - by);
}

class EmptyElement final : public Element
{
public:
    bool isEmpty() const override { return true; }

protected:
    ProposalAxes proposalAxes() override { return ProposalAxes::none(); }
    QSizeF measure(const ProposedSize &) override { return { 0, 0 }; }
};

// Paints a shape in whatever size it is given: colours and filled shapes are views.
class ShapeElement final : public Element
{
public:
    enum class Mode { Fill, Stroke, StrokeBorder };
    ShapeElement(Shape shape, QColor color, Mode mode, StrokeStyle style)
        : m_shape(shape)
        , m_color(color)
        , m_mode(mode)
        , m_style(std::move(style))
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return proposal.replacingUnspecified(); }

    void paintContent(QPainter &painter, const QRectF &) const override
    {
        if (m_mode == Mode::Fill)
            m_shape.paintFill(painter, m_frame, m_color);
        else
            m_shape.paintStroke(painter, m_frame, m_color, m_style, m_mode == Mode::StrokeBorder);
    }

private:
    Shape m_shape;
    QColor m_color;
    Mode m_mode;
    StrokeStyle m_style;
};

QColor foregroundOf(const EnvironmentValues &env)
{
    const Color color = env.get<ForegroundColorKey>().value_or(Color::primary());
    return color.resolve(env.get<ColorSchemeKey>());
}

// Base of the wrappers with one content child, which they measure and place.
class ContentElement : public Element
{
public:
    Element &content() const { return *children().front(); }

protected:
    // Sized by the content for the proposal it was given.
    ProposalAxes proposalAxes() override { return content().followedAxes(); }
};

class PaddingElement final : public ContentElement
{
public:
    explicit PaddingElement(EdgeInsets insets)
        : m_insets(insets)
    { }

protected:
    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        if (auto line = content().baseline(inner(proposal), last))
            return *line + m_insets.top;
        return std::nullopt;
    }

    QSizeF measure(const ProposedSize &proposal) override
    {
        const QSizeF size = content().sizeThatFits(inner(proposal));
        return { size.width() + m_insets.horizontal(), size.height() + m_insets.vertical() };
    }

    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        return content().widthThatFits(inner(proposal)) + m_insets.horizontal();
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        const QRectF rect
            = m_frame.adjusted(m_insets.leading, m_insets.top, -m_insets.trailing, -m_insets.bottom);
        content().place(QRectF(rect.topLeft(), rect.size().expandedTo(QSizeF(0, 0))), inner(proposal));
    }

private:
    ProposedSize inner(const ProposedSize &proposal) const
    {
        return { inset(proposal.width, m_insets.horizontal()), inset(proposal.height, m_insets.vertical()) };
    }

    EdgeInsets m_insets;
};

QPointF alignedOrigin(const QRectF &container, QSizeF child, Alignment alignment)
{
    VerticalAlignment vertical = alignment.vertical;
    if (vertical == VerticalAlignment::FirstTextBaseline || vertical == VerticalAlignment::LastTextBaseline)
        vertical = VerticalAlignment::Top;
    return { container.x() + alignOffset(alignment.horizontal, container.width(), child.width()),
        container.y() + alignOffset(vertical, container.height(), child.height()) };
}

// Fixed frames and flexible ones (minimum, ideal and maximum per axis).
class FrameElement final : public ContentElement
{
public:
    explicit FrameElement(const FlexibleFrame &frame)
        : m_frame(frame)
    { }

protected:
    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        return content().baseline(childProposal(proposal), last);
    }

    ProposalAxes proposalAxes() override
    {
        const ProposalAxes bounded { m_frame.minWidth || m_frame.idealWidth || m_frame.maxWidth,
            m_frame.minHeight || m_frame.idealHeight || m_frame.maxHeight };
        return bounded | content().followedAxes();
    }

    QSizeF measure(const ProposedSize &proposal) override
    {
        const ProposedSize childProposal = this->childProposal(proposal);
        const QSizeF child = content().sizeThatFits(childProposal);
        return { dimension(
                     proposal.width, child.width(), m_frame.minWidth, m_frame.idealWidth, m_frame.maxWidth),
            dimension(
                proposal.height, child.height(), m_frame.minHeight, m_frame.idealHeight, m_frame.maxHeight) };
    }

    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        const double child = content().widthThatFits(childProposal(proposal));
        return dimension(proposal.width, child, m_frame.minWidth, m_frame.idealWidth, m_frame.maxWidth);
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        // The child is offered this frame's size along the axes the frame sets, and
        // what the frame itself was offered along the others.
        ProposedSize childProposal = this->childProposal(proposal);
        if (m_frame.minWidth || m_frame.maxWidth || m_frame.idealWidth)
            childProposal.width = Element::m_frame.width();
        if (m_frame.minHeight || m_frame.maxHeight || m_frame.idealHeight)
            childProposal.height = Element::m_frame.height();
        const QSizeF child = content().sizeThatFits(childProposal);
        content().place(
            QRectF(alignedOrigin(Element::m_frame, child, m_frame.alignment), child), childProposal);
    }

private:
    ProposedSize childProposal(const ProposedSize &proposal) const
    {
        return { axisProposal(proposal.width, m_frame.minWidth, m_frame.idealWidth, m_frame.maxWidth),
            axisProposal(proposal.height, m_frame.minHeight, m_frame.idealHeight, m_frame.maxHeight) };
    }

    static std::optional<double> axisProposal(std::optional<double> proposed, std::optional<double> min,
        std::optional<double> ideal, std::optional<double> max)
    {
        std::optional<double> value = proposed ? proposed : ideal;
        if (!value)
            return std::nullopt;
        if (max)
            value = std::min(*value, *max);
        if (min)
            value = std::max(*value, *min);
        return value;
    }

    static double dimension(std::optional<double> proposed, double child, std::optional<double> min,
        std::optional<double> ideal, std::optional<double> max)
    {
        if (!min && !max) {
            // A fixed frame sets the size; a frame without bounds on this axis hugs.
            if (ideal && !proposed)
                return *ideal;
            return child;
        }
        const double offered = proposed ? *proposed : (ideal ? *ideal : child);
        double result = child;
        if (min && max) {
            result = offered;
        } else if (min && offered < child) {
            result = offered;
        } else if (max && offered > child) {
            result = offered;
        }
        if (max)
            result = std::min(result, *max);
        if (min)
            result = std::max(result, *min);
        return result;
    }

    FlexibleFrame m_frame;
};

// A fixed frame: the given dimensions, the child's along the others.
class FixedFrameElement final : public ContentElement
{
public:
    FixedFrameElement(std::optional<double> width, std::optional<double> height, Alignment alignment)
        : m_width(width)
        , m_height(height)
        , m_alignment(alignment)
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override
    {
        const QSizeF child = content().sizeThatFits(childProposal(proposal));
        return { m_width.value_or(child.width()), m_height.value_or(child.height()) };
    }

    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        return m_width ? *m_width : content().widthThatFits(childProposal(proposal));
    }

    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        return content().baseline(childProposal(proposal), last);
    }

    // A dimension the frame fixes is never read, and with both fixed nothing is.
    ProposalAxes proposalAxes() override
    {
        if (m_width && m_height)
            return ProposalAxes::none();
        const ProposalAxes content = this->content().followedAxes();
        return { !m_width && content.width, !m_height && content.height };
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        const ProposedSize offer = childProposal(proposal);
        const QSizeF child = content().sizeThatFits(offer);
        content().place(QRectF(alignedOrigin(m_frame, child, m_alignment), child), offer);
    }

private:
    ProposedSize childProposal(const ProposedSize &proposal) const
    {
        return { m_width ? m_width : proposal.width, m_height ? m_height : proposal.height };
    }

    std::optional<double> m_width;
    std::optional<double> m_height;
    Alignment m_alignment;
};

// Wrappers that offer their content another proposal than their own and centre it in
// whatever frame they get.
class ReproposingElement : public ContentElement
{
protected:
    virtual ProposedSize childProposal(const ProposedSize &proposal) = 0;

    QSizeF measure(const ProposedSize &proposal) override
    {
        return content().sizeThatFits(childProposal(proposal));
    }

    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        return content().widthThatFits(childProposal(proposal));
    }

    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        return content().baseline(childProposal(proposal), last);
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        const ProposedSize offer = childProposal(proposal);
        const QSizeF child = content().sizeThatFits(offer);
        content().place(QRectF(alignedOrigin(m_frame, child, Alignment::center()), child), offer);
    }
};

class FixedSizeElement final : public ReproposingElement
{
public:
    FixedSizeElement(bool horizontal, bool vertical)
        : m_horizontal(horizontal)
        , m_vertical(vertical)
    { }

protected:
    ProposedSize childProposal(const ProposedSize &proposal) override
    {
        return { m_horizontal ? std::nullopt : proposal.width, m_vertical ? std::nullopt : proposal.height };
    }

    ProposalAxes proposalAxes() override
    {
        const ProposalAxes content = this->content().followedAxes();
        return { !m_horizontal && content.width, !m_vertical && content.height };
    }

    // Placed, the content is offered the ideal size it answered along the fixed axes:
    // a stack measured at its ideal height then stretches its flexible children (a
    // quote's bar) to that height, as it would inside a frame of that size.
    void placeChildren(const ProposedSize &proposal) override
    {
        ProposedSize offer = childProposal(proposal);
        const QSizeF ideal = content().sizeThatFits(offer);
        if (m_horizontal)
            offer.width = ideal.width();
        if (m_vertical)
            offer.height = ideal.height();
        const QSizeF child = content().sizeThatFits(offer);
        content().place(QRectF(alignedOrigin(m_frame, child, Alignment::center()), child), offer);
    }

private:
    bool m_horizontal;
    bool m_vertical;
};

class AspectRatioElement final : public ReproposingElement
{
public:
    AspectRatioElement(std::optional<double> ratio, ContentMode mode)
        : m_ratio(ratio)
        , m_mode(mode)
    { }

protected:
    ProposalAxes proposalAxes() override { return {}; }

    ProposedSize childProposal(const ProposedSize &proposal) override
    {
        double ratio = 1;
        if (m_ratio) {
            ratio = *m_ratio;
        } else {
            const QSizeF ideal = content().sizeThatFits(ProposedSize::unspecified());
            ratio = ideal.height() > 0 ? ideal.width() / ideal.height() : 1;
        }
        if (ratio <= 0 || !std::isfinite(ratio))
            return proposal;
        if (!proposal.width && !proposal.height)
            return proposal;
        if (!proposal.width)
            return { *proposal.height * ratio, proposal.height };
        if (!proposal.height)
            return { proposal.width, *proposal.width / ratio };
        const double width = *proposal.width;
        const double height = *proposal.height;
        const double byWidth = width / ratio; // height that keeps the ratio at this width
        const bool widthBinds = m_mode == ContentMode::Fit ? byWidth <= height : byWidth >= height;
        if (widthBinds && std::isfinite(width))
            return { width, byWidth };
        if (std::isfinite(height))
            return { height * ratio, height };
        return { width, byWidth };
    }

private:
    std::optional<double> m_ratio;
    ContentMode m_mode;
};

// Background and overlay: sized by the content, the decoration is offered exactly
// the content's size and aligned in it.
class DecoratedElement final : public ContentElement
{
public:
    DecoratedElement(Alignment alignment, bool over)
        : m_alignment(alignment)
        , m_over(over)
    { }

    // Children: content first (it decides the size), then the decoration. For a
    // background the decoration paints first.
    Element &decoration() const { return *children().back(); }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return content().sizeThatFits(proposal); }
    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        return content().widthThatFits(proposal);
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        content().place(m_frame, proposal);
        const ProposedSize offer = ProposedSize::of(m_frame.size());
        const QSizeF size = decoration().sizeThatFits(offer);
        decoration().place(QRectF(alignedOrigin(m_frame, size, m_alignment), size), offer);
    }

    void paintChildren(QPainter &painter, const QRectF &exposed) const override
    {
        if (m_over) {
            content().paint(painter, exposed);
            decoration().paint(painter, exposed);
        } else {
            decoration().paint(painter, exposed);
            content().paint(painter, exposed);
        }
    }

    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        return content().baseline(proposal, last);
    }

private:
    Alignment m_alignment;
    bool m_over;
};

class ClipElement final : public ContentElement
{
public:
    explicit ClipElement(Shape shape)
        : m_shape(shape)
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return content().sizeThatFits(proposal); }
    bool clipsChildren() const override { return true; }
    void placeChildren(const ProposedSize &proposal) override { content().place(m_frame, proposal); }
    void paintChildren(QPainter &painter, const QRectF &exposed) const override
    {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setClipPath(m_shape.path(m_frame), Qt::IntersectClip);
        content().paint(painter, exposed);
        painter.restore();
    }

private:
    Shape m_shape;
};

class OffsetElement final : public ContentElement
{
public:
    explicit OffsetElement(QPointF offset)
        : m_offset(offset)
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return content().sizeThatFits(proposal); }
    void placeChildren(const ProposedSize &proposal) override
    {
        content().place(m_frame.translated(m_offset), proposal);
    }

private:
    QPointF m_offset;
};

class OpacityElement final : public ContentElement
{
public:
    explicit OpacityElement(double opacity)
        : m_opacity(opacity)
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return content().sizeThatFits(proposal); }
    void paintChildren(QPainter &painter, const QRectF &exposed) const override
    {
        if (m_opacity <= 0)
            return;
        painter.save();
        painter.setOpacity(painter.opacity() * m_opacity);
        content().paint(painter, exposed);
        painter.restore();
    }

private:
    double m_opacity;
};

// Runs an action on a click that is released over the same element.
class TapElement : public ContentElement
{
public:
    explicit TapElement(std::function<void()> action)
        : m_action(std::move(action))
    { }

    bool acceptsPointer() const override { return true; }
    Qt::CursorShape cursorAt(QPointF) const override { return Qt::ArrowCursor; }
    void mousePressed(const PointerEvent &event) override
    {
        m_pressed = event.button == Qt::LeftButton;
        requestRepaint();
    }
    void mouseReleased(const PointerEvent &event) override
    {
        const bool fire = m_pressed && m_frame.contains(event.position);
        m_pressed = false;
        requestRepaint();
        if (fire && m_action)
            m_action();
    }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return content().sizeThatFits(proposal); }

    std::function<void()> m_action;
    bool m_pressed = false;
};

// A plain button: its label, dimmed while pressed.
class ButtonElement final : public TapElement
{
public:
    using TapElement::TapElement;

    void describeAccessibly(AccessibleNode &node) const override
    {
        node.role = AccessibleRole::Button;
        node.activate = m_action;
    }

protected:
    void paintChildren(QPainter &painter, const QRectF &exposed) const override
    {
        if (!m_pressed)
            return TapElement::paintChildren(painter, exposed);
        painter.save();
        painter.setOpacity(painter.opacity() * 0.6);
        TapElement::paintChildren(painter, exposed);
        painter.restore();
    }
};

class ImageElement final : public Element
{
public:
    explicit ImageElement(Image image)
        : m_image(std::move(image))
    { }

    // An empty picture is not shown, so its label is not read either.
    void describeAccessibly(AccessibleNode &node) const override
    {
        node.role = AccessibleRole::Image;
        if (!m_image.image().isNull())
            node.name = m_image.label();
    }

protected:
    ProposalAxes proposalAxes() override
    {
        return m_image.isResizable() ? ProposalAxes {} : ProposalAxes::none();
    }

    QSizeF measure(const ProposedSize &proposal) override
    {
        const QSizeF natural = m_image.naturalSize();
        if (!m_image.isResizable())
            return natural;
        return { proposal.width.value_or(natural.width()), proposal.height.value_or(natural.height()) };
    }

    void paintContent(QPainter &painter, const QRectF &) const override
    {
        if (m_image.image().isNull() || m_frame.isEmpty())
            return;
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(m_frame, m_image.image());
        painter.restore();
    }

private:
    Image m_image;
};

class SpacerElement final : public Element
{
public:
    SpacerElement(std::optional<double> minLength, std::optional<Axis> axis)
        : m_minLength(minLength.value_or(axis ? defaultSpacing : 0))
        , m_axis(axis)
    { }
    bool isSpacer() const override { return true; }

protected:
    ProposalAxes proposalAxes() override
    {
        if (!m_axis)
            return {};
        return { *m_axis == Axis::Horizontal, *m_axis == Axis::Vertical };
    }

    QSizeF measure(const ProposedSize &proposal) override
    {
        auto along = [this](std::optional<double> offered) {
            return offered ? std::max(*offered, m_minLength) : m_minLength;
        };
        if (m_axis == Axis::Horizontal)
            return { along(proposal.width), 0 };
        if (m_axis == Axis::Vertical)
            return { 0, along(proposal.height) };
        return { proposal.width.value_or(0), proposal.height.value_or(0) };
    }

private:
    double m_minLength;
    std::optional<Axis> m_axis;
};

class DividerElement final : public Element
{
public:
    DividerElement(Axis lineAxis, QColor color)
        : m_lineAxis(lineAxis)
        , m_color(color)
    { }

protected:
    ProposalAxes proposalAxes() override
    {
        return { m_lineAxis == Axis::Horizontal, m_lineAxis == Axis::Vertical };
    }

    QSizeF measure(const ProposedSize &proposal) override
    {
        if (m_lineAxis == Axis::Horizontal)
            return { proposal.width.value_or(0), 1 };
        return { 1, proposal.height.value_or(0) };
    }
    void paintContent(QPainter &painter, const QRectF &) const override
    {
        painter.fillRect(m_frame, m_color);
    }

private:
    Axis m_lineAxis;
    QColor m_color;
};

// Resolves its content once it knows its own frame.
class CanvasElement final : public Element
{
public:
    explicit CanvasElement(std::function<void(QPainter &, const QRectF &, const QRectF &)> paint)
        : m_paint(std::move(paint))
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return proposal.replacingUnspecified(); }
    void paintContent(QPainter &painter, const QRectF &exposed) const override
    {
        if (m_paint)
            m_paint(painter, m_frame, exposed);
    }

private:
    std::function<void(QPainter &, const QRectF &, const QRectF &)> m_paint;
};

class GeometryReaderElement final : public Element
{
public:
    GeometryReaderElement(
        std::function<View(const GeometryProxy &)> body, EnvironmentValues env, ResolveScope scope)
        : m_body(std::move(body))
        , m_environment(std::move(env))
        , m_scope(scope)
    { }

protected:
    QSizeF measure(const ProposedSize &proposal) override { return proposal.replacingUnspecified(); }
    // The content is made only once the reader is placed: nothing to line up with
    // before that, so it answers no baseline at all rather than one that changes.
    std::optional<double> measureBaseline(const ProposedSize &, QSizeF, bool) override
    {
        return std::nullopt;
    }
    // The content sees the frame in content coordinates.
    bool dependsOnPosition() const override { return true; }
    ProposalAxes proposalAxes() override { return {}; }

    void placeChildren(const ProposedSize &) override
    {
        // Children are replaced on every placement; they belong to this element only.
        removeAllChildren();
        ElementPtr content = m_body(GeometryProxy(m_frame)).resolve(m_environment, m_scope.child(0));
        addChild(std::move(content));
        Element &child = *this->children().front();
        const ProposedSize offer = ProposedSize::of(m_frame.size());
        child.place(QRectF(m_frame.topLeft(), child.sizeThatFits(offer)), offer);
    }

private:
    std::function<View(const GeometryProxy &)> m_body;
    EnvironmentValues m_environment;
    ResolveScope m_scope;
};

template<class T, class... Args>
std::unique_ptr<T> wrap(
    const View &content, const EnvironmentValues &env, const ResolveScope &scope, Args &&...args)
{
    auto element = std::make_unique<T>(std::forward<Args>(args)...);
    element->addChild(content.resolve(env, scope));
    return element;
}

// A rectangle whose corners begin `cornerExtent` radii before each corner and run to
// the next edge in one cubic whose handles lie on the edges: the curvature starts
// small where the straight edge ends, and the curve's middle passes where a circular
// corner of the same radius would, so both styles look the same size.
constexpr double cornerExtent = 1.528;
constexpr double circularMidpoint = 1 - 0.70710678118654752; // 1 − 1/√2

QPainterPath continuousRoundedRect(const QRectF &rect, double radius)
{
    QPainterPath path;
    const double half = std::min(rect.width(), rect.height()) / 2;
    radius = std::clamp(radius, 0.0, half);
    if (radius <= 0) {
        path.addRect(rect);
        return path;
    }
    // Near a capsule the corner cannot start that early: it starts at the middle of
    // the shorter side and keeps the midpoint of the circular corner.
    const double extent = std::min(cornerExtent * radius, half);
    const double handle = std::max(0.0, (8 * circularMidpoint * radius - extent) / 3);
    const double l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    path.moveTo(l + extent, t);
    path.lineTo(r - extent, t);
    path.cubicTo(r - handle, t, r, t + handle, r, t + extent);
    path.lineTo(r, b - extent);
    path.cubicTo(r, b - handle, r - handle, b, r - extent, b);
    path.lineTo(l + extent, b);
    path.cubicTo(l + handle, b, l, b - handle, l, b - extent);
    path.lineTo(l, t + extent);
    path.cubicTo(l, t + handle, l + handle, t, l + extent, t);
    path.closeSubpath();
    return path;
}

} // namespace

ResolveScope ResolveScope::child(quint64 position) const
{
    return ResolveScope(*m_store, mix(m_identity, position + 1), m_identity);
}

ResolveScope ResolveScope::nested(quint64 slot) const
{
    // Positional children mix the position into the identity as it is; nested places
    // mix into a salted identity, so the two families never meet.
    return ResolveScope(*m_store, mix(m_identity ^ 0x6a09e667f3bcc909ull, slot), m_container);
}

namespace {
// An id's own hash, apart for each type. Whole numbers (every block of a document
// has one) are hashed as they are rather than written out first.
quint64 explicitIdHash(const QVariant &id)
{
    switch (id.typeId()) {
    case QMetaType::ULongLong:
        return mix(quint64(id.typeId()), id.value<qulonglong>());
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return mix(quint64(id.typeId()), quint64(id.value<qlonglong>()));
    default:
        break;
    }
    const QByteArray key = QByteArray(id.typeName() ? id.typeName() : "") + '\0' + id.toString().toUtf8();
    return qHash(key);
}
} // namespace

ResolveScope ResolveScope::withExplicitId(const QVariant &id) const
{
    return ResolveScope(*m_store, mix(m_container ^ 0x5bd1e995ull, explicitIdHash(id)), m_container);
}

QRectF GeometryProxy::operator[](const Anchor &anchor) const
{
    if (!anchor.element)
        return {};
    return anchor.element->frame().translated(-m_frame.topLeft());
}

View::View() = default;

View::View(const Color &color)
    : View(make([color](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
        return std::make_unique<ShapeElement>(Shape::rectangle(), color.resolve(env.get<ColorSchemeKey>()),
            ShapeElement::Mode::Fill, StrokeStyle {});
    }))
{ }

View::View(const Shape &shape)
    : View(shape.fill())
{ }

View View::make(Resolver resolver)
{
    View view;
    view.m_resolver = std::make_shared<const Resolver>(std::move(resolver));
    return view;
}

ElementPtr View::resolve(const EnvironmentValues &environment, const ResolveScope &scope) const
{
    // Work that was cut short makes nothing more: a long document resolves its
    // blocks one by one, and each one after the cut costs only this question.
    if (CancellationToken::isCurrentCancelled())
        return std::make_unique<EmptyElement>();
    StateStore &store = scope.store();
    const StateStore::ResolveFrame frame = store.beginResolve();
    ElementPtr element = m_resolver ? (*m_resolver)(environment, scope) : std::make_unique<EmptyElement>();
    // The outermost view that makes an element whose subtree read state is where a
    // write resolves again: wrappers that hand the same element up (a tag, a task, an
    // environment reader) take the origin over from the view inside them.
    const bool keepsOrigin = store.frameRead(frame) || element->m_origin;
    StateStore::ResolveRecord record = store.endResolve(frame, keepsOrigin);
    if (keepsOrigin) {
        std::vector<quint64> reads = std::move(record.reads);
        if (element->m_origin)
            reads.insert(reads.end(), element->m_origin->reads.begin(), element->m_origin->reads.end());
        std::sort(reads.begin(), reads.end());
        reads.erase(std::unique(reads.begin(), reads.end()), reads.end());
        element->m_origin = std::make_shared<ResolveOrigin>(
            ResolveOrigin { *this, environment, scope, std::move(reads), std::move(record.visits) });
    }
    if (element->identity() == 0)
        element->setIdentity(scope.identity());
    if (element->preferences().isEmpty())
        element->collectPreferences();
    return element;
}

View View::padding(double length) const
{
    return padding(EdgeInsets::of(Edge::all, length));
}

View View::padding(EdgeSet edges, std::optional<double> length) const
{
    return padding(EdgeInsets::of(edges, length.value_or(defaultPadding)));
}

View View::padding(const EdgeInsets &insets) const
{
    return make(
        [content = *this, insets](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<PaddingElement>(content, env, scope, insets);
        });
}

View View::frame(std::optional<double> width, std::optional<double> height, Alignment alignment) const
{
    return make([content = *this, width, height, alignment](
                    const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        return wrap<FixedFrameElement>(content, env, scope, width, height, alignment);
    });
}

View View::frame(const FlexibleFrame &frame) const
{
    return make(
        [content = *this, frame](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<FrameElement>(content, env, scope, frame);
        });
}

View View::fixedSize(bool horizontal, bool vertical) const
{
    return make([content = *this, horizontal, vertical](
                    const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        return wrap<FixedSizeElement>(content, env, scope, horizontal, vertical);
    });
}

View View::aspectRatio(std::optional<double> ratio, ContentMode mode) const
{
    return make([content = *this, ratio, mode](
                    const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        return wrap<AspectRatioElement>(content, env, scope, ratio, mode);
    });
}

namespace {
View decorate(const View &content, const View &decoration, Alignment alignment, bool over)
{
    return View::make([content, decoration, alignment, over](
                          const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        auto element = std::make_unique<DecoratedElement>(alignment, over);
        element->addChild(content.resolve(env, scope));
        element->addChild(decoration.resolve(env, scope.nested(over ? 1 : 2)));
        return element;
    });
}
} // namespace

View View::background(const View &view, Alignment alignment) const
{
    return decorate(*this, view, alignment, false);
}

View View::overlay(const View &view, Alignment alignment) const
{
    return decorate(*this, view, alignment, true);
}

View View::clipShape(const Shape &shape) const
{
    return make(
        [content = *this, shape](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<ClipElement>(content, env, scope, shape);
        });
}

View View::clipped() const
{
    return clipShape(Shape::rectangle());
}

View View::offset(double x, double y) const
{
    return make(
        [content = *this, x, y](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<OffsetElement>(content, env, scope, QPointF(x, y));
        });
}

View View::opacity(double opacity) const
{
    return make(
        [content = *this, opacity](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<OpacityElement>(content, env, scope, opacity);
        });
}

namespace {
// Modifiers that change no layout edit the content's element in place.
View adjustElement(const View &content, std::function<void(Element &)> adjust)
{
    return View::make([content, adjust](const EnvironmentValues &env, const ResolveScope &scope) {
        ElementPtr element = content.resolve(env, scope);
        adjust(*element);
        return element;
    });
}
} // namespace

View View::layoutPriority(double priority) const
{
    return adjustElement(*this, [priority](Element &element) { element.setLayoutPriority(priority); });
}

View View::id(const QVariant &identity) const
{
    return make([content = *this, identity](const EnvironmentValues &env, const ResolveScope &scope) {
        return content.resolve(env, scope.withExplicitId(identity));
    });
}

View View::tag(const QVariant &tag) const
{
    return adjustElement(*this, [tag](Element &element) { element.setTag(tag); });
}

View View::help(const QString &toolTip) const
{
    return adjustElement(*this, [toolTip](Element &element) { element.setToolTip(toolTip); });
}

View View::accessibilityLabel(const QString &label) const
{
    return adjustElement(*this, [label](Element &element) { element.accessibilityTraits().label = label; });
}

View View::accessibilityHeading(int level) const
{
    return adjustElement(
        *this, [level](Element &element) { element.accessibilityTraits().headingLevel = level; });
}

View View::accessibilityRole(AccessibleRole role) const
{
    return adjustElement(*this, [role](Element &element) { element.accessibilityTraits().role = role; });
}

View View::gridColumnAlignment(HorizontalAlignment alignment) const
{
    return adjustElement(*this, [alignment](Element &element) { element.setGridColumnAlignment(alignment); });
}

View View::foregroundColor(std::optional<Color> color) const
{
    return environment<ForegroundColorKey>(color);
}

View View::font(std::optional<Font> font) const
{
    return environment<FontKey>(font);
}

View View::lineSpacing(double spacing) const
{
    return environment<LineSpacingKey>(spacing);
}

View View::multilineTextAlignment(TextAlignment alignment) const
{
    return environment<MultilineTextAlignmentKey>(alignment);
}

View View::textSelection(bool enabled) const
{
    return environment<TextSelectionKey>(enabled);
}

View View::onOpenUrl(OpenUrlAction action) const
{
    return environment<OpenUrlKey>(std::move(action));
}

View View::onTapGesture(std::function<void()> action) const
{
    return make(
        [content = *this, action](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<TapElement>(content, env, scope, action);
        });
}

View View::task(const QVariant &id, std::function<void(TaskHandle)> work) const
{
    return make([content = *this, id, work](const EnvironmentValues &env, const ResolveScope &scope) {
        scope.store().task(scope.identity(), id, work);
        return content.resolve(env, scope.nested(0));
    });
}

View View::transformEnvironmentWith(std::function<void(EnvironmentValues &)> fn) const
{
    return make([content = *this, fn](const EnvironmentValues &env, const ResolveScope &scope) {
        EnvironmentValues inner = env;
        fn(inner);
        return content.resolve(inner, scope);
    });
}

View View::transformPreferencesWith(std::function<void(PreferenceValues &, Element &)> fn) const
{
    return make([content = *this, fn](const EnvironmentValues &env, const ResolveScope &scope) {
        ElementPtr element = content.resolve(env, scope);
        fn(element->preferences(), *element);
        return element;
    });
}

View View::decorateWithPreferences(
    std::function<View(const PreferenceValues &)> fn, Alignment alignment, bool over) const
{
    return make([content = *this, fn, alignment, over](
                    const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        ElementPtr inner = content.resolve(env, scope);
        const View decoration = fn(inner->preferences());
        auto element = std::make_unique<DecoratedElement>(alignment, over);
        element->addChild(std::move(inner));
        element->addChild(decoration.resolve(env, scope.nested(over ? 1 : 2)));
        return element;
    });
}

Shape Shape::rectangle()
{
    return Shape();
}

Shape Shape::roundedRectangle(double cornerRadius, RoundedCornerStyle style)
{
    Shape shape;
    shape.m_kind = Kind::RoundedRectangle;
    shape.m_radius = cornerRadius;
    shape.m_cornerStyle = style;
    return shape;
}

Shape Shape::circle()
{
    Shape shape;
    shape.m_kind = Kind::Circle;
    return shape;
}

Shape Shape::capsule()
{
    Shape shape;
    shape.m_kind = Kind::Capsule;
    return shape;
}

Shape Shape::custom(std::function<QPainterPath(const QRectF &)> outline)
{
    Shape shape;
    shape.m_kind = Kind::Custom;
    shape.m_outline = std::make_shared<const std::function<QPainterPath(const QRectF &)>>(std::move(outline));
    return shape;
}

QPainterPath Shape::path(const QRectF &rect) const
{
    QPainterPath path;
    switch (m_kind) {
    case Kind::Rectangle:
        path.addRect(rect);
        break;
    case Kind::RoundedRectangle: {
        if (m_cornerStyle == RoundedCornerStyle::Continuous) {
            path = continuousRoundedRect(rect, m_radius);
            break;
        }
        const double radius = std::min(m_radius, std::min(rect.width(), rect.height()) / 2);
        path.addRoundedRect(rect, radius, radius);
        break;
    }
    case Kind::Circle: {
        const double diameter = std::min(rect.width(), rect.height());
        path.addEllipse(
            QRectF(rect.center() - QPointF(diameter / 2, diameter / 2), QSizeF(diameter, diameter)));
        break;
    }
    case Kind::Capsule: {
        const double radius = std::min(rect.width(), rect.height()) / 2;
        path.addRoundedRect(rect, radius, radius);
        break;
    }
    case Kind::Custom:
        if (*m_outline)
            path = (*m_outline)(rect);
        break;
    }
    return path;
}

namespace {

// Qt blends what it draws on several threads once it covers enough rows, and waking
// them takes ten times longer than blending the few short spans of a stroke (a
// table's rules): a tall outline is drawn in bands of whole rows of the device, each
// clipped to its band, which covers every pixel as drawing it at once does. Not where
// a clip is set already: a clip path would meet the bands' edges otherwise.
template<class Draw> void drawInBands(QPainter &painter, const QRectF &bounds, Draw &&draw)
{
    constexpr double bandRows = 32;
    const QTransform transform = painter.deviceTransform();
    const QRectF device = bounds.translated(transform.dx(), transform.dy());
    if (transform.type() > QTransform::TxTranslate || device.height() <= bandRows || painter.hasClipping()) {
        draw();
        return;
    }
    const double left = std::floor(device.left()) - 1;
    const double right = std::ceil(device.right()) + 1;
    for (double top = std::floor(device.top()); top < device.bottom(); top += bandRows) {
        painter.save();
        painter.setClipRect(
            QRectF(left, top, right - left, bandRows).translated(-transform.dx(), -transform.dy()));
        draw();
        painter.restore();
    }
}

} // namespace

void Shape::paintFill(QPainter &painter, const QRectF &rect, const QColor &color) const
{
    if (color.alpha() == 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path(rect), color);
    painter.restore();
}

void Shape::paintStroke(
    QPainter &painter, const QRectF &rect, const QColor &color, const StrokeStyle &style, bool inside) const
{
    if (color.alpha() == 0 || style.lineWidth <= 0)
        return;
    // Qt cuts a miter that passes the limit off at the limit; the design means one that
    // turns into a bevel there (SVG's rule), or a rectangle one line thin (a table's
    // border) grows spikes of ten line widths at both ends.
    const Qt::PenJoinStyle join = style.join == Qt::MiterJoin ? Qt::SvgMiterJoin : style.join;
    QPen pen(color, style.lineWidth, Qt::SolidLine, style.cap, join);
    pen.setMiterLimit(style.miterLimit);
    if (!style.dash.isEmpty()) {
        QList<qreal> pattern;
        for (qreal length : style.dash)
            pattern.append(length / style.lineWidth);
        pen.setDashPattern(pattern);
        pen.setDashOffset(style.dashPhase / style.lineWidth);
    }
    const double half = inside ? style.lineWidth / 2 : 0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPainterPath outline = path(rect.adjusted(half, half, -half, -half));
    const double reach = style.lineWidth * std::max(1.0, style.miterLimit);
    drawInBands(painter, outline.controlPointRect().adjusted(-reach, -reach, reach, reach),
        [&painter, &outline] { painter.drawPath(outline); });
    painter.restore();
}

View Shape::fill(const Color &color) const
{
    return View::make(
        [shape = *this, color](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
            return std::make_unique<ShapeElement>(
                shape, color.resolve(env.get<ColorSchemeKey>()), ShapeElement::Mode::Fill, StrokeStyle {});
        });
}

View Shape::fill() const
{
    return View::make([shape = *this](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
        return std::make_unique<ShapeElement>(
            shape, foregroundOf(env), ShapeElement::Mode::Fill, StrokeStyle {});
    });
}

View Shape::stroke(const Color &color, const StrokeStyle &style) const
{
    return View::make(
        [shape = *this, color, style](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
            return std::make_unique<ShapeElement>(
                shape, color.resolve(env.get<ColorSchemeKey>()), ShapeElement::Mode::Stroke, style);
        });
}

View Shape::strokeBorder(const Color &color, const StrokeStyle &style) const
{
    return View::make(
        [shape = *this, color, style](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
            return std::make_unique<ShapeElement>(
                shape, color.resolve(env.get<ColorSchemeKey>()), ShapeElement::Mode::StrokeBorder, style);
        });
}

Image::Image(const QImage &image, double scale, const QString &label)
    : m_image(image)
    , m_scale(scale > 0 ? scale : 1.0)
    , m_label(label)
{ }

Image Image::resizable() const
{
    Image copy = *this;
    copy.m_resizable = true;
    return copy;
}

QSizeF Image::naturalSize() const
{
    if (m_image.isNull())
        return { 0, 0 };
    return { m_image.width() / m_scale, m_image.height() / m_scale };
}

Image::operator View() const
{
    return View::make([image = *this](const EnvironmentValues &, const ResolveScope &) -> ElementPtr {
        return std::make_unique<ImageElement>(image);
    });
}

View EmptyView()
{
    return View();
}

View Spacer(std::optional<double> minLength)
{
    return View::make([minLength](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
        return std::make_unique<SpacerElement>(minLength, env.get<StackAxisKey>());
    });
}

View Divider()
{
    return View::make([](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
        // A divider runs across its stack: a horizontal line in a vertical stack.
        const Axis line = env.get<StackAxisKey>() == Axis::Horizontal ? Axis::Vertical : Axis::Horizontal;
        return std::make_unique<DividerElement>(line, Color::separator().resolve(env.get<ColorSchemeKey>()));
    });
}

View Button(const View &label, std::function<void()> action)
{
    // Text in a button's label is never selectable, even where text around the
    // button is: selectable text takes the pointer, and the press would never
    // reach the button.
    const View content = label.environment<TextSelectionKey>(false);
    return View::make(
        [content, action](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
            return wrap<ButtonElement>(content, env, scope, action);
        });
}

View EnvironmentReader(std::function<View(const EnvironmentValues &)> body)
{
    return View::make([body](const EnvironmentValues &env, const ResolveScope &scope) {
        return body(env).resolve(env, scope);
    });
}

View Canvas(std::function<void(QPainter &, const QRectF &frame, const QRectF &exposed)> paint)
{
    return View::make([paint](const EnvironmentValues &, const ResolveScope &) -> ElementPtr {
        return std::make_unique<CanvasElement>(paint);
    });
}

View GeometryReader(std::function<View(const GeometryProxy &)> body)
{
    return View::make([body](const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        return std::make_unique<GeometryReaderElement>(body, env, scope);
    });
}

} // namespace ui
