#pragma once

#include "ui/element.h"
#include "ui/viewtree.h"

#include <QImage>
#include <QPainter>
#include <QString>

// Every element's frame and first and last baselines, one line each, indented by
// depth: two trees that dump alike are laid out alike.
inline void appendLayoutDump(ui::Element &element, int depth, QString &out)
{
    auto number = [](double value) { return QString::number(value, 'g', 12); };
    const QRectF frame = element.frame();
    out += QString(depth * 2, QLatin1Char(' '));
    out += QStringLiteral("%1 %2 %3 %4")
               .arg(number(frame.x()), number(frame.y()), number(frame.width()), number(frame.height()));
    for (bool last : { false, true }) {
        const std::optional<double> line = element.baseline(frame.size(), last);
        out += line ? QLatin1Char(' ') + number(*line) : QStringLiteral(" -");
    }
    out += QLatin1Char('\n');
    for (const ui::ElementPtr &child : element.children())
        appendLayoutDump(*child, depth + 1, out);
}

inline QString layoutDump(ui::Element &root)
{
    QString out;
    appendLayoutDump(root, 0, out);
    return out;
}

// The tree drawn on white into an image of `width` by `height` pixels: two trees
// that draw alike give equal images.
inline QImage drawing(const ui::ViewTree &tree, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    tree.paint(painter, QRectF(image.rect()));
    return image;
}
