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

QColor secondary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.55);
}

QColor tertiary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.32);
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
