#pragma once

#include "ui/layout.h"

#include <QSizeF>

// Shows `content` at `idealSize`, its natural size in points (a loaded image's pixels
// over its scale), and scales it down proportionally when it is offered less width; it
// never scales up. The proposed height is not consulted, so the result may be taller
// than offered. Meant for resizable content, which stretches to the size it is placed at.
ui::View ResizeToFit(QSizeF idealSize, const ui::View &content);

// The layout behind ResizeToFit: the first subview at its ideal size (measured with
// nothing proposed), or narrowed to the proposed width keeping its aspect ratio, and
// placed at the bounds' origin proposing exactly the bounds. Other subviews are
// neither measured nor placed.
class ResizeToFitLayout final : public ui::Layout
{
public:
    QSizeF sizeThatFits(const ui::ProposedSize &proposal, const ui::LayoutSubviews &subviews) const override;
    void placeSubviews(const QRectF &bounds, const ui::ProposedSize &proposal,
        const ui::LayoutSubviews &subviews) const override;
    ui::ProposalAxes followedAxes(const ui::LayoutSubviews &subviews) const override;
};
