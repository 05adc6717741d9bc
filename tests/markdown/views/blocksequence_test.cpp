#include "markdown/views/blocksequence.h"

#include "markdown/theme/blockmargin.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/views/markdownenvironment.h"

#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Margin = std::optional<double>;

// A block 100 × 10 that asks for the given margins, found again by its number.
ui::View block(int number, Margin top, Margin bottom)
{
    return ui::View(ui::Color::blue()).frame(100, 10).tag(number).modifier(markdownMargin(top, bottom));
}

ui::View sequence(std::vector<ui::View> views)
{
    QList<int> positions;
    for (size_t i = 0; i < views.size(); ++i)
        positions.append(int(i));
    return BlockSequence(positions, [views](qsizetype, int i) { return views[size_t(i)]; });
}

// The frames of blocks 0, 1, … laid out at 800 points.
std::vector<QRectF> layOut(const ui::View &view, int count, ui::EnvironmentValues env = {})
{
    ui::ViewTree tree(view, std::move(env));
    tree.rebuild(800);
    std::vector<QRectF> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(tree.frameOfTag(i));
    return frames;
}

// The space between each block and the one before it.
std::vector<double> gaps(const std::vector<QRectF> &frames)
{
    std::vector<double> result;
    for (size_t i = 1; i < frames.size(); ++i)
        result.push_back(frames[i].top() - frames[i - 1].bottom());
    return result;
}

struct SpacingCase
{
    const char *name;
    std::vector<ui::View> blocks;
    bool tight;
    std::vector<double> expectedGaps;
};

} // namespace

TEST(BlockSequence, neighboursAreSpacedByTheLargerOfTheirFacingMargins)
{
    const SpacingCase cases[] = {
        { "paragraph then heading", { block(0, 0, 16), block(1, 24, 8) }, false, { 24 } },
        { "heading then paragraph", { block(0, 24, 8), block(1, 0, 16) }, false, { 8 } },
        { "paragraph heading paragraph", { block(0, 0, 16), block(1, 24, 8), block(2, 0, 16) }, false,
            { 24, 8 } },
        { "no margins at all", { block(0, {}, {}), block(1, {}, {}) }, false, { 16 } },
        { "only the upper asks", { block(0, {}, 4), block(1, {}, {}) }, false, { 4 } },
        { "a zero top is no default", { block(0, {}, {}), block(1, 0, {}) }, false, { 0 } },
        { "tight list paragraphs", { block(0, {}, 16), block(1, {}, 16) }, true, { 0 } },
        { "tight keeps a top margin", { block(0, {}, 16), block(1, 12, 16) }, true, { 12 } },
    };
    for (const SpacingCase &c : cases) {
        SCOPED_TRACE(c.name);
        ui::EnvironmentValues env;
        env.set<TightSpacingEnabledKey>(c.tight);
        const std::vector<QRectF> frames = layOut(sequence(c.blocks), int(c.blocks.size()), env);
        EXPECT_EQ(frames.front().top(), 0) << "the first block stands at the top";
        EXPECT_EQ(gaps(frames), c.expectedGaps);
    }
}

TEST(BlockSequence, aNestedSequenceReportsTheLargestMarginsInsideIt)
{
    // A quote whose paragraphs ask 16 and 24 below them, then a paragraph.
    const ui::View quote = sequence({ block(0, 0, 16), block(1, 0, 24) });
    const std::vector<QRectF> frames
        = layOut(BlockSequence(
                     QList<int> { 0, 1 }, [&](qsizetype i, int) { return i == 0 ? quote : block(2, 0, 16); }),
            3);
    EXPECT_EQ(gaps(frames), (std::vector<double> { 16, 24 }));
}

TEST(BlockSequence, relativeMarginsResolveInTheTextStyleWhereTheyStand)
{
    const ui::View relative = ui::View(ui::Color::blue())
                                  .frame(100, 10)
                                  .tag(1)
                                  .modifier(markdownMargin(RelativeSize::em(1), std::nullopt));
    std::vector<QRectF> frames = layOut(sequence({ block(0, {}, {}), relative }), 2);
    EXPECT_EQ(gaps(frames), std::vector<double> { 13 });

    ui::EnvironmentValues larger;
    larger.set<TextStyleKey>(TextStyleBuilder::block({ FontProperties(), FontSize(20) }));
    frames = layOut(sequence({ block(0, {}, {}), relative }), 2, larger);
    EXPECT_EQ(gaps(frames), std::vector<double> { 20 });
}

TEST(BlockSequence, aBlockThatShowsNothingTakesNoSpaceAndNeighboursCollapse)
{
    const std::vector<QRectF> frames
        = layOut(sequence({ block(0, 0, 16), ui::EmptyView(), block(1, 24, 8) }), 2);
    EXPECT_EQ(gaps(frames), std::vector<double> { 24 });
    const std::vector<QRectF> leading = layOut(sequence({ ui::EmptyView(), block(0, 24, 8) }), 1);
    EXPECT_EQ(leading[0].top(), 0);
}

TEST(BlockSequence, reportsItsBlocksMarginsToWhatHoldsIt)
{
    ui::ViewTree tree(sequence({ block(0, 5, 16), block(1, 24, 8) }));
    tree.rebuild(800);
    EXPECT_EQ(tree.root()->preferences().get<BlockMarginsPreference>(), (BlockMargin { 24, 16 }));
}

TEST(BlockSequence, alignsItsBlocksAsTheMultilineTextAlignmentSays)
{
    const struct
    {
        ui::TextAlignment alignment;
        double x;
    } cases[] = {
        { ui::TextAlignment::Leading, 0 },
        { ui::TextAlignment::Center, 350 },
        { ui::TextAlignment::Trailing, 700 },
    };
    for (const auto &c : cases) {
        // A wide block makes the stack as wide as the width.
        const ui::View wide = ui::View(ui::Color::red()).frame(800, 10);
        ui::EnvironmentValues env;
        env.set<ui::MultilineTextAlignmentKey>(c.alignment);
        const std::vector<QRectF> frames = layOut(sequence({ wide, block(0, {}, {}) }), 1, env);
        EXPECT_EQ(frames[0].left(), c.x) << int(c.alignment);
    }
}

TEST(BlockSequence, equalBlocksAtDifferentPositionsKeepStateApart)
{
    // Each block counts how often it was shown in its own state; the two equal
    // elements must not share one count.
    auto counter = [](qsizetype, int) {
        return ui::withState<int>(0, [](ui::State<int> shown) {
            shown.setWithoutRebuild(*shown + 1);
            return ui::View(ui::Color::blue()).frame(10, 10).tag(*shown);
        });
    };
    ui::ViewTree tree(BlockSequence(QList<int> { 7, 7 }, counter));
    tree.rebuild(800);
    EXPECT_EQ(tree.findAllByTag(1).size(), 2u);
    tree.rebuild(800);
    EXPECT_EQ(tree.findAllByTag(2).size(), 2u);
}
