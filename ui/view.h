#pragma once

#include "ui/accessibility.h"
#include "ui/color.h"
#include "ui/element.h"
#include "ui/environment.h"
#include "ui/font.h"
#include "ui/geometry.h"
#include "ui/statestore.h"

#include <QImage>
#include <QList>
#include <QPainterPath>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

// Where a view is resolved: its identity (kept across rebuilds for state, tasks and
// scroll offsets) and the store that keeps what belongs to identities.
class ResolveScope
{
public:
    ResolveScope(StateStore &store, quint64 identity, quint64 container = 0)
        : m_store(&store)
        , m_identity(identity)
        , m_container(container)
    { }

    StateStore &store() const { return *m_store; }
    quint64 identity() const { return m_identity; }
    // The identity of the n-th child of a container (structural identity).
    ResolveScope child(quint64 position) const;
    // A second place under the same view, apart from every positional child: what a
    // decoration, or the content under a modifier that keeps state or a task of its
    // own, is resolved at. Without it two such modifiers at one place, or a decoration
    // and the content's twelfth child, would share one identity and so one state.
    ResolveScope nested(quint64 slot) const;
    // An explicit identity replaces the position among the container's children, so
    // state follows an item that moves.
    ResolveScope withExplicitId(const QVariant &id) const;

private:
    StateStore *m_store;
    quint64 m_identity;
    quint64 m_container;
};

class View;
using Resolver = std::function<ElementPtr(const EnvironmentValues &, const ResolveScope &)>;

// The amount of padding(), and the spacing of stacks that give none.
inline constexpr double defaultPadding = 16;
inline constexpr double defaultSpacing = 8;

// Bounds of a flexible frame, written as a chain: FlexibleFrame().withMinWidth(40).
struct FlexibleFrame
{
    std::optional<double> minWidth;
    std::optional<double> idealWidth;
    std::optional<double> maxWidth;
    std::optional<double> minHeight;
    std::optional<double> idealHeight;
    std::optional<double> maxHeight;
    Alignment alignment;

    FlexibleFrame withMinWidth(std::optional<double> v) const { return with(&FlexibleFrame::minWidth, v); }
    FlexibleFrame withIdealWidth(std::optional<double> v) const
    {
        return with(&FlexibleFrame::idealWidth, v);
    }
    FlexibleFrame withMaxWidth(std::optional<double> v) const { return with(&FlexibleFrame::maxWidth, v); }
    FlexibleFrame withMinHeight(std::optional<double> v) const { return with(&FlexibleFrame::minHeight, v); }
    FlexibleFrame withIdealHeight(std::optional<double> v) const
    {
        return with(&FlexibleFrame::idealHeight, v);
    }
    FlexibleFrame withMaxHeight(std::optional<double> v) const { return with(&FlexibleFrame::maxHeight, v); }
    FlexibleFrame withAlignment(Alignment a) const
    {
        FlexibleFrame copy = *this;
        copy.alignment = a;
        return copy;
    }

private:
    FlexibleFrame with(std::optional<double> FlexibleFrame::*field, std::optional<double> value) const
    {
        FlexibleFrame copy = *this;
        copy.*field = value;
        return copy;
    }
};

enum class ContentMode { Fit, Fill };

struct StrokeStyle
{
    double lineWidth = 1;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    double miterLimit = 10;
    QList<qreal> dash; // lengths in points
    double dashPhase = 0;
};

// A reference to an element's bounds, resolved into a rectangle by a GeometryProxy
// once the element is placed. Valid until the tree is resolved again.
struct Anchor
{
    const Element *element = nullptr;
    bool operator==(const Anchor &) const = default;
};

class GeometryProxy
{
public:
    explicit GeometryProxy(QRectF frame)
        : m_frame(frame)
    { }
    QSizeF size() const { return m_frame.size(); }
    // The reader's frame in content coordinates.
    QRectF frame() const { return m_frame; }
    // The anchored bounds in the reader's own coordinates (origin at its top-leading
    // corner); empty for an anchor without element.
    QRectF operator[](const Anchor &anchor) const;

private:
    QRectF m_frame;
};

