#include "ui/font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <optional>

namespace ui {

Font Font::system(double size, Weight weight, Design design)
{
    Font font;
    font.m_size = size;
    font.m_weight = weight;
    font.m_design = design;
    return font;
}

Font Font::custom(const QString &family, double size)
{
    Font font;
    font.m_family = family;
    font.m_size = size;
    return font;
}

Font Font::monospaced() const
{
    Font font = *this;
    font.m_monospaced = true;
    return font;
}

Font Font::smallCaps() const
{
    Font font = *this;
    font.m_caps = Caps::SmallCaps;
    return font;
}

Font Font::lowercaseSmallCaps() const
{
    Font font = *this;
    font.m_caps = Caps::LowercaseSmallCaps;
    return font;
}

Font Font::uppercaseSmallCaps() const
{
    Font font = *this;
    font.m_caps = Caps::UppercaseSmallCaps;
    return font;
}

Font Font::monospacedDigit() const
{
    Font font = *this;
    font.m_monospacedDigits = true;
    return font;
}

Font Font::weight(Weight weight) const
{
    Font font = *this;
    font.m_weight = weight;
    return font;
}

Font Font::width(Width width) const
{
    Font font = *this;
    font.m_width = width;
    return font;
}

Font Font::italic() const
{
    Font font = *this;
    font.m_italic = true;
    return font;
}

Font Font::withSize(double size) const
{
    Font font = *this;
    font.m_size = size;
    return font;
}

QFont::Weight Font::qtWeight(Weight weight)
{
    switch (weight) {
    case Weight::UltraLight:
        return QFont::Thin;
    case Weight::Thin:
        return QFont::ExtraLight;
    case Weight::Light:
        return QFont::Light;
    case Weight::Regular:
        return QFont::Normal;
    case Weight::Medium:
        return QFont::Medium;
    case Weight::Semibold:
        return QFont::DemiBold;
    case Weight::Bold:
        return QFont::Bold;
    case Weight::Heavy:
        return QFont::ExtraBold;
    case Weight::Black:
        return QFont::Black;
    }
    return QFont::Normal;
}

int Font::qtStretch(Width width)
{
    switch (width) {
    case Width::Compressed:
        return QFont::ExtraCondensed;
    case Width::Condensed:
        return QFont::Condensed;
    case Width::Standard:
        return QFont::Unstretched;
    case Width::Expanded:
        return QFont::Expanded;
    }
    return QFont::Unstretched;
}

QFont Font::toQFont() const
{
    // Texts ask for a few fonts over and over. A QFont keeps the font engine Qt finds
    // for it, where each one made anew looks the engine up in the font database again:
    // one QFont per font and thread (Qt's font engines are per thread) lets every text
    // set in it find the engine at once. One that starts from the desktop's font is
    // made again when the desktop's font changes.
    struct Made
    {
        std::optional<QFont> desktop;
        QFont font;
    };
    constexpr qsizetype maxFonts = 64;
    thread_local QHash<Font, Made> made;
    std::optional<QFont> desktop;
    if (m_family.isEmpty() && (m_monospaced || m_design == Design::Monospaced))
        desktop = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    else if (m_family.isEmpty() && m_design != Design::Serif)
        // Rounded has no Linux counterpart: it keeps the system family.
        desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (const auto known = made.constFind(*this); known != made.cend() && known->desktop == desktop)
        return known->font;

    QFont font;
    if (!m_family.isEmpty()) {
        // A named family stays itself when it is also asked to be monospaced: the
        // hint only steers the fallback when the family is missing.
        font = QFont(m_family);
        if (m_monospaced)
            font.setStyleHint(QFont::Monospace);
    } else if (m_monospaced || m_design == Design::Monospaced) {
        font = *desktop;
        font.setStyleHint(QFont::Monospace);
    } else if (m_design == Design::Serif) {
        font = QFont(QStringLiteral("Serif"));
        font.setStyleHint(QFont::Serif);
    } else {
        font = *desktop;
        font.setStyleHint(QFont::SansSerif);
    }
    // A point is one logical pixel here: sizes are pixel sizes (at least 1, Qt's floor).
    font.setPixelSize(std::max(1, int(std::round(m_size))));
    font.setWeight(qtWeight(m_weight));
    font.setStretch(qtStretch(m_width));
    font.setItalic(m_italic);
    // Qt synthesises small capitals of lower-case letters only; upper-case small
    // capitals and tabular digits need OpenType features Qt 6.4 cannot switch on.
    if (m_caps == Caps::SmallCaps || m_caps == Caps::LowercaseSmallCaps)
        font.setCapitalization(QFont::SmallCaps);
    if (made.size() >= maxFonts)
        made.clear();
    made.insert(*this, { desktop, font });
    return font;
}

size_t qHash(const Font &font, size_t seed) noexcept
{
    return qHashMulti(seed, font.family(), int(font.design()), font.size(), int(font.weightValue()),
        int(font.widthValue()), int(font.caps()), font.isMonospaced(), font.hasMonospacedDigits(),
        font.isItalic());
}

double textSizeScale(const QFont &font, double dotsPerInch)
{
    constexpr double defaultPixels = 9.0 * 96 / 72;
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dotsPerInch / 72;
    // A font without a size of either kind leaves the text as it is.
    return pixels > 0 ? pixels / defaultPixels : 1.0;
}

double systemTextSizeScale(const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return textSizeScale(QGuiApplication::font(), screen ? screen->logicalDotsPerInchY() : 96);
}

} // namespace ui
