#include "markdown/views/tablebackgroundview.h"

#include <QColor>

ui::View DrawnRectangles(
    std::vector<QRectF> rectangles, std::function<void(QPainter &, const QRectF &, size_t)> draw)
{
    return ui::Canvas([rectangles = std::move(rectangles), draw = std::move(draw)](
                          QPainter &painter, const QRectF &frame, const QRectF &exposed) {
        for (size_t i = 0; i < rectangles.size(); ++i) {
            const QRectF rectangle = rectangles[i].translated(frame.topLeft());
            if (rectangle.intersects(exposed))
                draw(painter, rectangle, i);
        }
    });
}

ui::View TableBackgroundView(const TableBounds &bounds)
{
    return ui::EnvironmentReader([bounds](const ui::EnvironmentValues &env) {
        const TableBackgroundStyle &style = env.get<TableBackgroundStyleKey>();
        const ui::ColorScheme scheme = env.get<ui::ColorSchemeKey>();
        std::vector<QRectF> cells;
        std::vector<QColor> fills;
        for (int row = 0; row < int(bounds.rows.size()); ++row) {
            for (int column = 0; column < int(bounds.columns.size()); ++column) {
                // A cell that has not reported has no extent, and a clear one draws
                // nothing.
                if (!bounds.hasReported(row, column))
                    continue;
                const QColor fill = style.background(row, column).resolve(scheme);
                if (fill.alpha() == 0)
                    continue;
                cells.push_back(bounds.cellRect(row, column));
                fills.push_back(fill);
            }
        }
        return DrawnRectangles(
            std::move(cells), [fills = std::move(fills)](QPainter &painter, const QRectF &cell, size_t i) {
                ui::Shape::rectangle().paintFill(painter, cell, fills[i]);
            });
    });
}
