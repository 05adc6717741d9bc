#include "markdown/views/flowlayout.h"

#include "tests/support/printers.h"

#include "ui/color.h"
#include "ui/statestore.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

ui::View box(double width, double height)
{
    return ui::View(ui::Color::red()).frame(width, height);
}

// As wide as it is offered but never below 30, 10 high: a subview whose width follows
// the proposal.
ui::View stretchy()
{
    return ui::View(ui::Color::blue()).frame(std::nullopt, 10).frame(ui::FlexibleFrame().withMinWidth(30));
}

struct FlowCase
{
    const char *name;
    std::vector<ui::View> subviews;
    double spacing;
    ui::ProposedSize proposal;
    QSizeF size;
    std::vector<QRectF> frames; // placed at the origin, in subview order
};

void PrintTo(const FlowCase &c, std::ostream *out)
{
    *out << c.name;
}

class FlowLayoutRows : public ::testing::TestWithParam<FlowCase>
{
};

TEST_P(FlowLayoutRows, wrapsWhereTheNextSubviewWouldEndBeyondTheWidth)
{
    const FlowCase &c = GetParam();
    ui::StateStore store;
    const ui::ElementPtr flow
        = ui::LayoutView(std::make_shared<const FlowLayout>(c.spacing, c.spacing), c.subviews)
              .resolve({}, ui::ResolveScope(store, 1));
    const QSizeF size = flow->sizeThatFits(c.proposal);
    EXPECT_EQ(size, c.size);
    flow->place(QRectF(QPointF(0, 0), size), c.proposal);
    std::vector<QRectF> frames;
    for (const ui::ElementPtr &child : flow->children())
        frames.push_back(child->frame());
    EXPECT_EQ(frames, c.frames);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlowLayoutRows,
    ::testing::Values(FlowCase { "noSubviews", {}, 4, { 100.0, std::nullopt }, QSizeF(0, 0), {} },
        FlowCase { "threeOf48In100", { box(48, 20), box(48, 20), box(48, 20) }, 4, { 100.0, std::nullopt },
            QSizeF(100, 44), { QRectF(0, 0, 48, 20), QRectF(52, 0, 48, 20), QRectF(0, 24, 48, 20) } },
        FlowCase { "twoOf50In100", { box(50, 20), box(50, 20) }, 4, { 100.0, std::nullopt }, QSizeF(50, 44),
            { QRectF(0, 0, 50, 20), QRectF(0, 24, 50, 20) } },
        // The first subview of a row stays in it, and the container reports its width.
        FlowCase { "anOversizeFirstSubviewKeepsRowOne", { box(150, 20), box(30, 20) }, 4,
            { 100.0, std::nullopt }, QSizeF(150, 44), { QRectF(0, 0, 150, 20), QRectF(0, 24, 30, 20) } },
        FlowCase { "anOversizeLaterSubviewTakesARowOfItsOwn", { box(30, 10), box(150, 20), box(30, 10) }, 4,
            { 100.0, std::nullopt }, QSizeF(150, 48),
            { QRectF(0, 0, 30, 10), QRectF(0, 14, 150, 20), QRectF(0, 38, 30, 10) } },
        FlowCase { "itemsOfARowShareItsBottomEdge", { box(20, 10), box(20, 30), box(20, 5) }, 2,
            { 100.0, std::nullopt }, QSizeF(64, 30),
            { QRectF(0, 20, 20, 10), QRectF(22, 0, 20, 30), QRectF(44, 25, 20, 5) } },
        FlowCase { "noProposedWidthIsOneRow", { box(80, 10), box(80, 10), box(80, 10) }, 4,
            ui::ProposedSize::unspecified(), QSizeF(248, 10),
            { QRectF(0, 0, 80, 10), QRectF(84, 0, 80, 10), QRectF(168, 0, 80, 10) } },
        FlowCase { "anInfiniteWidthIsOneRow", { box(80, 10), box(80, 10) }, 4, { infinity, std::nullopt },
            QSizeF(164, 10), { QRectF(0, 0, 80, 10), QRectF(84, 0, 80, 10) } },
        FlowCase { "aZeroWidthIsOneSubviewPerRow", { box(30, 10), box(50, 10) }, 4, { 0.0, std::nullopt },
            QSizeF(50, 24), { QRectF(0, 0, 30, 10), QRectF(0, 14, 50, 10) } },
        // The proposed height plays no part.
        FlowCase { "theProposedHeightIsIgnored", { box(30, 10), box(30, 10) }, 4, { 50.0, 5.0 },
            QSizeF(30, 24), { QRectF(0, 0, 30, 10), QRectF(0, 14, 30, 10) } },
        // While the running offset is 0 nothing wraps, however wide the next subview.
        FlowCase { "zeroWidthsWithoutSpacingNeverWrap", { box(0, 10), box(0, 10), box(150, 10) }, 0,
            { 100.0, std::nullopt }, QSizeF(150, 10),
            { QRectF(0, 0, 0, 10), QRectF(0, 0, 0, 10), QRectF(0, 0, 150, 10) } },
        // A yielding subview is offered only what is left of the row.
        FlowCase { "aYieldingSubviewTakesWhatIsLeft", { box(40, 10), stretchy().layoutPriority(-1) }, 4,
            { 100.0, std::nullopt }, QSizeF(100, 10), { QRectF(0, 0, 40, 10), QRectF(44, 0, 56, 10) } },
        // Offered 16, it asks 30: it moves on, keeping the size measured for the old row.
        FlowCase { "aYieldingSubviewThatAsksMoreMovesOn", { box(80, 10), stretchy().layoutPriority(-1) }, 4,
            { 100.0, std::nullopt }, QSizeF(80, 24), { QRectF(0, 0, 80, 10), QRectF(0, 14, 30, 10) } },
        // Without negative priority the same subview is offered the whole width.
        FlowCase { "anOrdinarySubviewIsOfferedTheWholeWidth", { box(40, 10), stretchy() }, 4,
            { 100.0, std::nullopt }, QSizeF(100, 24), { QRectF(0, 0, 40, 10), QRectF(0, 14, 100, 10) } }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
