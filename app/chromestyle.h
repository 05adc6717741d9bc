#pragma once

#include <QProxyStyle>

// The program's widget style: the desktop's (or Qt's own), with the edge of check
// boxes and radio buttons drawn so that it reads at 3:1 on the window in either look.
// Styles derive that edge from the window colour, which on a dark window leaves an
// unchecked box invisible.
class ChromeStyle final : public QProxyStyle
{
public:
    ChromeStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget = nullptr) const override;
};
