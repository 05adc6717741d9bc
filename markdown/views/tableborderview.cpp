#include "markdown/views/tableborderview.h"

#include "markdown/views/tablebackgroundview.h"

#include <algorithm>

ui::View TableBorderView(const TableBounds &bounds)
{
    return ui::EnvironmentReader([bounds](const ui::EnvironmentValues &env) {
        const TableBorderStyle &style = env.get<TableBorderStyleKey>();
        std::vector<QRectF> lines = style.visibleBorders.rectangles(bounds, style.strokeStyle.lineWidth);
        // A line of no extent (no width, or a row that has not reported) draws nothing.
        lines.erase(
            std::remove_if(lines.begin(), lines.end(), [](const QRectF &line) { return line.isEmpty(); }),
            lines.end());
        return DrawnRectangles(std::move(lines),
            [color = style.color.resolve(env.get<ui::ColorSchemeKey>()), stroke = style.strokeStyle](
                QPainter &painter, const QRectF &line, size_t) {
                ui::Shape::rectangle().paintStroke(painter, line, color, stroke, true);
            });
    });
}
