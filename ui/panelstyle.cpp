#include "ui/panelstyle.h"

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
    return widget.palette().color(QPalette::WindowText);
}

QColor secondary(const QWidget &widget)
{
    return withAlpha(primary(widget), 0.55);
}

QColor tertiary(const QWidget &widget)
{
    return withAlpha(primary(widget), 0.32);
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
