#include "markdown/views/listitemsequence.h"

#include "markdown/views/markdown.h"
#include "markdown/views/markdownenvironment.h"
#include "tests/markdown/views/rendered.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Markers as plain text (no minimum width), each tagged with what its style was given:
// "marker n 1 8" is the numbered marker of item 8 at level 1, "marker b 2 1" a bullet,
// "marker t x" and "marker t -" a completed and an open task.
Theme taggedMarkers(const Theme &base)
{
    return withTaggedParagraphs(base)
        .numberedListMarker([](const ListMarkerConfiguration &c) {
            return ui::Text(u"%1."_s.arg(c.itemNumber))
                .view()
                .tag(u"marker n %1 %2"_s.arg(c.listLevel).arg(c.itemNumber));
        })
        .bulletedListMarker([](const ListMarkerConfiguration &c) {
            return ui::Text(u"•"_s).view().tag(u"marker b %1 %2"_s.arg(c.listLevel).arg(c.itemNumber));
        })
        .taskListMarker([](const TaskListMarkerConfiguration &c) {
            return ui::Text(u"[ ]"_s).view().tag(c.isCompleted ? u"marker t x"_s : u"marker t -"_s);
        });
}

ui::EnvironmentValues themed(const Theme &theme)
{
    ui::EnvironmentValues env;
    env.set<ThemeKey>(theme);
    return env;
}

ui::Element &only(const Rendered &rendered, const QString &tag)
{
    const std::vector<ui::Element *> found = rendered.tree.findAllByTag(tag);
    EXPECT_EQ(found.size(), 1u) << tag.toStdString();
    return *found.at(0);
}

// Where the element's first line of text stands, in content coordinates.
double firstBaseline(ui::Element &element)
{
    return element.frame().top() + element.baseline(element.frame().size(), false).value_or(-1000);
}

} // namespace

