#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// The few text colours and fonts the panel's widgets share, taken from the
// widget's palette so a change of appearance reaches them: primary text, the
// dimmed "secondary" and fainter "tertiary" tones, and the accent (the palette's
// highlight). Fonts are the application font at a pixel size.
namespace PanelStyle {

// The strength of the quieter tones: still 4.5:1 on the window in either look.
inline constexpr double secondaryAlpha = 0.7;
inline constexpr double tertiaryAlpha = 0.62;

QColor primary(const QWidget &widget);
QColor secondary(const QWidget &widget);
QColor tertiary(const QWidget &widget);
QColor accent(const QWidget &widget);
// The same tones of a palette's text colour.
QColor primary(const QPalette &palette);
QColor secondary(const QPalette &palette);
QColor tertiary(const QPalette &palette);
// The edge of a control whose edge shows its state (a check box), which reads at
// 3:1 on the window and on text fields.
QColor controlOutline(const QPalette &palette);
// Text of an action that destroys (a red), readable on the window and on buttons.
QColor destructive(const QPalette &palette);
QColor textBackground(const QWidget &widget);

// The widget's text in a tone of the text colour it inherits (primary, secondary
// or tertiary), kept in that tone when the appearance switches (see derivePalette).
void setTextTone(QWidget &widget, QColor (*tone)(const QPalette &));

QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospacedFont(int pixelSize);

} // namespace PanelStyle
