#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cmath>
#include <limits>
#include <optional>

// Geometry of the view layer. One point is one device-independent pixel; y grows
// downwards and "leading" is the left edge (the layer lays out left to right only).
namespace ui {

inline constexpr double infinity = std::numeric_limits<double>::infinity();

// What a parent offers a child along each axis: no value asks for the child's ideal
// size, 0 for its minimum and infinity for its maximum; anything else is a real offer.
struct ProposedSize
{
    std::optional<double> width;
    std::optional<double> height;

    static ProposedSize unspecified() { return {}; }
    static ProposedSize zero() { return { 0.0, 0.0 }; }
    static ProposedSize infinite() { return { infinity, infinity }; }
    static ProposedSize of(QSizeF size) { return { size.width(), size.height() }; }

    // The proposal with absent dimensions filled from `fallback` (used by views that
    // take whatever they are offered and need a number when offered nothing).
    QSizeF replacingUnspecified(QSizeF fallback = QSizeF(10, 10)) const
    {
        return { width.value_or(fallback.width()), height.value_or(fallback.height()) };
    }

    bool operator==(const ProposedSize &) const = default;
};

enum class Axis { Horizontal, Vertical };

struct EdgeSet
{
    unsigned bits = 0;
    constexpr EdgeSet operator|(EdgeSet other) const { return { bits | other.bits }; }
    constexpr bool contains(EdgeSet edge) const { return (bits & edge.bits) == edge.bits && edge.bits; }
    constexpr bool operator==(const EdgeSet &) const = default;
};

namespace Edge {
inline constexpr EdgeSet top { 1 };
inline constexpr EdgeSet leading { 2 };
inline constexpr EdgeSet bottom { 4 };
inline constexpr EdgeSet trailing { 8 };
inline constexpr EdgeSet horizontal { 2 | 8 };
inline constexpr EdgeSet vertical { 1 | 4 };
inline constexpr EdgeSet all { 15 };
} // namespace Edge

struct EdgeInsets
{
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;

    static EdgeInsets of(EdgeSet edges, double length)
    {
        return { edges.contains(Edge::top) ? length : 0, edges.contains(Edge::leading) ? length : 0,
            edges.contains(Edge::bottom) ? length : 0, edges.contains(Edge::trailing) ? length : 0 };
    }
    double horizontal() const { return leading + trailing; }
    double vertical() const { return top + bottom; }
    bool operator==(const EdgeInsets &) const = default;
};

enum class HorizontalAlignment { Leading, Center, Trailing };
enum class VerticalAlignment { Top, Center, Bottom, FirstTextBaseline, LastTextBaseline };
enum class TextAlignment { Leading, Center, Trailing };

struct Alignment
{
    HorizontalAlignment horizontal = HorizontalAlignment::Center;
    VerticalAlignment vertical = VerticalAlignment::Center;

    static constexpr Alignment center() { return {}; }
    static constexpr Alignment leading()
    {
        return { HorizontalAlignment::Leading, VerticalAlignment::Center };
    }
    static constexpr Alignment trailing()
    {
        return { HorizontalAlignment::Trailing, VerticalAlignment::Center };
    }
    static constexpr Alignment top() { return { HorizontalAlignment::Center, VerticalAlignment::Top }; }
    static constexpr Alignment bottom() { return { HorizontalAlignment::Center, VerticalAlignment::Bottom }; }
    static constexpr Alignment topLeading()
    {
        return { HorizontalAlignment::Leading, VerticalAlignment::Top };
    }
    static constexpr Alignment topTrailing()
    {
        return { HorizontalAlignment::Trailing, VerticalAlignment::Top };
    }
    static constexpr Alignment bottomLeading()
    {
        return { HorizontalAlignment::Leading, VerticalAlignment::Bottom };
    }
    static constexpr Alignment bottomTrailing()
    {
        return { HorizontalAlignment::Trailing, VerticalAlignment::Bottom };
    }
    bool operator==(const Alignment &) const = default;
};

// A point in unit coordinates of a rectangle: (0, 0) its top-leading corner, (1, 1)
// its bottom-trailing one.
struct UnitPoint
{
    double x = 0;
    double y = 0;

    static constexpr UnitPoint topLeading() { return { 0, 0 }; }
    static constexpr UnitPoint center() { return { 0.5, 0.5 }; }
    static constexpr UnitPoint top() { return { 0.5, 0 }; }
    static constexpr UnitPoint bottom() { return { 0.5, 1 }; }
    static constexpr UnitPoint leading() { return { 0, 0.5 }; }
    static constexpr UnitPoint trailing() { return { 1, 0.5 }; }
    static constexpr UnitPoint bottomTrailing() { return { 1, 1 }; }
    bool operator==(const UnitPoint &) const = default;
};

// The offset that puts a child of `child` size at `alignment` inside `container`.
inline double alignOffset(HorizontalAlignment alignment, double container, double child)
{
    switch (alignment) {
    case HorizontalAlignment::Leading:
        return 0;
    case HorizontalAlignment::Center:
        return (container - child) / 2;
    case HorizontalAlignment::Trailing:
        return container - child;
    }
    return 0;
}

// Fixed vertical alignments only; baselines are resolved by the callers that know them.
inline double alignOffset(VerticalAlignment alignment, double container, double child)
{
    switch (alignment) {
    case VerticalAlignment::Top:
        return 0;
    case VerticalAlignment::Center:
        return (container - child) / 2;
    case VerticalAlignment::Bottom:
    case VerticalAlignment::FirstTextBaseline:
    case VerticalAlignment::LastTextBaseline:
        return container - child;
    }
    return 0;
}

} // namespace ui
