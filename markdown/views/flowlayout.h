#pragma once

#include "ui/layout.h"

#include <vector>

// Places its subviews left to right in rows, like words in a paragraph, opening a new
// row when the next subview would end beyond the proposed width. The first subview of
// a row stays in it however wide it is, so the layout may come out wider than offered.
// Items of a row share its bottom edge; rows start at the leading edge and stack from
// the top. Nothing is kept between calls: every measurement computes the rows afresh.
class FlowLayout final : public ui::Layout
{
public:
    FlowLayout(double horizontalSpacing, double verticalSpacing);

    // The widest row, and the rows' heights with the gaps between them; (0, 0) without
    // subviews. Without a proposed width (or with an infinite one) everything is one row.
    QSizeF sizeThatFits(const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const override;
    // Rows are computed from the proposal again, not from the bounds' width.
    void placeSubviews(const QRectF &bounds, const ui::ProposedSize &proposal,
        const ui::LayoutSubviews &subviews) const override;
    // Subviews are measured with no height, so only the proposed width matters.
    ui::ProposalAxes followedAxes(const ui::LayoutSubviews &subviews) const override;

private:
    struct Item
    {
        size_t index;
        QSizeF size; // as measured for the row
    };
    struct Row
    {
        QSizeF size; // first item's leading edge to the last one's trailing edge; the tallest item
        std::vector<Item> items;
    };
    std::vector<Row> rows(const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const;

    double m_horizontalSpacing;
    double m_verticalSpacing;
};
