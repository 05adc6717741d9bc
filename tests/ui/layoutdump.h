#pragma once

#include "ui/element.h"

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
