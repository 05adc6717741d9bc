#include "tests/ui/layoutdump.h"
#include "ui/layout.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QThreadPool>

#include <bit>

using namespace ui;

namespace {

// A box that wants exactly this size whatever it is offered.
View box(double width, double height, const char *tag)
{
    return View(Color::blue()).frame(width, height).tag(QString::fromLatin1(tag));
}

struct Laid
{
    explicit Laid(View view, double width = 800)
        : tree(std::move(view))
    {
        tree.rebuild(width);
    }
    QRectF operator[](const char *tag) const { return tree.frameOfTag(QString::fromLatin1(tag)); }
    ViewTree tree;
};

} // namespace

TEST(Stacks, horizontalStackSpacesAndCentresItsChildren)
{
    Laid laid(HStack(VerticalAlignment::Center, 10, { box(50, 20, "a"), box(30, 40, "b") }).tag("stack"));
    EXPECT_EQ(laid["stack"], QRectF(0, 0, 90, 40));
    EXPECT_EQ(laid["a"], QRectF(0, 10, 50, 20));
    EXPECT_EQ(laid["b"], QRectF(60, 0, 30, 40));
}

TEST(Stacks, verticalStackAlignsLeadingTrailingAndUsesDefaultSpacing)
{
    Laid leading(VStack(HorizontalAlignment::Leading, std::nullopt, { box(50, 20, "a"), box(30, 10, "b") }));
    EXPECT_EQ(leading["a"], QRectF(0, 0, 50, 20));
    EXPECT_EQ(leading["b"], QRectF(0, 28, 30, 10));

    Laid trailing(VStack(HorizontalAlignment::Trailing, 0, { box(50, 20, "a"), box(30, 10, "b") }));
    EXPECT_EQ(trailing["b"], QRectF(20, 20, 30, 10));
}

TEST(Stacks, spacerPushesTheLastChildToTheEndOfTheOffer)
{
    Laid laid(
        HStack(VerticalAlignment::Top, 0, { box(50, 20, "a"), Spacer(), box(30, 10, "b") }).tag("stack"),
        200);
    EXPECT_EQ(laid["stack"], QRectF(0, 0, 200, 20));
    EXPECT_EQ(laid["b"], QRectF(170, 0, 30, 10));
}

TEST(Stacks, flexibleChildrenShareWhatIsLeftAndPriorityGoesFirst)
{
    Laid equal(HStack(VerticalAlignment::Top, 0,
                   { View(Color::red()).frame(std::nullopt, 10).tag("a"), box(40, 10, "fixed"),
                       View(Color::red()).frame(std::nullopt, 10).tag("b") }),
        240);
    EXPECT_EQ(equal["a"], QRectF(0, 0, 100, 10));
    EXPECT_EQ(equal["fixed"], QRectF(100, 0, 40, 10));
    EXPECT_EQ(equal["b"], QRectF(140, 0, 100, 10));

    Laid prioritised(
        HStack(VerticalAlignment::Top, 0,
            { View(Color::red()).frame(FlexibleFrame().withMinWidth(20).withMaxWidth(150)).tag("a"),
                View(Color::red()).frame(FlexibleFrame().withMaxWidth(150)).layoutPriority(1).tag("b") })
            .frame(std::nullopt, 10),
        200);
    // The higher priority takes all it can while the other keeps its minimum.
    EXPECT_EQ(prioritised["b"].width(), 150);
    EXPECT_EQ(prioritised["a"].width(), 50);
}

TEST(Stacks, emptyViewsTakeNoSpacing)
{
    Laid laid(VStack(HorizontalAlignment::Leading, 10, { box(10, 10, "a"), EmptyView(), box(10, 10, "b") }));
    EXPECT_EQ(laid["b"], QRectF(0, 20, 10, 10));
}

