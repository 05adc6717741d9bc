#include "preview/simplifiedtableplaceholderview.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using Card = SimplifiedTablePlaceholderView;
using Table = LargeTablePreviewSimplifier::SimplifiedTable;

const QStringList keptLines { u"| a | b |"_s, u"| --- | --- |"_s, u"| 1 | 2 |"_s };

struct PreviewTextCase
{
    const char *name;
    QStringList lines;
    qsizetype omitted;
    QString expected;
};

void PrintTo(const PreviewTextCase &row, std::ostream *out)
{
    *out << row.name;
}

class PreviewText : public ::testing::TestWithParam<PreviewTextCase>
{
};

TEST_P(PreviewText, listsTheKeptLinesThenTheOmittedCount)
{
    EXPECT_EQ(Card::previewText(GetParam().lines, GetParam().omitted), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SimplifiedTablePlaceholderView, PreviewText,
    ::testing::Values(
        PreviewTextCase { "nothingOmitted", keptLines, 0, u"| a | b |\n| --- | --- |\n| 1 | 2 |"_s },
        PreviewTextCase { "oneOmittedKeepsThePlural", keptLines, 1,
            u"| a | b |\n| --- | --- |\n| 1 | 2 |\n... 1 more rows omitted ..."_s },
        PreviewTextCase {
            "thousandsAreNotGrouped", { u"| h |"_s }, 123456, u"| h |\n... 123456 more rows omitted ..."_s },
        PreviewTextCase { "noLinesOnlyTheCount", {}, 5, u"... 5 more rows omitted ..."_s },
        PreviewTextCase { "blankLinesStay", { u""_s, u"  | x |"_s }, 0, u"\n  | x |"_s }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SimplifiedTablePlaceholderView, countsReadInPlainDecimalInSummaryOrder)
{
    EXPECT_EQ(Card::countsText({ 1234, 2, 2468 }), u"1234 body rows, 2 columns, 2468 body cells."_s);
    EXPECT_EQ(
        Card::countsText({ 1000000, 3, 3000000 }), u"1000000 body rows, 3 columns, 3000000 body cells."_s);
}

Table largeTable(const QStringList &lines = keptLines)
{
    return Table { { 600, 2, 1200 }, lines, 597 };
}

TEST(SimplifiedTablePlaceholderView, showsNoButtonWithoutSomewhereToOpenTheNote)
{
    ui::ViewTree tree(Card(largeTable()).view());
    tree.rebuild(480);
    EXPECT_EQ(tree.findByTag(Card::openButtonTag()), nullptr);
    EXPECT_NE(tree.findByTag(Card::sourceTag()), nullptr);
}

TEST(SimplifiedTablePlaceholderView, buttonOpensTheNoteAndExplainsItself)
{
    int opened = 0;
    ui::ViewTree tree(Card(largeTable(), [&opened] { ++opened; }).view());
    tree.rebuild(480);
    ui::Element *button = tree.findByTag(Card::openButtonTag());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), u"Open note in the default app"_s);
    EXPECT_GT(button->frame().width(), 0);

    const QPointF centre = button->frame().center();
    ui::Element *hit = tree.root()->hitTest(centre);
    ASSERT_NE(hit, nullptr);
    hit->mousePressed({ centre });
    hit->mouseReleased({ centre });
    EXPECT_EQ(opened, 1);
}

// A screen reader meets the card as one group holding its texts and the button,
// which it names by its own label rather than by the title shown.
TEST(SimplifiedTablePlaceholderView, isOneAccessibleGroupWithItsLabelledButton)
{
    ui::ViewTree tree(Card(largeTable(), [] {}).view());
    tree.rebuild(480);
    const std::vector<ui::AccessibleNode> nodes = ui::accessibleNodes(*tree.root());
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes.front().role, ui::AccessibleRole::Group);
    QStringList children;
    for (const ui::AccessibleNode &child : nodes.front().children)
        children.append(child.name);
    ASSERT_EQ(children.size(), 5);
    EXPECT_EQ(children.mid(0, 2), QStringList({ u"PREVIEW SIMPLIFIED"_s, u"Open note externally"_s }));
    EXPECT_EQ(nodes.front().children[1].role, ui::AccessibleRole::Button);
}

// Long lines scroll inside the card instead of widening it; short ones still fill it.
TEST(SimplifiedTablePlaceholderView, theSourceTakesTheCardsWidthWhateverItsLines)
{
    const QString wide = u"| "_s + QString(2000, u'x') + u" |"_s;
    for (const QStringList &lines : { QStringList { wide, u"| --- |"_s }, QStringList { u"| a |"_s } }) {
        ui::ViewTree tree(Card(largeTable(lines)).view());
        tree.rebuild(480);
        EXPECT_EQ(tree.contentSize().width(), 480);
        const ui::Element *source = tree.findByTag(Card::sourceTag());
        ASSERT_NE(source, nullptr);
        // Card padding 12 on both sides; the source view takes the rest.
        EXPECT_EQ(source->frame().left(), 12);
        EXPECT_EQ(source->frame().width(), 480 - 24);
    }
}

} // namespace