TEST(ListItemSequence, markersAreGivenTheirLevelAndNumber)
{
    const struct
    {
        const char *name;
        MarkdownContent markdown;
        std::vector<QString> markers;
    } cases[] = {
        { "top-level bullets count from 1", MarkdownContent(u"- a\n- b\n- c"_s),
            { u"marker b 1 1"_s, u"marker b 1 2"_s, u"marker b 1 3"_s } },
        { "a numbered list from 8", MarkdownContent(u"8. a\n9. b\n10. c"_s),
            { u"marker n 1 8"_s, u"marker n 1 9"_s, u"marker n 1 10"_s } },
        { "a numbered list from 0", MarkdownContent(u"0. a"_s), { u"marker n 1 0"_s } },
        { "bullets in a numbered item are one level down", MarkdownContent(u"1. a\n   - b\n   - c\n2. d"_s),
            { u"marker n 1 1"_s, u"marker b 2 1"_s, u"marker b 2 2"_s, u"marker n 1 2"_s } },
        { "a task list counts as a level", MarkdownContent(u"- [ ] a\n  - b"_s),
            { u"marker t -"_s, u"marker b 2 1"_s } },
        { "a quote keeps the level around it", MarkdownContent(u"- a\n\n  > - b"_s),
            { u"marker b 1 1"_s, u"marker b 2 1"_s } },
        { "a list in a quote starts at the top", MarkdownContent(u"> 3. a"_s), { u"marker n 1 3"_s } },
        { "numbers past the marker's range stop at its end",
            MarkdownContent({ BlockNode::numberedList(true, 9'999'999'999,
                { RawListItem { { BlockNode::paragraph({ InlineNode::text(u"far"_s) }) } } }) }),
            { u"marker n 1 2147483647"_s } },
        { "three levels", MarkdownContent(u"- a\n  - b\n    1. c"_s),
            { u"marker b 1 1"_s, u"marker b 2 1"_s, u"marker n 3 1"_s } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rendered rendered(Markdown(c.markdown), themed(taggedMarkers(Theme::basic())));
        EXPECT_EQ(rendered.tagsStartingWith(u"marker "_s), c.markers);
    }
}

TEST(NumberedListView, markersShareTheWidestMarkersWidthWithEqualRightEdges)
{
    Rendered rendered(Markdown(u"8. Eight\n9. Nine\n10. Ten"_s), themed(taggedMarkers(Theme::basic())));
    const QRectF eight = only(rendered, u"marker n 1 8"_s).frame();
    const QRectF nine = only(rendered, u"marker n 1 9"_s).frame();
    const QRectF ten = only(rendered, u"marker n 1 10"_s).frame();
    EXPECT_EQ(ten.left(), 0) << "the widest marker fills the column";
    EXPECT_LT(eight.width(), ten.width()) << "each marker keeps its own width inside the column";
    EXPECT_EQ(eight.right(), ten.right());
    EXPECT_EQ(nine.right(), ten.right());
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_GT(paragraphs[0].left(), ten.right());
    EXPECT_EQ(paragraphs[1].left(), paragraphs[0].left());
    EXPECT_EQ(paragraphs[2].left(), paragraphs[0].left());
}

TEST(NumberedListView, nestedListMarkersWidenTheColumnButTaskMarkersNever)
{
    // One nested marker far wider than the numbers.
    const Theme theme = taggedMarkers(Theme::basic());
    const ui::View wide = ui::View(ui::Color::blue()).frame(120, 10).tag(u"wide"_s);
    const struct
    {
        const char *name;
        QString markdown;
        Theme theme;
        bool widens;
    } cases[] = {
        { "a bullet", u"1. a\n   - b\n2. c"_s,
            theme.bulletedListMarker([wide](const ListMarkerConfiguration &) { return wide; }), true },
        { "a nested numbered list", u"1. a\n   1. b\n2. c"_s,
            theme.numberedListMarker(
                [wide, numbered = theme.numberedListMarker()](
                    const ListMarkerConfiguration &c) { return c.listLevel == 2 ? wide : numbered.body(c); }),
            true },
        { "a task", u"1. a\n   - [x] b\n2. c"_s,
            theme.taskListMarker([wide](const TaskListMarkerConfiguration &) { return wide; }), false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rendered rendered(Markdown(c.markdown), themed(c.theme));
        const QRectF one = only(rendered, u"marker n 1 1"_s).frame();
        const QRectF two = only(rendered, u"marker n 1 2"_s).frame();
        const double column = c.widens ? only(rendered, u"wide"_s).frame().width() : two.width();
        EXPECT_EQ(one.right(), column);
        EXPECT_EQ(two.right(), column);
    }
}

TEST(NumberedListView, everyLevelOfNestedListsShowsItsItemsWhenFirstShown)
{
    // Each level an item with a paragraph and, but for the last, a numbered or quoted list.
    const struct
    {
        const char *name;
        QString markdown;
        int paragraphs;
    } cases[] = {
        { "one level", u"1. a\n2. b"_s, 2 },
        { "five numbered levels", u"1. a\n   1. b\n      1. c\n         1. d\n            1. e"_s, 5 },
        { "numbered lists in quotes",
            u"1. a\n\n   > 1. b\n   >\n   >    > 1. c\n   >    >\n   >    >    > 1. d\n   >    >    >\n   >    >    >    > 1. e"_s,
            5 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rendered rendered(Markdown(c.markdown), themed(taggedMarkers(Theme::basic())));
        EXPECT_EQ(rendered.frames(u"p"_s).size(), size_t(c.paragraphs));
    }
}

TEST(BulletedListView, markersKeepTheirOwnWidths)
{
    const Theme theme
        = withTaggedParagraphs(Theme::basic()).bulletedListMarker([](const ListMarkerConfiguration &c) {
              return ui::Text(QString(c.itemNumber, u'•')).view().tag(u"marker"_s);
          });
    Rendered rendered(Markdown(u"- a\n- b\n- c"_s), themed(theme));
    const std::vector<QRectF> markers = rendered.frames(u"marker"_s);
    ASSERT_EQ(markers.size(), 3u);
    for (const QRectF &marker : markers)
        EXPECT_EQ(marker.left(), 0);
    EXPECT_LT(markers[0].width(), markers[1].width());
    EXPECT_LT(markers[1].width(), markers[2].width());
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_LT(paragraphs[0].left(), paragraphs[2].left()) << "no column lines the items up";
}

TEST(ListItemSequence, eachListSpacesItsItemsByItsOwnTightness)
{
    // The basic theme's paragraphs ask nothing above and 1 em below.
    const struct
    {
        const char *name;
        QString markdown;
        std::vector<double> gaps;
    } cases[] = {
        { "tight", u"- a\n- b\n- c"_s, { 0, 0 } },
        { "loose", u"- a\n\n- b\n\n- c"_s, { 13, 13 } },
        { "a loose list inside a tight one", u"- a\n  - b\n\n  - c\n- d"_s, { 0, 13, 0 } },
        { "a tight list inside a loose one", u"1. a\n\n   - b\n   - c\n\n2. d"_s, { 13, 0, 13 } },
        { "numbered and tight", u"1. a\n2. b"_s, { 0 } },
        { "tasks, loose", u"- [ ] a\n\n- [x] b"_s, { 13 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rendered rendered(Markdown(c.markdown), themed(withTaggedParagraphs(Theme::basic())));
        const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
        ASSERT_EQ(paragraphs.size(), c.gaps.size() + 1);
        std::vector<double> gaps;
        for (size_t i = 1; i < paragraphs.size(); ++i)
            gaps.push_back(paragraphs[i].top() - paragraphs[i - 1].bottom());
        EXPECT_EQ(gaps, c.gaps);
    }
}

TEST(ListItemView, showsTheMarkerOnTheFirstLineAndStacksEveryBlockBelow)
{
    auto seen = std::make_shared<std::vector<MarkdownContent>>();
    const Theme theme = taggedMarkers(Theme::basic()).listItem([seen](const BlockConfiguration &c) {
        seen->push_back(c.content);
        return c.label;
    });
    const QString markdown = u"3. First paragraph\n\n   Second paragraph\n\n   ```\n   code\n   ```"_s;
    Rendered rendered(Markdown(markdown), themed(theme));
    ASSERT_FALSE(seen->empty());
    const QList<BlockNode> list = MarkdownContent(markdown).blocks();
    EXPECT_EQ(
        seen->back(), MarkdownContent(list.front().as<BlockNode::NumberedList>()->items.front().children))
        << "the style is given every block of the item";
    EXPECT_EQ(seen->back().blocks().size(), 3);

    ui::Element &marker = only(rendered, u"marker n 1 3"_s);
    const std::vector<ui::Element *> paragraphs = rendered.tree.findAllByTag(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_EQ(firstBaseline(marker), firstBaseline(*paragraphs[0]));
    EXPECT_EQ(paragraphs[1]->frame().top() - paragraphs[0]->frame().bottom(), 13);
    EXPECT_EQ(paragraphs[1]->frame().left(), paragraphs[0]->frame().left());
    EXPECT_LT(marker.frame().bottom(), paragraphs[1]->frame().top());
}

TEST(ListItemView, anItemWithoutBlocksShowsItsMarkerAlone)
{
    Rendered rendered(Markdown(u"-\n-\n"_s), themed(taggedMarkers(Theme::basic())));
    const std::vector<QRectF> markers = rendered.frames(u"marker b 1 1"_s);
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_GT(markers[0].width(), 0);
    EXPECT_GT(markers[0].height(), 0);
    EXPECT_GT(only(rendered, u"marker b 1 2"_s).frame().top(), markers[0].top());
}

TEST(ColumnWidthPreference, keepsTheWiderOfEachColumn)
{
    ColumnWidthPreference::Value widths { { 0, 20 }, { 1, 5 } };
    ColumnWidthPreference::reduce(widths, { { 0, 12 }, { 2, 7 } });
    EXPECT_EQ(widths, (ColumnWidthPreference::Value { { 0, 20 }, { 1, 5 }, { 2, 7 } }));
    ColumnWidthPreference::reduce(widths, { { 0, 31 } });
    EXPECT_EQ(widths.at(0), 31);
}