TEST(Stacks, zStackIsAsLargeAsItsLargestChild)
{
    Laid laid(ZStack(Alignment::bottomTrailing(), { box(100, 60, "big"), box(20, 10, "small") }).tag("z"));
    EXPECT_EQ(laid["z"], QRectF(0, 0, 100, 60));
    EXPECT_EQ(laid["small"], QRectF(80, 50, 20, 10));
}

TEST(Frames, fixedFrameSetsTheSizeAndAlignsTheContent)
{
    Laid laid(box(20, 10, "inner").frame(100, 50, Alignment::topTrailing()).tag("frame"));
    EXPECT_EQ(laid["frame"], QRectF(0, 0, 100, 50));
    EXPECT_EQ(laid["inner"], QRectF(80, 0, 20, 10));
}

TEST(Frames, flexibleFrameBoundsEveryAxis)
{
    struct Case
    {
        const char *name;
        FlexibleFrame frame;
        double offered;
        double expectedWidth;
    };
    const Case cases[] = {
        { "maxWidthInfinityTakesTheOffer", FlexibleFrame().withMaxWidth(infinity), 300, 300 },
        { "minWidthRaisesASmallChild", FlexibleFrame().withMinWidth(100), 300, 100 },
        { "minWidthGivesWayToASmallOffer", FlexibleFrame().withMinWidth(10), 30, 30 },
        { "maxWidthCapsTheOffer", FlexibleFrame().withMinWidth(0).withMaxWidth(120), 300, 120 },
        { "minAndMaxTakeTheOfferClamped", FlexibleFrame().withMinWidth(60).withMaxWidth(200), 150, 150 },
        { "noBoundsHugsTheChild", FlexibleFrame().withMinHeight(5), 300, 40 },
    };
    for (const Case &c : cases) {
        // The child is a box that hugs 40 points.
        Laid laid(VStack({ box(40, 10, "child").frame(c.frame).tag("frame") })
                      .frame(FlexibleFrame().withMaxWidth(c.offered)),
            c.offered);
        EXPECT_EQ(laid["frame"].width(), c.expectedWidth) << c.name;
    }
}

TEST(Frames, idealSizeAnswersTheIdealQuestionAndFixedSizeAsksIt)
{
    Laid laid(VStack(HorizontalAlignment::Leading, 0,
                  { View(Color::red())
                          .frame(FlexibleFrame().withIdealWidth(70).withMaxWidth(infinity))
                          .fixedSize(true, false)
                          .frame(std::nullopt, 10)
                          .tag("ideal"),
                      View(Color::red())
                          .frame(FlexibleFrame().withIdealWidth(70).withMaxWidth(infinity))
                          .frame(std::nullopt, 10)
                          .tag("wide") }),
        300);
    EXPECT_EQ(laid["ideal"].width(), 70);
    EXPECT_EQ(laid["wide"].width(), 300);
}

TEST(Frames, fixedSizeTakesTheIdealSizeEvenBeyondTheOffer)
{
    Laid laid(
        VStack({ box(500, 10, "wide").fixedSize().tag("fixed") }).frame(100, std::nullopt).clipped(), 100);
    EXPECT_EQ(laid["fixed"].width(), 500);
}

TEST(Padding, defaultAmountLengthAndEdges)
{
    Laid laid(VStack(HorizontalAlignment::Leading, 0,
        { box(10, 10, "a").padding().tag("all"), box(10, 10, "b").padding(Edge::leading, 5).tag("lead"),
            box(10, 10, "c").padding(Edge::vertical).tag("vert") }));
    EXPECT_EQ(laid["all"], QRectF(0, 0, 42, 42));
    EXPECT_EQ(laid["a"], QRectF(16, 16, 10, 10));
    EXPECT_EQ(laid["lead"], QRectF(0, 42, 15, 10));
    EXPECT_EQ(laid["b"], QRectF(5, 42, 10, 10));
    EXPECT_EQ(laid["vert"], QRectF(0, 52, 10, 42));
}

