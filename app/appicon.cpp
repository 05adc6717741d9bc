#include "app/appicon.h"

#include "platform/symbolicon.h"

#include <QPainter>

QIcon appIcon()
{
    QIcon icon(QStringLiteral(":/MenuBarIcon.svg"));
    if (!icon.availableSizes().isEmpty() || !icon.pixmap(22).isNull())
        return icon;
    return symbolIcon(Symbol::SplitRectangle);
}

QIcon trayIcon()
{
    // The tray's colour is the desktop's and unknown: a light shape with a dark rim
    // reads on a dark tray by its shape and on a light one by its rim.
    const QIcon shape = appIcon();
    const QIcon light = tintedIcon(shape, QColor(0xf2, 0xf2, 0xf7));
    const QIcon rim = tintedIcon(shape, QColor(0x1d, 0x1d, 0x1f));
    QIcon icon;
    for (const int size : { 16, 22, 24, 32, 48, 64 }) {
        QPixmap canvas(size, size);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        const QRect glyph(1, 1, size - 2, size - 2);
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                if (dx != 0 || dy != 0)
                    rim.paint(&painter, glyph.translated(dx, dy));
            }
        }
        light.paint(&painter, glyph);
        painter.end();
        icon.addPixmap(canvas);
    }
    return icon;
}
