#include "ui/symbolimage.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <cmath>
#include <map>
#include <optional>
#include <tuple>

namespace ui {

namespace {

// A symbol is a little larger than the font's em, as glyphs of symbol fonts are; the
// small and large scales are the proportions the platform's image scales use.
constexpr double sidePerPoint = 1.15;
constexpr double capHeightPerPoint = 0.7;
constexpr double hierarchicalSecondaryOpacity = 0.5;

double scaleFactor(ImageScale scale)
{
    switch (scale) {
    case ImageScale::Small:
        return 0.78;
    case ImageScale::Medium:
        return 1.0;
    case ImageScale::Large:
        return 1.29;
    }
    return 1.0;
}

QPainterPath stroked(const QPainterPath &path, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

QPainterPath disc(double side)
{
    QPainterPath path;
    const double inset = 0.04 * side;
    path.addEllipse(QRectF(inset, inset, side - 2 * inset, side - 2 * inset));
    return path;
}

QPainterPath box(double side)
{
    const double inset = 0.07 * side;
    return Shape::roundedRectangle(0.2 * side, RoundedCornerStyle::Continuous)
        .path(QRectF(inset, inset, side - 2 * inset, side - 2 * inset));
}

// The outline of a filled shape, drawn inside its edge.
QPainterPath outline(const QPainterPath &filled, double side)
{
    const double width = 0.085 * side;
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    return stroker.createStroke(filled).intersected(filled).simplified();
}

QPainterPath polyline(std::initializer_list<QPointF> unitPoints, double side)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF &point : unitPoints) {
        if (first)
            path.moveTo(point * side);
        else
            path.lineTo(point * side);
        first = false;
    }
    return path;
}

// The two layers of a symbol in a square of `side` points at the origin: the shape
// and the mark drawn on it (empty for symbols of one layer); both empty for a name
// that is not known.
struct Layers
{
    QPainterPath shape;
    QPainterPath mark;
    bool knocksOut = false; // monochrome cuts the mark out of the shape
};

Layers layersOf(const QString &name, double side)
{
    Layers layers;
    const double stroke = 0.1 * side;
    if (name == QLatin1String("circle.fill")) {
        layers.shape = disc(side);
    } else if (name == QLatin1String("circle")) {
        layers.shape = outline(disc(side), side);
    } else if (name == QLatin1String("square.fill")) {
        layers.shape = box(side);
    } else if (name == QLatin1String("square")) {
        layers.shape = outline(box(side), side);
    } else if (name == QLatin1String("checkmark.square.fill")) {
        layers.shape = box(side);
        layers.mark = stroked(polyline({ { 0.28, 0.52 }, { 0.44, 0.68 }, { 0.72, 0.34 } }, side), stroke);
        layers.knocksOut = true;
    } else if (name == QLatin1String("info.circle.fill")) {
        layers.shape = disc(side);
        QPainterPath mark;
        mark.addEllipse(QPointF(0.5, 0.29) * side, 0.065 * side, 0.065 * side);
        mark.addRoundedRect(
            QRectF(QPointF(0.445, 0.42) * side, QPointF(0.555, 0.75) * side), 0.05 * side, 0.05 * side);
        layers.mark = mark.simplified();
        layers.knocksOut = true;
    } else if (name == QLatin1String("arrow.up.right.square")) {
        layers.shape = outline(box(side), side);
        QPainterPath arrow = polyline({ { 0.35, 0.65 }, { 0.64, 0.36 } }, side);
        arrow.addPath(polyline({ { 0.42, 0.35 }, { 0.65, 0.35 }, { 0.65, 0.58 } }, side));
        layers.mark = stroked(arrow, 0.085 * side);
    }
    return layers;
}

class SymbolElement final : public Element
{
public:
    SymbolElement(QString name, double side, double fontSize, QColor primary, QColor secondary,
        SymbolRenderingMode mode)
        : m_name(std::move(name))
        , m_side(side)
        , m_fontSize(fontSize)
        , m_primary(primary)
        , m_secondary(secondary)
        , m_mode(mode)
    { }

protected:
    QSizeF measure(const ProposedSize &) override { return { m_side, m_side }; }
    ProposalAxes proposalAxes() override { return ProposalAxes::none(); }

