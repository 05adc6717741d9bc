#include "markdown/views/blockquoteview.h"

#include "markdown/views/markdown.h"
#include "tests/markdown/views/rendered.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

TEST(BlockquoteView, nestedQuotesIndentOnceMorePerLevel)
{
    // The basic theme sets a quote 2 em in from the leading edge.
    ui::EnvironmentValues env;
    env.set<ThemeKey>(withTaggedParagraphs(Theme::basic()));
    Rendered rendered(Markdown(u"> outer\n>\n> > inner\n> >\n> > > innermost\n>\n> outer again"_s), env, 400);
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 4u);
    const std::vector<double> lefts { 26, 52, 78, 26 };
    for (size_t i = 0; i < lefts.size(); ++i)
        EXPECT_EQ(paragraphs[i].left(), lefts[i]) << i;
    EXPECT_EQ(paragraphs[1].top() - paragraphs[0].bottom(), 13);
}

TEST(BlockquoteView, stacksItsBlocksWithCollapsedMarginsAndReportsTheLargestOutward)
{
    auto seen = std::make_shared<std::vector<MarkdownContent>>();
    const Theme theme = withTaggedParagraphs(Theme::basic())
                            .heading1([](const BlockConfiguration &c) {
                                return Theme::basic().heading1().body(c).tag(u"h"_s);
                            })
                            .blockquote([seen](const BlockConfiguration &c) {
                                seen->push_back(c.content);
                                return Theme::basic().blockquote().body(c);
                            });
    ui::EnvironmentValues env;
    env.set<ThemeKey>(theme);
    const QString markdown = u"Before.\n\n> # Quoted\n>\n> Text.\n>\n> - item\n\nAfter."_s;
    Rendered rendered(Markdown(markdown), env);
    ASSERT_FALSE(seen->empty());
    EXPECT_EQ(seen->back(), MarkdownContent({ MarkdownContent(markdown).blocks().at(1) }));
    EXPECT_EQ(seen->back().blocks().front().blockChildren().size(), 3);

    const QRectF heading = rendered.frames(u"h"_s).at(0);
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 4u); // before, text, item, after
    // The heading's top margin (1.5 rem) reaches past the quote; inside it the heading's
    // 1 rem below collapses against the paragraph's nothing above.
    EXPECT_EQ(heading.top() - paragraphs[0].bottom(), 20);
    EXPECT_EQ(paragraphs[1].top() - heading.bottom(), 13);
    EXPECT_EQ(paragraphs[2].top() - paragraphs[1].bottom(), 13);
    EXPECT_EQ(paragraphs[3].top() - paragraphs[2].bottom(), 13);
}