TEST(Decorations, backgroundAndOverlayAreSizedToTheirContent)
{
    Laid laid(box(60, 20, "content")
                  .padding(4)
                  .background(View(Color::yellow()).tag("background"))
                  .overlay(box(10, 10, "badge"), Alignment::topTrailing())
                  .tag("all"));
    EXPECT_EQ(laid["all"], QRectF(0, 0, 68, 28));
    EXPECT_EQ(laid["background"], QRectF(0, 0, 68, 28));
    EXPECT_EQ(laid["badge"], QRectF(58, 0, 10, 10));
}

TEST(Decorations, offsetMovesDrawingButNotLayout)
{
    Laid laid(VStack(HorizontalAlignment::Leading, 0, { box(10, 10, "a").offset(5, 7), box(10, 10, "b") }));
    EXPECT_EQ(laid["a"], QRectF(5, 7, 10, 10));
    EXPECT_EQ(laid["b"], QRectF(0, 10, 10, 10));
}

TEST(Shapes, colourAndShapesTakeWhatTheyAreOfferedAndAnswerTenForNothing)
{
    Laid laid(VStack({ Shape::circle().stroke(Color::red()).tag("circle") }).fixedSize());
    EXPECT_EQ(laid["circle"].size(), QSizeF(10, 10));
    Laid offered(
        VStack({ Shape::roundedRectangle(4).fill(Color::red()).frame(std::nullopt, 12).tag("r") }), 320);
    EXPECT_EQ(offered["r"].size(), QSizeF(320, 12));
}

TEST(Shapes, strokeBorderStaysInsideTheFrameAndCustomOutlinesFollowIt)
{
    // A 20-point square at (10, 10) of a 40-point canvas, drawn three ways.
    auto paint = [](const View &shape) {
        ViewTree tree(shape.frame(20, 20).padding(10));
        tree.rebuild(40);
        QImage canvas(40, 40, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        tree.paint(painter, QRectF(0, 0, 40, 40));
        return canvas;
    };
    const QColor red(255, 0, 0);
    StrokeStyle thick;
    thick.lineWidth = 4;
    const QImage border = paint(Shape::rectangle().strokeBorder(Color(red), thick));
    EXPECT_EQ(border.pixelColor(9, 20), QColor(Qt::white)) << "nothing outside the frame";
    EXPECT_EQ(border.pixelColor(11, 20), red);
    EXPECT_EQ(border.pixelColor(13, 20), red);
    EXPECT_EQ(border.pixelColor(20, 20), QColor(Qt::white));
    const QImage centred = paint(Shape::rectangle().stroke(Color(red), thick));
    EXPECT_EQ(centred.pixelColor(9, 20), red) << "a plain stroke straddles the edge";

    const QImage leftHalf = paint(Shape::custom([](const QRectF &rect) {
        QPainterPath path;
        path.addRect(QRectF(rect.topLeft(), QSizeF(rect.width() / 2, rect.height())));
        return path;
    }).fill(Color(red)));
    EXPECT_EQ(leftHalf.pixelColor(12, 20), red);
    EXPECT_EQ(leftHalf.pixelColor(27, 20), QColor(Qt::white));
}

TEST(Images, naturalSizeResizableAndAspectFit)
{
    QImage bitmap(400, 300, QImage::Format_ARGB32);
    bitmap.fill(Qt::red);
    Laid natural(VStack({ View(Image(bitmap, 2)).tag("img") }));
    EXPECT_EQ(natural["img"].size(), QSizeF(200, 150));

    Laid fitted(
        VStack({ View(Image(bitmap).resizable()).aspectRatio(std::nullopt, ContentMode::Fit).tag("fit") })
            .frame(200, 500),
        200);
    EXPECT_EQ(fitted["fit"].size(), QSizeF(200, 150));
}

TEST(ScrollViews, horizontalScrollViewTakesTheOfferedWidthAndTheContentHeight)
{
    Laid laid(VStack({ ScrollView(Axis::Horizontal, box(1000, 30, "content")).tag("scroll") }), 300);
    EXPECT_EQ(laid["scroll"], QRectF(0, 0, 300, 30));
    EXPECT_EQ(laid["content"], QRectF(0, 0, 1000, 30));
    Element *scroll = laid.tree.findByTag(QStringLiteral("scroll"));
    ASSERT_TRUE(scroll);
    EXPECT_TRUE(scroll->wheelScrolled(QPointF(-120, 0)));
    EXPECT_EQ(laid["content"].x(), -120);
    EXPECT_TRUE(scroll->wheelScrolled(QPointF(500, 0)));
    EXPECT_EQ(laid["content"].x(), 0);
    EXPECT_FALSE(scroll->wheelScrolled(QPointF(10, 0))) << "already at the start";
}

TEST(Relayout, aWidthChangePlacesAgainWithoutResolving)
{
    Laid laid(VStack({ View(Color::red()).frame(std::nullopt, 10).tag("bar") }));
    Element *before = laid.tree.findByTag(QStringLiteral("bar"));
    laid.tree.layout(500);
    EXPECT_EQ(laid.tree.findByTag(QStringLiteral("bar")), before);
    EXPECT_EQ(laid["bar"].width(), 500);
}

namespace {
// Places its subviews on a diagonal, each offered half the width, anchored at its centre.
class DiagonalLayout final : public Layout
{
public:
    QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        double width = 0, height = 0;
        for (const LayoutSubview &subview : subviews) {
            const QSizeF size
                = subview.sizeThatFits({ proposal.width ? *proposal.width / 2 : 50.0, std::nullopt });
            width += size.width();
            height += size.height();
        }
        return { width, height };
    }
    void placeSubviews(
        const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        QPointF corner = bounds.topLeft();
        for (const LayoutSubview &subview : subviews) {
            const ProposedSize offer { proposal.width ? *proposal.width / 2 : 50.0, std::nullopt };
            const QSizeF size = subview.sizeThatFits(offer);
            subview.place(corner + QPointF(size.width() / 2, size.height() / 2), UnitPoint::center(), offer);
            corner += QPointF(size.width(), size.height());
        }
    }
};
} // namespace