class Shape;
class View;

// A modifier made outside the view layer: a function from a view to the modified view,
// applied with View::modifier.
using ViewModifier = std::function<View(const View &)>;

// An immutable description of content: a value that shares its node, so copies are
// free and one View stands for any kind of view. Modifiers return new views. A view
// becomes elements when it is resolved in an environment.
class View
{
public:
    View(); // the empty view: no size, no spacing in stacks
    View(const Color &color); // fills whatever it is offered
    View(const Shape &shape); // filled with the foreground colour
    static View make(Resolver resolver);

    bool isEmpty() const { return !m_resolver; }
    // Applies a modifier made outside the view layer (a function from view to view),
    // so that a chain still reads in the order it applies.
    template<class Modifier> View modifier(const Modifier &modifier) const { return modifier(*this); }
    ElementPtr resolve(const EnvironmentValues &environment, const ResolveScope &scope) const;

    View padding(double length = defaultPadding) const;
    View padding(EdgeSet edges, std::optional<double> length = std::nullopt) const;
    View padding(const EdgeInsets &insets) const;
    View frame(std::optional<double> width, std::optional<double> height, Alignment alignment = {}) const;
    View frame(const FlexibleFrame &frame) const;
    View fixedSize(bool horizontal = true, bool vertical = true) const;
    // A ratio of width to height; absent takes the content's ideal aspect.
    View aspectRatio(std::optional<double> ratio, ContentMode mode) const;
    View background(const View &view, Alignment alignment = {}) const;
    View overlay(const View &view, Alignment alignment = {}) const;
    View clipShape(const Shape &shape) const;
    View clipped() const;
    // Moves the drawing without changing the layout.
    View offset(double x, double y) const;
    View opacity(double opacity) const;
    View layoutPriority(double priority) const;
    View id(const QVariant &identity) const;
    View tag(const QVariant &tag) const;
    View help(const QString &toolTip) const;
    // How assistive technology announces the view (see ui/accessibility.h): as one
    // element with this label, which stands for everything inside.
    View accessibilityLabel(const QString &label) const;
    // As a heading of `level`, read as the view's text.
    View accessibilityHeading(int level) const;
    // As one element of `role`: an image (whatever shows meanwhile), or a group
    // that keeps its children.
    View accessibilityRole(AccessibleRole role) const;
    View gridColumnAlignment(HorizontalAlignment alignment) const;
    View foregroundColor(std::optional<Color> color) const;
    View font(std::optional<Font> font) const;
    View lineSpacing(double spacing) const;
    View multilineTextAlignment(TextAlignment alignment) const;
    View textSelection(bool enabled) const;
    View onOpenUrl(OpenUrlAction action) const;
    View onTapGesture(std::function<void()> action) const;
    // Starts `work` when this place of the tree first resolves, and again (cancelling
    // the previous one) whenever `id` changes; cancels it when the place goes away.
    View task(const QVariant &id, std::function<void(TaskHandle)> work) const;

    template<class Key> View environment(typename Key::Value value) const
    {
        return transformEnvironmentWith([value](EnvironmentValues &env) { env.set<Key>(value); });
    }

    template<class Key, class Fn> View transformEnvironment(Fn fn) const
    {
        return transformEnvironmentWith([fn](EnvironmentValues &env) { env.transform<Key>(fn); });
    }

    template<class Key> View preference(typename Key::Value value) const
    {
        return transformPreferencesWith(
            [value](PreferenceValues &prefs, Element &) { prefs.set<Key>(value); });
    }

    template<class Key, class Fn> View transformPreference(Fn fn) const
    {
        return transformPreferencesWith(
            [fn](PreferenceValues &prefs, Element &) { prefs.transform<Key>(fn); });
    }

