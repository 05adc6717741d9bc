#include "markdown/views/tablebackgroundview.h"

ui::View placedAt(const ui::View &view, const QRectF &rectangle)
{
    return view.frame(rectangle.width(), rectangle.height()).offset(rectangle.x(), rectangle.y());
}

ui::View TableBackgroundView(const TableBounds &bounds)
{
    return ui::EnvironmentReader([bounds](const ui::EnvironmentValues &env) {
        const TableBackgroundStyle &style = env.get<TableBackgroundStyleKey>();
        const ui::ColorScheme scheme = env.get<ui::ColorSchemeKey>();
        std::vector<ui::View> fills;
        for (int row = 0; row < int(bounds.rows.size()); ++row) {
            for (int column = 0; column < int(bounds.columns.size()); ++column) {
                // A cell that has not reported has no extent; a clear one draws nothing,
                // and leaving it out keeps a large table with the default style from
                // stacking thousands of invisible views.
                if (!bounds.hasReported(row, column))
                    continue;
                const ui::Color fill = style.background(row, column);
                if (fill.resolve(scheme).alpha() == 0)
                    continue;
                fills.push_back(placedAt(ui::View(fill), bounds.cellRect(row, column)));
            }
        }
        return ui::ZStack(ui::Alignment::topLeading(), std::move(fills));
    });
}