    // Centred on the middle of the capitals, as symbols set in text are.
    std::optional<double> measureBaseline(const ProposedSize &, QSizeF size, bool) override
    {
        return size.height() / 2 + capHeightPerPoint * m_fontSize / 2;
    }

    void paintContent(QPainter &painter, const QRectF &) const override
    {
        if (m_side <= 0)
            return;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.translate(m_frame.center() - QPointF(m_side / 2, m_side / 2));
        const Paths &paths = this->paths();
        if (!paths.under.isEmpty())
            painter.fillPath(paths.under, m_secondary);
        painter.fillPath(paths.over, m_primary);
        painter.restore();
    }

private:
    // What is filled, in the secondary colour under the primary one.
    struct Paths
    {
        QPainterPath under;
        QPainterPath over;
    };

    // Shaped on first paint and kept: path clipping costs far more than laying a symbol
    // out, and a long list has thousands of bullets of which a screenful is ever painted.
    // A note's checkboxes are a few symbols at one size: each is shaped once per thread
    // (paths share their data, whose cached bounds are written as they are read).
    const Paths &paths() const
    {
        if (m_paths)
            return *m_paths;
        if (!std::isfinite(m_side))
            return m_paths.emplace(shape());
        constexpr size_t maxShaped = 64;
        thread_local std::map<std::tuple<QString, double, SymbolRenderingMode>, Paths> shaped;
        const auto key = std::make_tuple(m_name, m_side, m_mode);
        if (const auto known = shaped.find(key); known != shaped.end())
            return m_paths.emplace(known->second);
        if (shaped.size() >= maxShaped)
            shaped.clear();
        return m_paths.emplace(shaped.emplace(key, shape()).first->second);
    }

    Paths shape() const
    {
        const Layers layers = layersOf(m_name, m_side);
        Paths paths;
        if (m_mode == SymbolRenderingMode::Hierarchical && !layers.mark.isEmpty()) {
            paths.under = layers.shape;
            paths.over = layers.mark;
        } else if (layers.knocksOut) {
            paths.over = layers.shape.subtracted(layers.mark);
        } else {
            paths.over = layers.shape.united(layers.mark);
        }
        return paths;
    }

    QString m_name;
    mutable std::optional<Paths> m_paths;
    double m_side;
    double m_fontSize;
    QColor m_primary;
    QColor m_secondary;
    SymbolRenderingMode m_mode;
};

} // namespace

SymbolImage::SymbolImage(QString name)
    : m_name(std::move(name))
{ }

SymbolImage SymbolImage::renderingMode(SymbolRenderingMode mode) const
{
    SymbolImage copy = *this;
    copy.m_mode = mode;
    return copy;
}

SymbolImage SymbolImage::imageScale(ImageScale scale) const
{
    SymbolImage copy = *this;
    copy.m_scale = scale;
    return copy;
}

SymbolImage SymbolImage::foregroundStyle(Color primary, std::optional<Color> secondary) const
{
    SymbolImage copy = *this;
    copy.m_primary = std::move(primary);
    copy.m_secondary = std::move(secondary);
    return copy;
}

double SymbolImage::sideFor(double fontSize, ImageScale scale)
{
    return fontSize * sidePerPoint * scaleFactor(scale);
}

SymbolImage::operator View() const
{
    return View::make([symbol = *this](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
        const ColorScheme scheme = env.get<ColorSchemeKey>();
        const double fontSize = env.get<FontKey>().value_or(Font()).size();
        const double side = sideFor(fontSize, symbol.m_scale);
        const Color primary
            = symbol.m_primary.value_or(env.get<ForegroundColorKey>().value_or(Color::primary()));
        const Color secondary = symbol.m_secondary.value_or(primary.opacity(hierarchicalSecondaryOpacity));
        return std::make_unique<SymbolElement>(
            symbol.m_name, side, fontSize, primary.resolve(scheme), secondary.resolve(scheme), symbol.m_mode);
    });
}

} // namespace ui
