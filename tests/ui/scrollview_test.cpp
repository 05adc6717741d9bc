#include "ui/layout.h"
#include "ui/viewtree.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

using namespace ui;

namespace {

struct DragCase
{
    const char *name;
    double press; // where along the 300-point track the press lands
    double to; // where the pointer is released
    double offset; // the content's offset afterwards
};

void PrintTo(const DragCase &c, std::ostream *out)
{
    *out << c.name;
}

class IndicatorDrag : public testing::TestWithParam<DragCase>
{
};

} // namespace

// 1200 points of content in 300: the indicator is 75 long and travels 225 while the
// content travels 900, so the content moves four times as far as the pointer.
TEST_P(IndicatorDrag, movesTheContentInProportion)
{
    const DragCase &c = GetParam();
    ViewTree tree(VStack(
        { ScrollView(Axis::Horizontal, View(Color::blue()).frame(1200, 40).tag("content")).tag("scroll") }));
    tree.rebuild(300);
    const double y = 38; // inside the band along the bottom edge
    Element *hit = tree.root()->hitTest(QPointF(c.press, y));
    ASSERT_EQ(hit, tree.findByTag(QStringLiteral("scroll"))) << "the indicator's band takes the press";
    hit->mousePressed({ QPointF(c.press, y) });
    hit->mouseMoved({ QPointF(c.to, y) });
    hit->mouseReleased({ QPointF(c.to, y) });
    EXPECT_DOUBLE_EQ(tree.frameOfTag(QStringLiteral("content")).x(), -c.offset);
}

INSTANTIATE_TEST_SUITE_P(ScrollViews, IndicatorDrag,
    testing::Values(DragCase { "grabAndMove", 30, 80, 200 }, DragCase { "pastTheEnd", 30, 900, 900 },
        DragCase { "backPastTheStart", 30, -100, 0 },
        // A press beside the indicator centres it on the pointer first.
        DragCase { "pressBesideJumps", 187.5, 187.5, 600 }),
    [](const testing::TestParamInfo<DragCase> &info) { return std::string(info.param.name); });

TEST(ScrollViews, contentTakesThePointerAwayFromTheIndicatorAndWithoutOverflow)
{
    ViewTree tree(VStack(
        { ScrollView(Axis::Horizontal, View(Color::blue()).frame(1200, 40).onTapGesture([] {}).tag("content"))
                .tag("scroll") }));
    tree.rebuild(300);
    EXPECT_EQ(tree.root()->hitTest(QPointF(100, 10)), tree.findByTag(QStringLiteral("content")));

    ViewTree fits(VStack({ ScrollView(Axis::Horizontal, View(Color::blue()).frame(200, 40)).tag("scroll") }));
    fits.rebuild(300);
    EXPECT_EQ(fits.root()->hitTest(QPointF(100, 38)), nullptr) << "nothing to drag when all is shown";
}