    // Sets the key to what `fn` makes of an anchor on this view's bounds.
    template<class Key, class Fn> View anchorPreference(Fn fn) const
    {
        return transformPreferencesWith(
            [fn](PreferenceValues &prefs, Element &element) { prefs.set<Key>(fn(Anchor { &element })); });
    }

    // Sets the key to what `fn` makes of this view's ideal size, measured as soon as the
    // view is resolved: how a measured width (a list's marker) travels up the tree.
    template<class Key, class Fn> View idealSizePreference(Fn fn) const
    {
        return transformPreferencesWith([fn](PreferenceValues &prefs, Element &element) {
            prefs.set<Key>(fn(element.sizeThatFits(ProposedSize::unspecified())));
        });
    }

    // Calls `fn` with the value this view's subtree reduced for the key when the view
    // first appears and whenever that value changes, once the pass that resolved it is
    // over. `fn` may write state: the tree is then resolved again at once, so a value
    // fed back down (a column as wide as its widest marker) has settled before
    // anything is laid out or shown.
    template<class Key, class Fn> View onPreferenceChange(Fn fn) const
    {
        return make([content = *this, fn](const EnvironmentValues &env, const ResolveScope &scope) {
            using Value = typename Key::Value;
            ElementPtr element = content.resolve(env, scope.nested(0));
            const State<std::optional<Value>> last
                = scope.store().state<std::optional<Value>>(scope.identity(), std::nullopt);
            const Value &value = element->preferences().get<Key>();
            if (!*last || !(**last == value)) {
                last.setWithoutRebuild(value);
                scope.store().afterPass([fn, value] { fn(value); });
            }
            return element;
        });
    }

    // Reads the value this view's subtree reduced for the key and lays what `fn`
    // makes of it over (or behind) the view. Read after the subtree is resolved, so
    // nothing drawn there can change the value.
    template<class Key, class Fn> View overlayPreferenceValue(Fn fn, Alignment alignment = {}) const
    {
        return decorateWithPreferences(
            [fn](const PreferenceValues &prefs) { return View(fn(prefs.get<Key>())); }, alignment, true);
    }

    template<class Key, class Fn> View backgroundPreferenceValue(Fn fn, Alignment alignment = {}) const
    {
        return decorateWithPreferences(
            [fn](const PreferenceValues &prefs) { return View(fn(prefs.get<Key>())); }, alignment, false);
    }

    View transformEnvironmentWith(std::function<void(EnvironmentValues &)> fn) const;
    View transformPreferencesWith(std::function<void(PreferenceValues &, Element &)> fn) const;
    View decorateWithPreferences(
        std::function<View(const PreferenceValues &)> fn, Alignment alignment, bool over) const;

private:
    std::shared_ptr<const Resolver> m_resolver;
};

// Circular corners are quarter circles; continuous ones start earlier along each edge
// and bend gradually, so the curvature never jumps where edge and corner meet.
enum class RoundedCornerStyle { Circular, Continuous };

class Shape
{
public:
    static Shape rectangle();
    static Shape roundedRectangle(
        double cornerRadius, RoundedCornerStyle style = RoundedCornerStyle::Circular);
    static Shape circle();
    static Shape capsule();
    // An outline made for the rectangle the shape is given (a symbol drawn by the
    // renderer, such as a check mark).
    static Shape custom(std::function<QPainterPath(const QRectF &)> outline);

    QPainterPath path(const QRectF &rect) const;

    View fill(const Color &color) const;
    // The foreground colour in force.
    View fill() const;
    // Strokes the outline centred on the shape's edge.
    View stroke(const Color &color, const StrokeStyle &style = {}) const;
    // Strokes inside the shape's edge, so nothing is drawn outside the frame.
    View strokeBorder(const Color &color, const StrokeStyle &style = {}) const;

