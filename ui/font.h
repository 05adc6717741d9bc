#pragma once

#include <QFont>
#include <QString>

class QScreen;

namespace ui {

// A font described by what a text asks for (a family or a design, a pixel size, a
// weight, a width, italics and variants), turned into a QFont only where text is
// drawn. Qt 6.4 has no OpenType feature switches: small capitals of upper-case letters
// and tabular digits stay in the description but are drawn without the feature.
class Font
{
public:
    enum class Design { Default, Serif, Rounded, Monospaced };
    enum class Weight { UltraLight, Thin, Light, Regular, Medium, Semibold, Bold, Heavy, Black };
    enum class Width { Compressed, Condensed, Standard, Expanded };
    enum class Caps { Normal, SmallCaps, LowercaseSmallCaps, UppercaseSmallCaps };

    // The body font: the system family at 13 points.
    Font() = default;
    static Font system(double size, Weight weight = Weight::Regular, Design design = Design::Default);
    // A named family at a fixed point size.
    static Font custom(const QString &family, double size);

    Font monospaced() const;
    Font smallCaps() const;
    Font lowercaseSmallCaps() const;
    Font uppercaseSmallCaps() const;
    Font monospacedDigit() const;
    Font weight(Weight weight) const;
    Font width(Width width) const;
    Font italic() const;
    Font withSize(double size) const;

    const QString &family() const { return m_family; }
    Design design() const { return m_design; }
    double size() const { return m_size; }
    Weight weightValue() const { return m_weight; }
    Width widthValue() const { return m_width; }
    Caps caps() const { return m_caps; }
    bool isMonospaced() const { return m_monospaced; }
    bool hasMonospacedDigits() const { return m_monospacedDigits; }
    bool isItalic() const { return m_italic; }

    // The request handed to Qt: family or style hint, pixel size, weight, stretch,
    // italics and the capitalisation Qt can draw.
    QFont toQFont() const;

    static QFont::Weight qtWeight(Weight weight);
    static int qtStretch(Width width);

    bool operator==(const Font &) const = default;

private:
    QString m_family; // empty: the system family of m_design
    Design m_design = Design::Default;
    double m_size = 13;
    Weight m_weight = Weight::Regular;
    Width m_width = Width::Standard;
    Caps m_caps = Caps::Normal;
    bool m_monospaced = false;
    bool m_monospacedDigits = false;
    bool m_italic = false;
};

size_t qHash(const Font &font, size_t seed = 0) noexcept;

// The user's text size on `screen` (the primary one when null), as a factor of the
// body text size: the application's font (the desktop's, where the desktop sets one)
// against the one Qt gives where nothing sets any, 9 points at 96 dots per inch. A
// larger font, or more dots per inch for the same font (how desktops scale text), is a
// larger factor. Main thread only.
double systemTextSizeScale(const QScreen *screen);
// The same for `font` at `dotsPerInch`.
double textSizeScale(const QFont &font, double dotsPerInch);

} // namespace ui
