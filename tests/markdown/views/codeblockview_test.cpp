#include "markdown/views/codeblockview.h"

#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/views/markdown.h"
#include "markdown/views/markdownenvironment.h"
#include "tests/markdown/views/markdownpng.h"
#include "tests/markdown/views/rendered.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Call = std::pair<QString, std::optional<QString>>;

// Records what it is asked to highlight and shows the code plainly.
class RecordingHighlighter final : public CodeSyntaxHighlighter
{
public:
    ui::Text highlightCode(const QString &code, const std::optional<QString> &language) const override
    {
        calls->push_back({ code, language });
        return ui::Text(code);
    }
    std::shared_ptr<std::vector<Call>> calls = std::make_shared<std::vector<Call>>();
};

// The theme's code-block style around a label tagged "code", recording what it is given.
Theme taggedCode(const Theme &base, std::shared_ptr<std::vector<Call>> seen = {})
{
    const BlockStyle<CodeBlockConfiguration> style = base.codeBlock();
    return base.codeBlock([style, seen](const CodeBlockConfiguration &c) {
        if (seen)
            seen->push_back({ c.content, c.language });
        return style.body(CodeBlockConfiguration { c.language, c.content, c.label.tag(u"code"_s) });
    });
}

// Whether any pixel of the page is plainly red.
bool hasRed(const QImage &page)
{
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(CodeBlockView, theHighlighterAndTheStyleGetTheCodeLessOneLineFeedAndTheFenceInfoAsIs)
{
    const struct
    {
        const char *name;
        MarkdownContent content;
        Call expected;
    } cases[] = {
        { "fenced with a language", MarkdownContent(u"```swift\nlet a = 1\n```"_s),
            { u"let a = 1"_s, u"swift"_s } },
        { "a whole info string", MarkdownContent(u"```rust title=\"x\"\nfn f() {}\n```"_s),
            { u"fn f() {}"_s, u"rust title=\"x\""_s } },
        { "two final line feeds keep one", MarkdownContent(u"```\na\n\n```"_s), { u"a\n"_s, u""_s } },
        { "indented", MarkdownContent(u"    indented\n"_s), { u"indented"_s, u""_s } },
        { "built without a language or final line feed",
            MarkdownContent({ BlockNode::codeBlock(std::nullopt, u"x"_s) }), { u"x"_s, std::nullopt } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHighlighter highlighter;
        auto styled = std::make_shared<std::vector<Call>>();
        ui::EnvironmentValues env;
        env.set<ThemeKey>(taggedCode(Theme::basic(), styled));
        env.set<CodeSyntaxHighlighterKey>(std::make_shared<RecordingHighlighter>(highlighter));
        Rendered rendered(Markdown(c.content), env);
        ASSERT_FALSE(highlighter.calls->empty());
        EXPECT_EQ(highlighter.calls->back(), c.expected);
        ASSERT_FALSE(styled->empty());
        EXPECT_EQ(styled->back(), c.expected);
        EXPECT_EQ(rendered.frames(u"code"_s).size(), 1u);
    }
}

TEST(CodeBlockView, aLongLineScrollsSidewaysRatherThanWrapping)
{
    const QString longLine = u"let total = first + second + third + fourth + fifth + sixth + seventh"_s;
    const struct
    {
        const char *name;
        Theme theme;
    } cases[] = { { "basic", Theme::basic() }, { "GitHub", Theme::gitHub() } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ui::EnvironmentValues env;
        env.set<ThemeKey>(taggedCode(c.theme));
        Rendered shortCode(Markdown(u"```\nx\n```"_s), env, 200);
        Rendered longCode(Markdown(u"```\n%1\n```"_s.arg(longLine)), env, 200);
        ui::Element *code = longCode.tree.findByTag(u"code"_s);
        ASSERT_NE(code, nullptr);
        const QRectF before = code->frame();
        EXPECT_GT(before.width(), 200) << "the line is kept whole";
        EXPECT_EQ(before.height(), shortCode.frames(u"code"_s).at(0).height()) << "one line high";
        EXPECT_LE(longCode.tree.contentSize().width(), 200) << "the page does not widen";

        // A sideways wheel turn reaches the scroller around the code and moves it.
        bool scrolled = false;
        for (ui::Element *element = code; element && !scrolled; element = element->parent())
            scrolled = element->wheelScrolled(QPointF(-40, 0));
        EXPECT_TRUE(scrolled);
        EXPECT_EQ(code->frame().left(), before.left() - 40);
    }
}

TEST(CodeBlockView, theCodeTakesTheFontAndColourOfTheTextStyleWhereTheStylePutsIt)
{
    const Theme theme
        = Theme().text({ ForegroundColor(ui::Color::red()) }).codeBlock([](const CodeBlockConfiguration &c) {
              return c.label.tag(u"code"_s).modifier(markdownTextStyle({ FontSize(40) }));
          });
    ui::EnvironmentValues env;
    env.set<ThemeKey>(theme);
    Rendered rendered(Markdown(u"```\nHHHH\n```"_s), env);
    EXPECT_GE(rendered.frames(u"code"_s).at(0).height(), 40);

    EXPECT_TRUE(hasRed(renderMarkdown(u"```\nHHHH\n```"_s, 300, env, 1)));
}

TEST(CodeBlockView, theInstalledHighlightersColoursShowOverTheTextColour)
{
    // Paints every "x" red and leaves the rest in the text colour.
    class RedX final : public CodeSyntaxHighlighter
    {
    public:
        ui::Text highlightCode(const QString &code, const std::optional<QString> &) const override
        {
            ui::AttributeContainer red;
            red.set<ui::ForegroundColorAttribute>(ui::Color::red());
            ui::AttributedText text;
            for (const QChar c : code)
                text.append(QString(c), c == u'x' ? red : ui::AttributeContainer());
            return ui::Text(text);
        }
    };
    ui::EnvironmentValues env;
    env.set<CodeSyntaxHighlighterKey>(std::make_shared<RedX>());
    EXPECT_TRUE(hasRed(renderMarkdown(u"```\nxxxx\n```"_s, 300, env, 1)));
    EXPECT_FALSE(hasRed(renderMarkdown(u"```\nyyyy\n```"_s, 300, env, 1)));
}

TEST(CodeBlockView, aMissingHighlighterStillShowsTheCode)
{
    ui::EnvironmentValues env;
    env.set<ThemeKey>(taggedCode(Theme::basic()));
    env.set<CodeSyntaxHighlighterKey>(nullptr);
    Rendered rendered(Markdown(u"```\nshown\n```"_s), env);
    const std::vector<QRectF> code = rendered.frames(u"code"_s);
    ASSERT_EQ(code.size(), 1u);
    EXPECT_GT(code[0].width(), 20);
}
