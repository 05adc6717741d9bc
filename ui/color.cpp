#include "ui/color.h"

#include <QHashFunctions>

namespace ui {

struct Color::Pair
{
    Color light;
    Color dark;
};

Color::Color()
    : m_color(0, 0, 0, 0)
{ }

Color::Color(const QColor &color)
    : m_color(color)
{ }

Color Color::rgba(double red, double green, double blue, double opacity)
{
    return Color(QColor::fromRgbF(float(red), float(green), float(blue), float(opacity)));
}

Color Color::rgba(quint32 packed)
{
    return rgba(((packed >> 24) & 0xff) / 255.0, ((packed >> 16) & 0xff) / 255.0,
        ((packed >> 8) & 0xff) / 255.0, (packed & 0xff) / 255.0);
}

Color Color::lightDark(const Color &light, const Color &dark)
{
    Color color;
    color.m_pair = std::make_shared<const Pair>(Pair { light, dark });
    return color;
}

Color Color::clear()
{
    return Color();
}
Color Color::black()
{
    return Color(QColor(0, 0, 0));
}
Color Color::white()
{
    return Color(QColor(255, 255, 255));
}
Color Color::gray()
{
    return Color(QColor(142, 142, 147));
}
Color Color::red()
{
    return Color(QColor(255, 59, 48));
}
Color Color::green()
{
    return Color(QColor(52, 199, 89));
}
Color Color::blue()
{
    return Color(QColor(0, 122, 255));
}
Color Color::yellow()
{
    return Color(QColor(255, 204, 0));
}
Color Color::orange()
{
    return Color(QColor(255, 149, 0));
}

Color Color::primary()
{
    return lightDark(rgba(0, 0, 0, 0.85), rgba(1, 1, 1, 0.85));
}

Color Color::secondary()
{
    return lightDark(rgba(0, 0, 0, 0.5), rgba(1, 1, 1, 0.55));
}

Color Color::separator()
{
    return lightDark(rgba(0, 0, 0, 0.1), rgba(1, 1, 1, 0.1));
}

Color Color::accent()
{
    return blue();
}

Color Color::textBackground()
{
    return lightDark(white(), rgba(0x1E1E1EFFu));
}

Color Color::ultraThinMaterial()
{
    return lightDark(rgba(1, 1, 1, 0.45), rgba(0.17, 0.17, 0.17, 0.45));
}

Color Color::opacity(double factor) const
{
    if (m_pair)
        return lightDark(m_pair->light.opacity(factor), m_pair->dark.opacity(factor));
    QColor color = m_color;
    color.setAlphaF(float(color.alphaF() * factor));
    return Color(color);
}

QColor Color::resolve(ColorScheme scheme) const
{
    if (m_pair)
        return scheme == ColorScheme::Light ? m_pair->light.resolve(scheme) : m_pair->dark.resolve(scheme);
    return m_color;
}

bool Color::operator==(const Color &other) const
{
    if (m_pair || other.m_pair) {
        if (m_pair == other.m_pair)
            return true;
        if (!m_pair || !other.m_pair)
            return false;
        return m_pair->light == other.m_pair->light && m_pair->dark == other.m_pair->dark;
    }
    return m_color.rgba64() == other.m_color.rgba64();
}

size_t qHash(const Color &color, size_t seed) noexcept
{
    return qHashMulti(seed, quint64(color.resolve(ColorScheme::Light).rgba64()),
        quint64(color.resolve(ColorScheme::Dark).rgba64()));
}

} // namespace ui