    // What those views draw, made for `rect`, drawn straight onto a painter (inside a
    // canvas): filled, or stroked centred on its edge or inside it.
    void paintFill(QPainter &painter, const QRectF &rect, const QColor &color) const;
    void paintStroke(QPainter &painter, const QRectF &rect, const QColor &color, const StrokeStyle &style,
        bool inside) const;

private:
    enum class Kind { Rectangle, RoundedRectangle, Circle, Capsule, Custom };
    Kind m_kind = Kind::Rectangle;
    std::shared_ptr<const std::function<QPainterPath(const QRectF &)>> m_outline;
    double m_radius = 0;
    RoundedCornerStyle m_cornerStyle = RoundedCornerStyle::Circular;
};

// A bitmap as a view: at its natural size (pixels divided by scale) unless resizable,
// when it takes the size it is offered and stretches to it.
class Image
{
public:
    Image() = default;
    // Assistive technology reads it as `label` wherever it is shown, alone or inside a
    // text; without a label it is decoration and not read at all.
    explicit Image(const QImage &image, double scale = 1.0, const QString &label = {});
    Image resizable() const;
    const QImage &image() const { return m_image; }
    double scale() const { return m_scale; }
    const QString &label() const { return m_label; }
    QSizeF naturalSize() const;
    bool isResizable() const { return m_resizable; }
    operator View() const;

private:
    QImage m_image;
    double m_scale = 1.0;
    QString m_label;
    bool m_resizable = false;
};

struct GridRow
{
    GridRow(std::vector<View> cells, std::optional<VerticalAlignment> alignment = std::nullopt)
        : cells(std::move(cells))
        , alignment(alignment)
    { }
    std::vector<View> cells;
    std::optional<VerticalAlignment> alignment;
};

View EmptyView();
View VStack(std::vector<View> children);
View VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<View> children);
View HStack(std::vector<View> children);
View HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<View> children);
View ZStack(std::vector<View> children);
View ZStack(Alignment alignment, std::vector<View> children);
// Grows along its stack's axis, never below `minLength` (8 points when absent, inside
// a stack; nothing outside one).
View Spacer(std::optional<double> minLength = std::nullopt);
// A one-point line across its stack (horizontal outside any stack).
View Divider();
View Grid(std::vector<GridRow> rows, Alignment alignment = {}, std::optional<double> horizontalSpacing = {},
    std::optional<double> verticalSpacing = {});
View Button(const View &label, std::function<void()> action);
View ScrollView(Axis axis, const View &content, bool showsIndicators = true);
View EnvironmentReader(std::function<View(const EnvironmentValues &)> body);
// Content made from the reader's size, resolved when the reader is placed. Because
// of that, preferences set inside it never reach its ancestors: report a measured
// size with idealSizePreference instead.
View GeometryReader(std::function<View(const GeometryProxy &)> body);
// Takes whatever size it is offered and draws with `paint`, given the frame in content
// coordinates and the part of the content to draw. One canvas drawing many simple
// shapes (a table's cell fills) costs one element where a view each costs several.
View Canvas(std::function<void(QPainter &, const QRectF &frame, const QRectF &exposed)> paint);

// Where an element was resolved, kept for elements whose subtree read state: a write
// to that state resolves the view again at the same place in the same environment
// and puts the new element where the old one was.
struct ResolveOrigin
{
    View view;
    EnvironmentValues environment;
    ResolveScope scope;
    std::vector<quint64> reads; // state the view (or a wrapper it made) read itself, sorted
    std::vector<quint64> visits; // state and task entries its subtree visited, sorted
};

template<class T> View withState(T initial, std::function<View(State<T>)> body)
{
    return View::make([initial, body](const EnvironmentValues &env, const ResolveScope &scope) {
        State<T> state = scope.store().state<T>(scope.identity(), initial);
        return body(state).resolve(env, scope.nested(0));
    });
}

} // namespace ui