TEST(CustomLayout, placesSubviewsThroughProxies)
{
    Laid laid(LayoutView(std::make_shared<DiagonalLayout>(),
                  { View(Color::red()).frame(std::nullopt, 10).tag("a"), box(20, 30, "b") })
                  .tag("layout"),
        200);
    EXPECT_EQ(laid["layout"], QRectF(0, 0, 120, 40));
    EXPECT_EQ(laid["a"], QRectF(0, 0, 100, 10));
    EXPECT_EQ(laid["b"], QRectF(100, 10, 20, 30));
}

TEST(Grid, columnsAreAsWideAsTheirWidestCellAndRowsAsTallAsTheirTallest)
{
    Laid laid(Grid({ GridRow { { box(30, 10, "r0c0"),
                         box(10, 10, "r0c1").gridColumnAlignment(HorizontalAlignment::Trailing) } },
                       GridRow { { box(50, 20, "r1c0"), box(40, 12, "r1c1") } } },
        Alignment::leading(), 5, 3)
                  .tag("grid"));
    EXPECT_EQ(laid["grid"], QRectF(0, 0, 95, 33));
    EXPECT_EQ(laid["r0c0"], QRectF(0, 0, 30, 10));
    EXPECT_EQ(laid["r0c1"], QRectF(85, 0, 10, 10));
    EXPECT_EQ(laid["r1c0"], QRectF(0, 13, 50, 20));
    EXPECT_EQ(laid["r1c1"], QRectF(55, 17, 40, 12));
}

