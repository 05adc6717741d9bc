#include "markdown/views/resizetofit.h"

#include <memory>

ui::View ResizeToFit(QSizeF idealSize, const ui::View &content)
{
    // The ideal frame answers the layout's question for the natural size with the size
    // the caller knows, and passes every real offer through to the content.
    const ui::View sized = content.frame(
        ui::FlexibleFrame().withIdealWidth(idealSize.width()).withIdealHeight(idealSize.height()));
    return ui::LayoutView(std::make_shared<const ResizeToFitLayout>(), { sized });
}

QSizeF ResizeToFitLayout::sizeThatFits(
    const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const
{
    if (subviews.empty())
        return { 0, 0 };
    const QSizeF ideal = subviews.front().sizeThatFits(ui::ProposedSize::unspecified());
    if (!proposal.width || ideal.width() <= *proposal.width)
        return ideal;
    // The height keeps the aspect ratio: with an ideal height of 0 the ratio is infinite
    // and the height 0.
    const double width = *proposal.width;
    return { width, width / (ideal.width() / ideal.height()) };
}

void ResizeToFitLayout::placeSubviews(
    const QRectF &bounds, const ui::ProposedSize &, const ui::LayoutSubviews &subviews) const
{
    if (subviews.empty())
        return;
    subviews.front().place(
        bounds.topLeft(), ui::UnitPoint::topLeading(), ui::ProposedSize::of(bounds.size()));
}

ui::ProposalAxes ResizeToFitLayout::followedAxes(const ui::LayoutSubviews &) const
{
    return { true, false };
}
