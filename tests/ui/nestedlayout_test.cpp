// The layout of nested stacks, labels and baseline-aligned rows, compared with
// reference dumps of every element's frame and baselines. A reference is written
// again by scripts/refresh-layout-dumps.sh; a change of any number is a change of
// layout, never of cost only.
#include "tests/ui/layoutdump.h"
#include "ui/layout.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace ui;

namespace {

QString words(int index)
{
    static const char *const phrases[] = {
        "Item with a few words that wrap when the column is narrow",
        "Short",
        "A longer item that keeps on going for a while before it finally stops here",
        "Two\nlines",
    };
    return QString::fromLatin1(phrases[index % 4]);
}

View marker(int level)
{
    AttributeContainer small;
    small.set<FontAttribute>(Font::system(level % 2 ? 10 : 15));
    return Text(AttributedText(level % 3 ? QStringLiteral("•") : QStringLiteral("10."), small)).view();
}

// A marker beside a block stack whose last block is the next nesting level.
View nestedLabels(int depth)
{
    const View title = Text(words(depth));
    if (depth == 0)
        return Label(title, marker(depth));
    return Label(VStack(HorizontalAlignment::Leading, 4, { title, nestedLabels(depth - 1) }), marker(depth));
}

// Three items per level, each a label of its text above its own items.
View outline(int depth, int level = 0)
{
    std::vector<View> items;
    for (int i = 0; i < 3; ++i) {
        std::vector<View> blocks { Text(words(level + i)) };
        if (depth > 1)
            blocks.push_back(outline(depth - 1, level + 1));
        items.push_back(HStack(VerticalAlignment::FirstTextBaseline, 6,
            { marker(level).frame(20, std::nullopt, Alignment::trailing()),
                VStack(HorizontalAlignment::Leading, 2, blocks) }));
    }
    return VStack(HorizontalAlignment::Leading, 6, items);
}

View baselineRows()
{
    AttributeContainer big;
    big.set<FontAttribute>(Font::system(26, Font::Weight::Bold));
    const Text heading(AttributedText(QStringLiteral("Heading"), big));
    return VStack(HorizontalAlignment::Leading, 10,
        { HStack(VerticalAlignment::FirstTextBaseline, 4,
              { Text(QStringLiteral("small")).view(), heading.view(), Text(words(0)).view().padding(3) }),
            HStack(VerticalAlignment::LastTextBaseline, 4,
                { Text(words(3)).view(), VStack({ heading.view(), Text(words(2)).view() }),
                    View(Color::red()).frame(12, 30) }),
            HStack(VerticalAlignment::FirstTextBaseline, std::nullopt,
                { Text(QStringLiteral("1.")).view().frame(30, std::nullopt, Alignment::trailing()),
                    HStack(VerticalAlignment::LastTextBaseline, 2,
                        { Text(words(0)).view().background(Color::yellow()), Spacer(),
                            Text(QStringLiteral("end")).view().padding(Edge::top, 7) }) }),
            HStack(VerticalAlignment::Center, 4,
                { Text(words(1)).view(), VStack({ Text(words(2)).view(), Text(words(3)).view() }) }),
            Label(Label(Text(words(2)).view().frame(FlexibleFrame().withMaxWidth(infinity)), marker(2)),
                marker(1)) });
}

// A column indented by 10 points that knows nothing of baselines: a label beside it
// finds its first line among the subviews as placed.
class IndentedColumn final : public Layout
{
public:
    QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        double height = 0, width = 0;
        for (const LayoutSubview &subview : subviews) {
            const QSizeF size = subview.sizeThatFits(inner(proposal));
            width = std::max(width, size.width() + 10);
            height += size.height() + 6;
        }
        return { width, height };
    }
    void placeSubviews(
        const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        QPointF at = bounds.topLeft() + QPointF(10, 6);
        for (const LayoutSubview &subview : subviews) {
            subview.place(at, UnitPoint::topLeading(), inner(proposal));
            at.ry() += subview.sizeThatFits(inner(proposal)).height() + 6;
        }
    }

private:
    static ProposedSize inner(const ProposedSize &proposal)
    {
        return { proposal.width ? std::optional<double>(std::max(0.0, *proposal.width - 10)) : std::nullopt,
            std::nullopt };
    }
};