TEST(Grid, columnsThatFitAtTheirIdealWidthsKeepThemAndOnlyAnOverfullGridWraps)
{
    // A hardly flexible first column would be offered half the width first and wrap,
    // though both columns fit side by side unwrapped.
    const QString stiff = QStringLiteral("wordwordwordwordword ab");
    const QString loose = QStringLiteral("a b c d e f");
    Laid alone(VStack({ View(Text(stiff)).tag("stiff"), View(Text(loose)).tag("loose") }));
    const QSizeF stiffIdeal = alone["stiff"].size();
    const QSizeF looseIdeal = alone["loose"].size();
    ASSERT_GT(stiffIdeal.width(), looseIdeal.width() + 10);
    auto grid = [&] {
        return Grid({ GridRow({ View(Text(stiff)).tag("stiff"), View(Text(loose)).tag("loose") }) }, {}, 4);
    };

    Laid fits(grid(), stiffIdeal.width() + looseIdeal.width() + 4 + 5);
    EXPECT_EQ(fits["stiff"].size(), stiffIdeal);
    EXPECT_EQ(fits["loose"].size(), looseIdeal);

    Laid overfull(grid(), stiffIdeal.width() + looseIdeal.width() - 10);
    EXPECT_GT(
        overfull["stiff"].height() + overfull["loose"].height(), stiffIdeal.height() + looseIdeal.height())
        << "something wraps";
    EXPECT_LE(overfull["loose"].right(), stiffIdeal.width() + looseIdeal.width() - 10);
}

namespace {

struct AxesCase
{
    const char *name;
    View view;
};

void PrintTo(const AxesCase &c, std::ostream *os)
{
    *os << c.name;
}

QString sentence()
{
    return QStringLiteral("A sentence long enough to wrap at a narrow offer");
}

class ProposalAxesTest : public testing::TestWithParam<AxesCase>
{
};

} // namespace

TEST_P(ProposalAxesTest, anElementAnswersAlikeForEveryValueOfADimensionItIgnores)
{
    // Measured afresh for each proposal: a cache that leaves an ignored dimension out
    // of its key would hide a wrong claim.
    const std::optional<double> values[] = { std::nullopt, 0.0, 37.0, 250.0, infinity };
    StateStore store;
    const ProposalAxes claimed = GetParam().view.resolve({}, ResolveScope(store, 1))->followedAxes();
    // Compared exactly: QSizeF compares fuzzily, and never equal when infinite.
    struct Answer
    {
        double width, height;
        std::optional<double> first, last;
        bool operator==(const Answer &) const = default;
    };
    auto answer = [&](std::optional<double> width, std::optional<double> height) {
        ElementPtr element = GetParam().view.resolve({}, ResolveScope(store, 1));
        const ProposedSize proposal { width, height };
        const QSizeF size = element->sizeThatFits(proposal);
        return Answer { size.width(), size.height(), element->baseline(proposal, false),
            element->baseline(proposal, true) };
    };
    for (auto width : values) {
        for (auto height : values) {
            const Answer reference
                = answer(claimed.width ? width : std::nullopt, claimed.height ? height : std::nullopt);
            EXPECT_TRUE(answer(width, height) == reference)
                << "offered " << width.value_or(-1) << " x " << height.value_or(-1);
        }
    }
}

