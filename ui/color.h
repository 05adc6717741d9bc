#pragma once

#include <QColor>

#include <memory>

namespace ui {

enum class ColorScheme { Light, Dark };

// A colour as a value: a fixed RGBA colour, or a pair that picks its light or dark
// member each time it is resolved against the appearance in force (so a change of
// appearance needs no new colour). Copies are cheap; pairs share their members.
class Color
{
public:
    // Transparent, like `clear`.
    Color();
    Color(const QColor &color);
    static Color rgba(double red, double green, double blue, double opacity = 1.0);
    // A packed 0xRRGGBBAA value: red in the highest byte, opacity in the lowest.
    static Color rgba(quint32 packed);
    static Color lightDark(const Color &light, const Color &dark);

    static Color clear();
    static Color black();
    static Color white();
    static Color gray();
    static Color red();
    static Color green();
    static Color blue();
    static Color yellow();
    static Color orange();
    // The text colour of the appearance, and its dimmed and separator tones.
    static Color primary();
    static Color secondary();
    static Color separator();
    static Color accent();
    // The background of text areas (white in the light appearance, near black in the
    // dark one).
    static Color textBackground();
    // A translucent veil standing in for the thinnest blurred material: no compositor
    // blurs behind a view here, so it only lightens (or darkens) what lies below.
    static Color ultraThinMaterial();

    // Multiplies the opacity (of both members of a pair).
    Color opacity(double factor) const;

    QColor resolve(ColorScheme scheme) const;
    bool isDynamic() const { return m_pair != nullptr; }

    bool operator==(const Color &other) const;

private:
    struct Pair;
    QColor m_color;
    std::shared_ptr<const Pair> m_pair;
};

// Colours that are equal resolve alike in both appearances, so hashing what they resolve
// to keeps pairs made apart but equal in one bucket.
size_t qHash(const Color &color, size_t seed = 0) noexcept;

} // namespace ui
