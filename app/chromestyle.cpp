#include "app/chromestyle.h"

#include "ui/panelstyle.h"

#include <QPainter>
#include <QStyleOption>

ChromeStyle::ChromeStyle() = default;

void ChromeStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_IndicatorCheckBox && element != PE_IndicatorRadioButton)
        return;
    if (!(option->state & State_Enabled))
        return; // a control that can't be used need not stand out
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(PanelStyle::controlOutline(option->palette), 1));
    painter->setBrush(Qt::NoBrush);
    const QRectF edge = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (element == PE_IndicatorRadioButton)
        painter->drawEllipse(edge);
    else
        painter->drawRoundedRect(edge, 2, 2);
    painter->restore();
}
