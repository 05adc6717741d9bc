#include "app/appearance.h"

#include "platform/qt/derivedpalette.h"

#include <QApplication>
#include <QPalette>

#include <optional>

namespace Appearance {

namespace {

// The colours that make one of the looks; every other role it sets takes one of these.
struct LookColours
{
    QColor window;
    QColor base;
    QColor text;
    QColor button;
    QColor highlight; // white text reads on it, and it reads on the window
    QColor link;
    QColor placeholder; // the quieter texts of forms
    QColor mid;
    QColor dark;
    QColor light;
};

QPalette paletteWith(const LookColours &colours)
{
    QPalette p;
    // Controls that can't be used need not stand out (WCAG leaves them out).
    const QColor disabledText(0x8e, 0x8e, 0x93);
    p.setColor(QPalette::Window, colours.window);
    p.setColor(QPalette::WindowText, colours.text);
    p.setColor(QPalette::Base, colours.base);
    p.setColor(QPalette::AlternateBase, colours.window);
    p.setColor(QPalette::Text, colours.text);
    p.setColor(QPalette::Button, colours.button);
    p.setColor(QPalette::ButtonText, colours.text);
    p.setColor(QPalette::ToolTipBase, colours.base);
    p.setColor(QPalette::ToolTipText, colours.text);
    p.setColor(QPalette::PlaceholderText, colours.placeholder);
    p.setColor(QPalette::Highlight, colours.highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, colours.link);
    p.setColor(QPalette::Mid, colours.mid);
    p.setColor(QPalette::Dark, colours.dark);
    p.setColor(QPalette::Light, colours.light);
    for (auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        p.setColor(QPalette::Disabled, role, disabledText);
    return p;
}

QPalette darkPalette()
{
    return paletteWith({
        .window = QColor(0x26, 0x26, 0x28),
        .base = QColor(0x1c, 0x1c, 0x1e),
        .text = QColor(0xf2, 0xf2, 0xf7),
        .button = QColor(0x3a, 0x3a, 0x3c),
        .highlight = QColor(0x0a, 0x6c, 0xff),
        .link = QColor(0x40, 0x9c, 0xff),
        .placeholder = QColor(0x8e, 0x8e, 0x93),
        .mid = QColor(0x48, 0x48, 0x4a),
        .dark = QColor(0x10, 0x10, 0x12),
        .light = QColor(0x5a, 0x5a, 0x5e),
    });
}

QPalette lightPalette()
{
    return paletteWith({
        .window = QColor(0xf5, 0xf5, 0xf7),
        .base = Qt::white,
        .text = QColor(0x1d, 0x1d, 0x1f),
        .button = QColor(0xe5, 0xe5, 0xea),
        .highlight = QColor(0x00, 0x64, 0xd2),
        .link = QColor(0x00, 0x66, 0xcc),
        .placeholder = QColor(0x6e, 0x6e, 0x73),
        .mid = QColor(0xc7, 0xc7, 0xcc),
        .dark = QColor(0xa0, 0xa0, 0xa5),
        .light = Qt::white,
    });
}

// The palette the desktop handed the program, taken before any look of ours replaced it.
const QPalette &systemPalette()
{
    static const QPalette palette = QApplication::palette();
    return palette;
}

ColorSchemePreference::Scheme systemPreference = ColorSchemePreference::Scheme::NoPreference;
std::optional<Mode> applied; // none before the launch applies the stored look

} // namespace

Mode modeFor(const QString &appearanceMode)
{
    if (appearanceMode == QLatin1String("dark"))
        return Mode::Dark;
    if (appearanceMode == QLatin1String("light"))
        return Mode::Light;
    return Mode::System;
}

QPalette paletteOf(Mode mode)
{
    switch (mode) {
    case Mode::Dark:
        return darkPalette();
    case Mode::Light:
        return lightPalette();
    case Mode::System:
        break;
    }
    switch (systemPreference) {
    case ColorSchemePreference::Scheme::Dark:
        return darkPalette();
    case ColorSchemePreference::Scheme::Light:
        return lightPalette();
    case ColorSchemePreference::Scheme::NoPreference:
        break;
    }
    return systemPalette();
}

void apply(Mode mode)
{
    systemPalette(); // taken before the first look of ours replaces it
    applied = mode;
    followLookEverywhere(); // from the first look on, whoever changes the palette later
    QApplication::setPalette(paletteOf(mode));
}

void setSystemPreference(ColorSchemePreference::Scheme scheme)
{
    if (scheme == systemPreference)
        return;
    systemPreference = scheme;
    if (applied == Mode::System)
        apply(Mode::System);
}

bool isDark()
{
    return QApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
}

} // namespace Appearance