TEST_P(ProposalAxesTest, aWidthKnownWithoutMeasuringIsTheMeasuredOne)
{
    const std::optional<double> values[] = { std::nullopt, 0.0, -0.0, 37.0, infinity };
    StateStore store;
    for (auto width : values) {
        for (auto height : values) {
            const ProposedSize proposal { width, height };
            const double measured
                = GetParam().view.resolve({}, ResolveScope(store, 1))->sizeThatFits(proposal).width();
            const double known = GetParam().view.resolve({}, ResolveScope(store, 1))->widthThatFits(proposal);
            // Bit for bit: a stack adds the answers up.
            EXPECT_EQ(std::bit_cast<quint64>(known), std::bit_cast<quint64>(measured))
                << "offered " << width.value_or(-1) << " x " << height.value_or(-1) << ": " << known
                << " against " << measured;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Views, ProposalAxesTest,
    testing::Values(AxesCase { "text", Text(sentence()) },
        AxesCase { "fixedFrame", Text(sentence()).view().frame(80, 30) },
        AxesCase { "fixedWidth", Text(sentence()).view().frame(80, std::nullopt) },
        AxesCase { "fixedHeightOverColour", View(Color::red()).frame(std::nullopt, 12) },
        AxesCase { "flexibleFrame", Text(sentence()).view().frame(FlexibleFrame().withMaxWidth(infinity)) },
        AxesCase { "minimumHeight", Text(sentence()).view().frame(FlexibleFrame().withMinHeight(40)) },
        AxesCase { "padding", Text(sentence()).view().padding(7) },
        AxesCase { "fixedSize", Text(sentence()).view().fixedSize(true, false) },
        AxesCase { "background", Text(sentence()).view().background(Color::yellow()) },
        AxesCase { "horizontalStack",
            HStack(VerticalAlignment::FirstTextBaseline, 4,
                { Text(QStringLiteral("1.")), Spacer(), Text(sentence()) }) },
        AxesCase { "verticalStack", VStack({ Text(sentence()), Divider(), Text(QStringLiteral("second")) }) },
        AxesCase { "stackWithColour", VStack({ Text(sentence()), View(Color::red()) }) },
        AxesCase { "columnOfWrappedTexts",
            VStack({ Text(sentence()).view().padding(Edge::top, 5).fixedSize(false, true),
                Text(sentence()).view().padding(Edge::horizontal, 3).background(Color::yellow()),
                Text(QStringLiteral("x")).view().frame(20, std::nullopt),
                Text(sentence()).view().frame(FlexibleFrame().withMinWidth(12)) }) },
        AxesCase { "zStack", ZStack({ Text(sentence()), View(Color::red()).frame(20, 90) }) },
        AxesCase { "label",
            Label(VStack({ Text(sentence()), Text(QStringLiteral("more")) }), Text(QStringLiteral("•"))) },
        AxesCase { "image", View(Image(QImage(40, 30, QImage::Format_ARGB32))) },
        AxesCase { "resizableImage", View(Image(QImage(40, 30, QImage::Format_ARGB32)).resizable()) },
        AxesCase { "grid", Grid({ GridRow({ Text(sentence()), Text(QStringLiteral("b")) }) }) },
        AxesCase { "aspectRatio", View(Color::red()).aspectRatio(2, ContentMode::Fit) },
        AxesCase { "scrollView", ScrollView(Axis::Horizontal, Text(sentence())) },
        AxesCase { "spacerAlone", Spacer() }, AxesCase { "empty", EmptyView() }),
    [](const testing::TestParamInfo<AxesCase> &info) { return std::string(info.param.name); });

// ---- Measured side by side -------------------------------------------------

namespace {

// A column of many blocks as a document makes them, each unlike its neighbours.
View documentColumn(int blocks, const View &(*nested)(int))
{
    std::vector<View> rows;
    for (int i = 0; i < blocks; ++i) {
        const QString words = QStringLiteral("Block %1, ").arg(i).repeated(1 + i % 23);
        switch (i % 5) {
        case 0:
            rows.push_back(Text(words).view().font(Font::system(13 + i % 7)));
            break;
        case 1:
            rows.push_back(Label(Text(words), Text(QStringLiteral("%1.").arg(i))));
            break;
        case 2:
            rows.push_back(HStack({ View(Color::red()).frame(4, std::nullopt),
                                      Text(words).view().font(Font::system(13).italic()) })
                               .padding(6));
            break;
        case 3:
            rows.push_back(Grid({ GridRow({ Text(words), Text(QStringLiteral("cell")) }) }));
            break;
        default:
            rows.push_back(
                nested ? nested(i) : Text(words).view().font(Font::system(15, Font::Weight::Bold)));
            break;
        }
    }
    return VStack(HorizontalAlignment::Leading, 8, std::move(rows)).padding(16);
}

const View &innerColumn(int)
{
    static const View column = documentColumn(80, nullptr);
    return column;
}

struct ParallelCase
{
    const char *name;
    int blocks;
    bool nestedColumns;
};

void PrintTo(const ParallelCase &row, std::ostream *out)
{
    *out << row.name;
}

class ParallelLayout : public testing::TestWithParam<ParallelCase>
{
};

} // namespace

TEST_P(ParallelLayout, laysOutAsOneThreadDoesAtEveryWidth)
{
    const ParallelCase &row = GetParam();
    const View view = documentColumn(row.blocks, row.nestedColumns ? innerColumn : nullptr);
    ViewTree alone(view);
    ViewTree together(view);
    together.setParallelLayout(true);
    alone.rebuild(800);
    together.rebuild(800);
    ASSERT_EQ(layoutDump(*together.root()), layoutDump(*alone.root()));
    // Laid out again, measurements of earlier widths are kept and asked again.
    for (const double width : { 431.5, 120.0, 800.0 }) {
        alone.layout(width);
        together.layout(width);
        ASSERT_EQ(layoutDump(*together.root()), layoutDump(*alone.root())) << "at " << width;
    }
}

INSTANTIATE_TEST_SUITE_P(Stacks, ParallelLayout,
    testing::Values(
        ParallelCase { "manyBlocks", 700, false }, ParallelCase { "columnsInColumns", 300, true }),
    [](const testing::TestParamInfo<ParallelCase> &info) { return std::string(info.param.name); });

// ---- Laid out again on other threads -----------------------------------------

namespace {

// The column followed by texts that hold an inline image: such a text is measured on
// a document rather than on its lines.
View columnWithImages(int blocks)
{
    QImage bitmap(24, 18, QImage::Format_ARGB32);
    bitmap.fill(Qt::darkGreen);
    std::vector<View> rows { documentColumn(blocks, nullptr) };
    for (int i = 0; i < blocks / 10; ++i)
        rows.push_back(Text(QStringLiteral("Image %1, then words after it ").arg(i).repeated(1 + i % 9))
            + Text(Image(bitmap)) + Text(QStringLiteral(" and the end")));
    return VStack(HorizontalAlignment::Leading, 8, std::move(rows));
}

struct ReLayoutCase
{
    const char *name;
    bool images; // texts that hold an inline image after the column
    bool threadsEnd; // the layout threads end before each new width
};

void PrintTo(const ReLayoutCase &row, std::ostream *out)
{
    *out << row.name;
}

class ParallelReLayout : public testing::TestWithParam<ReLayoutCase>
{
};

} // namespace

// Every width lays the texts out on other threads than the last, and the main thread
// draws them: each must break and draw its lines with fonts of its own thread.
TEST_P(ParallelReLayout, laysOutAndDrawsAsOneThreadDoes)
{
    const ReLayoutCase &row = GetParam();
    const View view = row.images ? columnWithImages(400) : documentColumn(400, nullptr);
    ViewTree alone(view);
    ViewTree together(view);
    together.setParallelLayout(true);
    alone.rebuild(800);
    together.rebuild(800);
    for (const double width : { 431.5, 120.0, 800.0, 263.0 }) {
        if (row.threadsEnd)
            layoutThreads().waitForDone();
        alone.layout(width);
        together.layout(width);
        ASSERT_EQ(layoutDump(*together.root()), layoutDump(*alone.root())) << "at " << width;
        ASSERT_EQ(drawing(together, int(width) + 1, 2000), drawing(alone, int(width) + 1, 2000))
            << "at " << width;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, ParallelReLayout,
    testing::Values(ReLayoutCase { "atNewWidths", false, false },
        ReLayoutCase { "afterTheThreadsEnded", false, true },
        ReLayoutCase { "withInlineImagesAfterTheThreadsEnded", true, true }),
    [](const testing::TestParamInfo<ReLayoutCase> &info) { return std::string(info.param.name); });
