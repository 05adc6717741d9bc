#pragma once

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cmath>

// WCAG 2 contrast of two opaque colours, from 1 (alike) to 21 (black on white).
inline double contrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel
            = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// `colour` as it shows over the opaque `background`, its alpha blended in.
inline QColor over(const QColor &colour, const QColor &background)
{
    const double a = colour.alphaF();
    return QColor::fromRgbF(float(colour.redF() * a + background.redF() * (1 - a)),
        float(colour.greenF() * a + background.greenF() * (1 - a)),
        float(colour.blueF() * a + background.blueF() * (1 - a)));
}

// The strongest contrast any pixel of `image` (drawn over `background`) makes with it:
// whether what was drawn can be told from what it stands on.
inline double strongestContrast(const QImage &image, const QColor &background)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    double strongest = 1;
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x)
            strongest
                = std::max(strongest, contrastRatio(over(pixels.pixelColor(x, y), background), background));
    }
    return strongest;
}
