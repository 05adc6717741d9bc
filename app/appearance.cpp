#include "app/appearance.h"

#include <QApplication>
#include <QPalette>

namespace Appearance {

namespace {

QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x26, 0x26, 0x28);
    const QColor base(0x1c, 0x1c, 0x1e);
    const QColor text(0xf2, 0xf2, 0xf7);
    const QColor disabledText(0x8e, 0x8e, 0x93);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x40, 0x9c, 0xff));
    p.setColor(QPalette::Mid, QColor(0x48, 0x48, 0x4a));
    p.setColor(QPalette::Dark, QColor(0x10, 0x10, 0x12));
    p.setColor(QPalette::Light, QColor(0x5a, 0x5a, 0x5e));
    for (auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        p.setColor(QPalette::Disabled, role, disabledText);
    return p;
}

QPalette lightPalette()
{
    QPalette p;
    const QColor window(0xf5, 0xf5, 0xf7);
    const QColor text(0x1d, 0x1d, 0x1f);
    const QColor disabledText(0x8e, 0x8e, 0x93);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0xe5, 0xe5, 0xea));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, Qt::white);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Highlight, QColor(0x00, 0x7a, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x00, 0x66, 0xcc));
    p.setColor(QPalette::Mid, QColor(0xc7, 0xc7, 0xcc));
    p.setColor(QPalette::Dark, QColor(0xa0, 0xa0, 0xa5));
    p.setColor(QPalette::Light, Qt::white);
    for (auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        p.setColor(QPalette::Disabled, role, disabledText);
    return p;
}

// The palette the desktop handed the program, taken before any look of ours replaced it.
const QPalette &systemPalette()
{
    static const QPalette palette = QApplication::palette();
    return palette;
}

} // namespace

Mode modeFor(const QString &appearanceMode)
{
    if (appearanceMode == QLatin1String("dark"))
        return Mode::Dark;
    if (appearanceMode == QLatin1String("light"))
        return Mode::Light;
    return Mode::System;
}

void apply(Mode mode)
{
    const QPalette &system = systemPalette();
    switch (mode) {
    case Mode::Dark:
        QApplication::setPalette(darkPalette());
        break;
    case Mode::Light:
        QApplication::setPalette(lightPalette());
        break;
    case Mode::System:
        QApplication::setPalette(system);
        break;
    }
}

bool isDark()
{
    return QApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
}

} // namespace Appearance
