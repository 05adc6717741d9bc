#include "markdown/views/thematicbreakview.h"

#include "markdown/theme/blockmargin.h"
#include "markdown/views/markdown.h"
#include "tests/markdown/views/rendered.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ThematicBreakView, showsWhatTheThemeDrawsWithItsMargins)
{
    const struct
    {
        const char *name;
        Theme theme;
        double gap; // between the break and each paragraph
    } cases[] = {
        { "basic: 2 em on both sides",
            Theme::basic().thematicBreak([] { return Theme::basic().thematicBreak().body().tag(u"hr"_s); }),
            26 },
        { "GitHub: 24 points on both sides",
            Theme::gitHub().thematicBreak([] { return Theme::gitHub().thematicBreak().body().tag(u"hr"_s); }),
            24 },
        { "a style of its own", Theme::basic().thematicBreak([] {
             return ui::View(ui::Color::red())
                 .frame(std::nullopt, 5)
                 .tag(u"hr"_s)
                 .modifier(markdownMargin(3.0, 4.0));
         }),
            13 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ui::EnvironmentValues env;
        env.set<ThemeKey>(withTaggedParagraphs(c.theme));
        Rendered rendered(Markdown(u"Above.\n\n---\n\nBelow."_s), env);
        const std::vector<QRectF> rules = rendered.frames(u"hr"_s);
        ASSERT_EQ(rules.size(), 1u);
        const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
        ASSERT_EQ(paragraphs.size(), 2u);
        EXPECT_EQ(rules[0].top() - paragraphs[0].bottom(), c.gap);
        EXPECT_GT(rules[0].width(), 500) << "a rule runs across the page";
    }
}
