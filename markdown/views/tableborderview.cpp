#include "markdown/views/tableborderview.h"

#include "markdown/views/tablebackgroundview.h"

ui::View TableBorderView(const TableBounds &bounds)
{
    return ui::EnvironmentReader([bounds](const ui::EnvironmentValues &env) {
        const TableBorderStyle &style = env.get<TableBorderStyleKey>();
        const std::vector<QRectF> rectangles
            = style.visibleBorders.rectangles(bounds, style.strokeStyle.lineWidth);
        std::vector<ui::View> lines;
        lines.reserve(rectangles.size());
        for (const QRectF &rectangle : rectangles) {
            // A line of no extent (no width, or a row that has not reported) draws nothing.
            if (rectangle.isEmpty())
                continue;
            lines.push_back(
                placedAt(ui::Shape::rectangle().strokeBorder(style.color, style.strokeStyle), rectangle));
        }
        return ui::ZStack(ui::Alignment::topLeading(), std::move(lines));
    });
}
