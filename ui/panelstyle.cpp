#include "ui/panelstyle.h"

#include "platform/qt/derivedpalette.h"

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

namespace {

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

namespace PanelStyle {

QColor primary(const QWidget &widget)
{
    return primary(widget.palette());
}

QColor primary(const QPalette &palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QWidget &widget)
{
    return secondary(widget.palette());
}

QColor tertiary(const QWidget &widget)
{
    return tertiary(widget.palette());
}

// Both must read at 4.5:1 (WCAG AA for text), which leaves little room between them.
QColor secondary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), secondaryAlpha);
}

QColor tertiary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), tertiaryAlpha);
}

QColor controlOutline(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.55);
}

QColor destructive(const QPalette &palette)
{
    // One red does not read on both a light and a dark window.
    const bool dark = palette.color(QPalette::Window).lightnessF() < 0.5;
    return dark ? QColor(0xff, 0x8a, 0x80) : QColor(0xc4, 0x00, 0x1a);
}

void setTextTone(QWidget &widget, QColor (*tone)(const QPalette &))
{
    ::derivePalette(
        widget, [tone](QPalette &palette) { palette.setColor(QPalette::WindowText, tone(palette)); });
}

QColor accent(const QWidget &widget)
{
    return widget.palette().color(QPalette::Highlight);
}

QColor textBackground(const QWidget &widget)
{
    return widget.palette().color(QPalette::Base);
}

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont monospacedFont(int pixelSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace PanelStyle
