#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The few text colours and fonts the panel's widgets share, taken from the
// widget's palette so a change of appearance reaches them: primary text, the
// dimmed "secondary" and fainter "tertiary" tones, and the accent (the palette's
// highlight). Fonts are the application font at a pixel size.
namespace PanelStyle {

QColor primary(const QWidget &widget);
QColor secondary(const QWidget &widget);
QColor tertiary(const QWidget &widget);
QColor accent(const QWidget &widget);
QColor textBackground(const QWidget &widget);

QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospacedFont(int pixelSize);

} // namespace PanelStyle