View customLayouts()
{
    const View column = LayoutView(std::make_shared<IndentedColumn>(),
        { Text(words(2)).view(), nestedLabels(2), ZStack({ Text(words(3)).view(), marker(1) }) });
    return VStack(HorizontalAlignment::Leading, 4,
        { Label(column, marker(0)),
            Label(ZStack(Alignment::bottom(), { Text(words(0)).view(), column }), marker(1)),
            HStack(VerticalAlignment::LastTextBaseline, 4, { marker(2), column }) });
}

struct DumpCase
{
    const char *name;
    View (*make)();
    double width;
};

void PrintTo(const DumpCase &c, std::ostream *os)
{
    *os << c.name;
}

class NestedLayout : public testing::TestWithParam<DumpCase>
{
};

} // namespace

TEST_P(NestedLayout, framesAndBaselinesMatchTheReference)
{
    const DumpCase &c = GetParam();
    ViewTree tree(c.make());
    tree.rebuild(c.width);
    const QString actual = layoutDump(*tree.root());
    // Laid out again at the same width, nothing moves.
    tree.layout(c.width);
    EXPECT_EQ(layoutDump(*tree.root()), actual);
    // Nor when it comes from another width.
    ViewTree resized(c.make());
    resized.rebuild(c.width == 800 ? 300 : 800);
    resized.layout(c.width);
    EXPECT_EQ(layoutDump(*resized.root()), actual);

    const QString path = QStringLiteral(QV_TEST_DATA_DIR "/layout/%1.txt").arg(QLatin1String(c.name));
    if (qEnvironmentVariableIsSet("QV_REFRESH_LAYOUT_DUMPS")) {
        QDir().mkpath(QStringLiteral(QV_TEST_DATA_DIR "/layout"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(actual.toUtf8());
        return;
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QString expected = QString::fromUtf8(file.readAll());
    const QStringList expectedLines = expected.split(QLatin1Char('\n'));
    const QStringList actualLines = actual.split(QLatin1Char('\n'));
    ASSERT_EQ(actualLines.size(), expectedLines.size());
    for (qsizetype i = 0; i < actualLines.size(); ++i)
        ASSERT_EQ(actualLines[i], expectedLines[i]) << "line " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Dumps, NestedLayout,
    testing::Values(DumpCase { "labels_depth5_800", [] { return nestedLabels(5); }, 800 },
        DumpCase { "labels_depth5_180", [] { return nestedLabels(5); }, 180 },
        DumpCase { "outline_depth3_800", [] { return outline(3); }, 800 },
        DumpCase { "outline_depth3_260", [] { return outline(3); }, 260 },
        DumpCase { "baseline_rows_800", &baselineRows, 800 },
        DumpCase { "baseline_rows_220", &baselineRows, 220 },
        DumpCase { "custom_layouts_800", &customLayouts, 800 },
        DumpCase { "custom_layouts_200", &customLayouts, 200 }),
    [](const testing::TestParamInfo<DumpCase> &info) { return std::string(info.param.name); });

namespace {
// Passes its one subview through and counts the sizes it is asked for.
class CountingLayout final : public Layout
{
public:
    explicit CountingLayout(int &count)
        : m_count(&count)
    { }
    QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        ++*m_count;
        return subviews.front().sizeThatFits(proposal);
    }
    void placeSubviews(
        const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        subviews.front().place(bounds.topLeft(), UnitPoint::topLeading(), proposal);
    }
    ProposalAxes followedAxes(const LayoutSubviews &subviews) const override
    {
        return subviews.front().followedAxes();
    }

private:
    int *m_count;
};

View labelsAround(View innermost, int depth)
{
    if (depth == 0)
        return innermost;
    return Label(
        VStack(HorizontalAlignment::Leading, 4, { Text(words(depth)), labelsAround(innermost, depth - 1) }),
        marker(depth));
}
} // namespace

TEST(NestedLayout, theInnermostLabelIsMeasuredAsOftenAtEveryDepth)
{
    // Baselines asked once per proposal and never by re-running a share-out keep the
    // questions reaching the innermost view from growing with the nesting.
    std::vector<int> counts;
    for (int depth : { 2, 4, 8 }) {
        int count = 0;
        const View innermost
            = LayoutView(std::make_shared<CountingLayout>(count), { Label(Text(words(0)), marker(0)) });
        ViewTree tree(labelsAround(innermost, depth));
        tree.rebuild(800);
        tree.layout(640);
        counts.push_back(count);
    }
    EXPECT_EQ(counts[1], counts[0]);
    EXPECT_EQ(counts[2], counts[0]);
    EXPECT_LE(counts[0], 8) << "two passes ask a handful of proposals";
}
