#pragma once

#include "ui/color.h"
#include "ui/view.h"

#include <QString>

#include <optional>

namespace ui {

// How a symbol's layers are coloured. Monochrome draws every layer in the primary
// colour and knocks the marks out of filled shapes; hierarchical draws the mark in the
// primary colour over its shape in the secondary one (the primary colour at half
// opacity unless a secondary colour is given).
enum class SymbolRenderingMode { Monochrome, Hierarchical };

// A symbol's size relative to the font it is drawn with.
enum class ImageScale { Small, Medium, Large };

// A named symbol drawn by our own painter (no icon font or theme is involved), sized
// like a glyph of the font in force (the environment's font, or the 13-point body
// font) and standing on the text baseline like one. Known names: "circle",
// "circle.fill", "square", "square.fill", "checkmark.square.fill", "info.circle.fill"
// and "arrow.up.right.square"; any other name takes its space and draws nothing.
class SymbolImage
{
public:
    explicit SymbolImage(QString name);

    SymbolImage renderingMode(SymbolRenderingMode mode) const;
    SymbolImage imageScale(ImageScale scale) const;
    // Colours of the layers; absent keeps the environment's foreground colour.
    SymbolImage foregroundStyle(Color primary, std::optional<Color> secondary = std::nullopt) const;

    const QString &name() const { return m_name; }

    // The symbol's side in points for a font of `fontSize` points.
    static double sideFor(double fontSize, ImageScale scale);

    operator View() const;

private:
    QString m_name;
    SymbolRenderingMode m_mode = SymbolRenderingMode::Monochrome;
    ImageScale m_scale = ImageScale::Medium;
    std::optional<Color> m_primary;
    std::optional<Color> m_secondary;
};

} // namespace ui
