#include "markdown/views/tasklistview.h"

#include "markdown/views/markdown.h"
#include "tests/markdown/views/rendered.h"

#include "tests/support/printers.h"

#include "ui/text.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

ui::EnvironmentValues themed(const Theme &theme)
{
    ui::EnvironmentValues env;
    env.set<ThemeKey>(theme);
    return env;
}

} // namespace

TEST(TaskListView, theMarkerFollowsTheItemsBoxAndNothingElse)
{
    auto seen = std::make_shared<std::vector<bool>>();
    const Theme theme = Theme::basic().taskListMarker([seen](const TaskListMarkerConfiguration &c) {
        seen->push_back(c.isCompleted);
        return ui::Text(u"box"_s).view().tag(c.isCompleted ? u"done"_s : u"open"_s);
    });
    Rendered rendered(Markdown(u"- [x] done\n- [ ] open\n- [X] done too"_s), themed(theme));
    EXPECT_EQ(*seen, (std::vector<bool> { true, false, true }));
    EXPECT_EQ(rendered.frames(u"done"_s).size(), 2u);
    EXPECT_EQ(rendered.frames(u"open"_s).size(), 1u);
}

TEST(TaskListView, theDefaultMarkersDrawAFilledAndAnEmptySquare)
{
    // The completed box is filled: more of its square is drawn than of the open one.
    const Theme theme = Theme::basic().taskListMarker([](const TaskListMarkerConfiguration &c) {
        return Theme::basic().taskListMarker().body(c).tag(c.isCompleted ? u"done"_s : u"open"_s);
    });
    ui::EnvironmentValues env = themed(theme);
    Rendered rendered(Markdown(u"- [x] a\n- [ ] b"_s), env);
    const QRectF done = rendered.frames(u"done"_s).at(0);
    const QRectF open = rendered.frames(u"open"_s).at(0);
    EXPECT_EQ(done.size(), open.size()) << "both boxes take the same room";
    QImage page(int(rendered.tree.contentSize().width()), int(rendered.tree.contentSize().height()),
        QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    rendered.tree.paint(painter, QRectF(QPointF(0, 0), rendered.tree.contentSize()));
    painter.end();
    const auto inked = [&page](const QRectF &rect) {
        int count = 0;
        for (int y = int(rect.top()); y < int(rect.bottom()); ++y) {
            for (int x = int(rect.left()); x < int(rect.right()); ++x)
                count += page.pixelColor(x, y) != QColor(Qt::white);
        }
        return count;
    };
    EXPECT_GT(inked(open), 0);
    EXPECT_GT(inked(done), inked(open));
}

TEST(TaskListView, anItemWithSeveralBlocksGivesThemAllToTheItemStyle)
{
    auto seen = std::make_shared<std::vector<MarkdownContent>>();
    const Theme theme = withTaggedParagraphs(Theme::basic()).listItem([seen](const BlockConfiguration &c) {
        seen->push_back(c.content);
        return c.label;
    });
    Rendered rendered(Markdown(u"- [ ] One\n\n  Two\n\n  > Three"_s), themed(theme));
    ASSERT_FALSE(seen->empty());
    EXPECT_EQ(seen->back().blocks().size(), 3);
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_EQ(paragraphs[1].left(), paragraphs[0].left());
    EXPECT_GT(paragraphs[1].top(), paragraphs[0].bottom());
}

TEST(TaskListView, clickingAMarkerChangesNothing)
{
    const Theme theme = Theme::basic().taskListMarker([](const TaskListMarkerConfiguration &c) {
        return Theme::basic().taskListMarker().body(c).tag(u"box"_s);
    });
    Rendered rendered(Markdown(u"- [ ] a"_s), themed(theme));
    const QPointF center = rendered.frames(u"box"_s).at(0).center();
    if (ui::Element *target = rendered.tree.root()->hitTest(center)) {
        target->mousePressed({ center });
        target->mouseReleased({ center });
    }
    EXPECT_FALSE(rendered.tree.needsRebuild());
    EXPECT_EQ(rendered.frames(u"box"_s).size(), 1u);
}
