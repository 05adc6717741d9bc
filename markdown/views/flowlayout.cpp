#include "markdown/views/flowlayout.h"

#include <algorithm>
#include <limits>

FlowLayout::FlowLayout(double horizontalSpacing, double verticalSpacing)
    : m_horizontalSpacing(horizontalSpacing)
    , m_verticalSpacing(verticalSpacing)
{ }

std::vector<FlowLayout::Row> FlowLayout::rows(
    const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const
{
    const double maxWidth = proposal.width.value_or(std::numeric_limits<double>::infinity());
    std::vector<Row> rows;
    Row current;
    double x = 0;
    auto close = [&] {
        // x holds the gap after the row's last item, which the row's width leaves out.
        current.size.setWidth(x - m_horizontalSpacing);
        rows.push_back(std::move(current));
        current = Row();
        x = 0;
    };
    for (size_t index = 0; index < subviews.size(); ++index) {
        const ui::LayoutSubview &subview = subviews[index];
        std::optional<double> offer = proposal.width;
        // A subview that yields is offered only what is left of the row; not clamped,
        // so it may be offered nothing or less once the row is full.
        if (subview.priority() < 0 && offer)
            offer = *offer - x;
        const QSizeF size = subview.sizeThatFits({ offer, std::nullopt });
        // Kept at the size measured for the row it no longer fits: it is not measured
        // again for the new one.
        if (x > 0 && x + size.width() > maxWidth)
            close();
        current.items.push_back({ index, size });
        x += size.width() + m_horizontalSpacing;
        current.size.setHeight(std::max(current.size.height(), size.height()));
    }
    if (!current.items.empty())
        close();
    return rows;
}

QSizeF FlowLayout::sizeThatFits(const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const
{
    const std::vector<Row> rows = this->rows(proposal, subviews);
    if (rows.empty())
        return { 0, 0 };
    double width = 0;
    double height = m_verticalSpacing * double(rows.size() - 1);
    for (const Row &row : rows) {
        width = std::max(width, row.size.width());
        height += row.size.height();
    }
    return { width, height };
}

void FlowLayout::placeSubviews(
    const QRectF &bounds, const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const
{
    double y = bounds.top();
    for (const Row &row : rows(proposal, subviews)) {
        double x = bounds.left();
        for (const Item &item : row.items) {
            subviews[item.index].place(QPointF(x, y + row.size.height() - item.size.height()),
                ui::UnitPoint::topLeading(), ui::ProposedSize::of(item.size));
            x += item.size.width() + m_horizontalSpacing;
        }
        y += row.size.height() + m_verticalSpacing;
    }
}

ui::ProposalAxes FlowLayout::followedAxes(const ui::LayoutSubviews &) const
{
    return { true, false };
}
