#include "markdown/views/markdown.h"

#include "markdown/theme/blockmargin.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/views/headingview.h"
#include "markdown/views/imageview.h"
#include "markdown/views/markdownenvironment.h"
#include "tests/markdown/views/markdownpng.h"
#include "tests/markdown/views/recordingimageprovider.h"
#include "tests/markdown/views/rendered.h"
#include "tests/markdown/views/squareinlineimages.h"

#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>

#include <memory>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QList<InlineNode> headingContent(const QString &markdown)
{
    const QList<BlockNode> blocks = MarkdownContent(markdown).blocks();
    if (blocks.isEmpty() || !blocks.front().as<BlockNode::Heading>()) {
        ADD_FAILURE() << "no heading in " << markdown.toStdString();
        return {};
    }
    return blocks.front().as<BlockNode::Heading>()->content;
}

// A theme whose paragraphs and headings are the basic theme's, tagged "p" and "h", and
// which records what each block style was given.
struct Probe
{
    Theme theme() const
    {
        const Theme basic = Theme::basic();
        Theme theme = basic;
        auto record = [seen = seen](const char *tag, const BlockStyle<BlockConfiguration> &style) {
            return Theme::Body<BlockConfiguration>([seen, tag, style](const BlockConfiguration &c) {
                seen->push_back(c.content);
                return style.body(c).tag(QString::fromLatin1(tag));
            });
        };
        theme.setParagraph(BlockStyle<BlockConfiguration>(record("p", basic.paragraph())));
        for (int level = 1; level <= 6; ++level)
            theme.setHeading(level, BlockStyle<BlockConfiguration>(record("h", basic.heading(level))));
        return theme;
    }
    std::shared_ptr<std::vector<MarkdownContent>> seen = std::make_shared<std::vector<MarkdownContent>>();
};

int countInlineImages(const QList<InlineNode> &inlines)
{
    int count = 0;
    for (const InlineNode &node : inlines)
        count += (node.kind() == InlineNode::Kind::Image) + countInlineImages(node.children());
    return count;
}

int countImages(const QList<BlockNode> &blocks)
{
    int count = 0;
    for (const BlockNode &block : blocks) {
        if (const auto *paragraph = block.as<BlockNode::Paragraph>())
            count += countInlineImages(paragraph->content);
        else if (const auto *heading = block.as<BlockNode::Heading>())
            count += countInlineImages(heading->content);
        else if (const auto *table = block.as<BlockNode::Table>()) {
            for (const RawTableRow &row : table->rows) {
                for (const RawTableCell &cell : row.cells)
                    count += countInlineImages(cell.content);
            }
        }
        count += countImages(block.blockChildren());
    }
    return count;
}

} // namespace

TEST(HeadingView, identifiersAreTheKebabCasedPlainTextOfTheHeading)
{
    const struct
    {
        QString markdown;
        QString expected;
    } cases[] = {
        { u"# Hello World"_s, u"hello-world"_s },
        { u"# Hello, World!"_s, u"hello--world-"_s },
        { u"# Café Übersicht"_s, u"café-übersicht"_s },
        { u"# `Foo` Bar"_s, u"foo-bar"_s },
        { u"# *Stressed* and [linked](https://x.org)"_s, u"stressed-and-linked"_s },
        { u"Foo\nBar\n==="_s, u"foo-bar"_s },
        { u"# A <b>B</b>"_s, u"a--b-b--b-"_s },
        { u"# 2 Ünïcödé ΣΑΣ"_s, u"2-ünïcödé-σασ"_s },
        { u"#"_s, u""_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(headingIdentifier(headingContent(c.markdown)), c.expected) << c.markdown.toStdString();
}

TEST(HeadingView, carriesItsIdentifierAndTakesTheStyleOfItsLevel)
{
    const Theme levels
        = Theme::basic().heading3([](const BlockConfiguration &c) { return c.label.tag(u"level three"_s); });
    ui::EnvironmentValues env;
    env.set<ThemeKey>(levels);
    Rendered rendered(Markdown(u"# Hello, World!\n\n### Third\n\n### Third"_s), env);
    EXPECT_FALSE(rendered.frames(u"hello--world-"_s).empty());
    EXPECT_EQ(rendered.frames(u"level three"_s).size(), 2u);
    // A level built in code outside 1 to 6 takes the nearest style instead of failing.
    Rendered deep(Markdown(MarkdownContent({ BlockNode::heading(9, { InlineNode::text(u"Deep"_s) }) })));
    EXPECT_FALSE(deep.frames(u"deep"_s).empty());
}

TEST(Markdown, paragraphsAndHeadingsAreSpacedByTheBasicThemesMargins)
{
    Probe probe;
    ui::EnvironmentValues env;
    env.set<ThemeKey>(probe.theme());
    Rendered rendered(
        Markdown(u"First paragraph.\n\n## Heading\n\nSecond paragraph.\n\nThird paragraph."_s), env);
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    const std::vector<QRectF> headings = rendered.frames(u"h"_s);
    ASSERT_EQ(paragraphs.size(), 3u);
    ASSERT_EQ(headings.size(), 1u);
    EXPECT_EQ(paragraphs[0].top(), 0);
    // A heading asks 1.5 rem above (19.5, rounded to 20) and 1 rem below; a paragraph
    // nothing above and 1 em below.
    EXPECT_EQ(headings[0].top() - paragraphs[0].bottom(), 20);
    EXPECT_EQ(paragraphs[1].top() - headings[0].bottom(), 13);
    EXPECT_EQ(paragraphs[2].top() - paragraphs[1].bottom(), 13);
    EXPECT_GT(headings[0].height(), paragraphs[0].height()) << "a level-2 heading is set larger";
}

TEST(Markdown, theTextStyleIsTheEnclosingOneThenTheThemesThenTheScaledBaseSize)
{
    const struct
    {
        const char *name;
        AnyTextStyle themeText;
        double textSizeScale;
        double expectedSize;
        double expectedScale;
    } cases[] = {
        { "default", AnyTextStyle(), 1, 13, 1 },
        { "a theme at 16 points", FontSize(16), 1, 16, 1 },
        { "the user's text size doubled", AnyTextStyle(), 2, 26, 1 },
        { "a theme that scales its text", FontSize(RelativeSize::em(1.5)), 1, 13, 1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto seen = std::make_shared<std::optional<FontProperties>>();
        const Theme theme = Theme().text({ c.themeText }).paragraph([seen](const BlockConfiguration &c) {
            return ui::EnvironmentReader([seen, label = c.label](const ui::EnvironmentValues &env) {
                *seen = fontPropertiesOf(env);
                return label;
            });
        });
        ui::EnvironmentValues env;
        env.set<ThemeKey>(theme);
        env.set<ui::TextSizeScaleKey>(c.textSizeScale);
        Rendered rendered(Markdown(u"Text."_s), env);
        ASSERT_TRUE(seen->has_value());
        EXPECT_EQ((*seen)->size, c.expectedSize);
        EXPECT_EQ((*seen)->scale, c.expectedScale);
    }
}

TEST(Markdown, textStylesAroundTheViewStackNearestLast)
{
    auto seen = std::make_shared<ui::AttributeContainer>();
    const Theme theme = Theme().paragraph([seen](const BlockConfiguration &c) {
        return ui::EnvironmentReader([seen, label = c.label](const ui::EnvironmentValues &env) {
            *seen = ui::AttributeContainer();
            env.get<TextStyleKey>().collectAttributes(*seen);
            return label;
        });
    });
    const ui::View view
        = ui::View(Markdown(u"Text."_s))
              .modifier(markdownTextStyle({ FontSize(20), ForegroundColor(ui::Color::blue()) }))
              .modifier(markdownTextStyle({ ForegroundColor(ui::Color::red()) }))
              .modifier(markdownTheme(theme));
    ui::ViewTree tree(view);
    tree.rebuild(400);
    EXPECT_EQ(seen->value<ui::ForegroundColorAttribute>(), ui::Color::blue()) << "the nearer colour wins";
    ASSERT_TRUE(seen->get<FontPropertiesAttribute>());
    EXPECT_EQ(seen->get<FontPropertiesAttribute>()->size, 20) << "the size set around the view is the base";
}

TEST(Markdown, theThemesColoursApplyToTheWholeDocument)
{
    auto seen = std::make_shared<std::optional<ui::Color>>();
    const Theme theme
        = Theme()
              .text({ ForegroundColor(ui::Color::red()), BackgroundColor(ui::Color::yellow()) })
              .paragraph([seen](const BlockConfiguration &c) {
                  return ui::EnvironmentReader([seen, label = c.label](const ui::EnvironmentValues &env) {
                      *seen = env.get<ui::ForegroundColorKey>();
                      return label;
                  });
              });
    ui::EnvironmentValues env;
    env.set<ThemeKey>(theme);
    const QImage page = renderMarkdown(u"Text."_s, 200, env, 1);
    EXPECT_EQ(*seen, ui::Color::red());
    // The background fills the block stack, the padding around it stays white.
    EXPECT_EQ(page.pixelColor(20, 17), ui::Color::yellow().resolve(ui::ColorScheme::Light))
        << "inside the stack";
    EXPECT_EQ(page.pixelColor(5, 5), QColor(Qt::white)) << "in the padding";
}

TEST(Markdown, theImageBaseIsTheBaseUnlessGiven)
{
    const QUrl base(u"https://h/notes/"_s);
    const QUrl images(u"https://cdn/pics/"_s);
    EXPECT_EQ(Markdown(u""_s, base).imageBaseURL(), base);
    EXPECT_EQ(Markdown(u""_s, base, images).imageBaseURL(), images);
    EXPECT_FALSE(Markdown(u""_s).imageBaseURL());
    const Markdown built(base, std::nullopt, [] { return MarkdownContent(u"# Built"_s); });
    EXPECT_EQ(built.content().blocks().size(), 1);
    EXPECT_EQ(built.imageBaseURL(), base);
}

TEST(Markdown, anImageAloneInItsParagraphIsAnImageView)
{
    const struct
    {
        const char *name;
        QString markdown;
        std::vector<std::optional<QUrl>> asked;
    } cases[] = {
        { "alone", u"![a cat](cat.png)"_s, { QUrl(u"https://cdn/pics/cat.png"_s) } },
        { "alone in a link", u"[![a cat](cat.png)](page.md)"_s, { QUrl(u"https://cdn/pics/cat.png"_s) } },
        { "with words after it", u"![a cat](cat.png) text"_s, {} },
        // Taken out by the colour-scheme filter before any view sees it.
        { "a source that forms no URL", u"![a cat](<http://bad host/c.png>)"_s, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImageProvider provider;
        ui::EnvironmentValues env;
        env.set<ImageProviderKey>(AnyImageProvider(provider));
        Rendered rendered(
            Markdown(c.markdown, QUrl(u"https://h/notes/"_s), QUrl(u"https://cdn/pics/"_s)), env);
        EXPECT_EQ(*provider.asked, c.asked);
        EXPECT_EQ(rendered.frames(u"image"_s).size(), c.asked.size());
    }
}

TEST(ImageView, asksTheProviderWithNoURLWhenTheSourceFormsNone)
{
    RecordingImageProvider provider;
    ui::EnvironmentValues env;
    env.set<ImageProviderKey>(AnyImageProvider(provider));
    ui::ViewTree tree(ImageView(RawImageData { u"http://bad host/c.png"_s, u"c"_s, std::nullopt }), env);
    tree.rebuild(600);
    EXPECT_EQ(*provider.asked, std::vector<std::optional<QUrl>> { std::nullopt });
}

TEST(Markdown, anInlineImageArrivingKeepsTheSpacingAndLeavesOtherBlocksAlone)
{
    // With the basic theme a paragraph wraps its text; with a bare one the paragraph
    // is the text itself, so what the image's arrival resolves again is a whole block.
    const Theme bare = Theme().paragraph([](const BlockConfiguration &c) {
        return c.label.tag(u"p"_s).modifier(markdownMargin(RelativeSize::zero(), RelativeSize::em(1)));
    });
    const struct
    {
        const char *name;
        Theme theme;
    } cases[] = { { "basic", Probe().theme() }, { "bare", bare } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SquareInlineImages images;
        ui::EnvironmentValues env;
        env.set<ThemeKey>(c.theme);
        env.set<InlineImageProviderKey>(std::make_shared<SquareInlineImages>(images));
        Rendered rendered(Markdown(u"Before.\n\nA picture ![p](https://h/p.png) inline.\n\nAfter."_s), env);
        const std::vector<ui::Element *> before = rendered.tree.findAllByTag(u"p"_s);
        ASSERT_EQ(before.size(), 3u);
        const double bareHeight = before[1]->frame().height();

        images.answerAll();
        ASSERT_TRUE(rendered.tree.needsRebuild());
        rendered.tree.update();
        const std::vector<ui::Element *> after = rendered.tree.findAllByTag(u"p"_s);
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[0], before[0]) << "a block without the image is not made again";
        EXPECT_GE(after[1]->frame().height(), 60);
        EXPECT_GT(after[1]->frame().height(), bareHeight);
        EXPECT_EQ(after[1]->frame().top() - after[0]->frame().bottom(), 13);
        EXPECT_EQ(after[2]->frame().top() - after[1]->frame().bottom(), 13);
    }
}

TEST(Markdown, anHtmlBlockIsAParagraphOfItsLiteralText)
{
    Probe probe;
    ui::EnvironmentValues env;
    env.set<ThemeKey>(probe.theme());
    Rendered rendered(Markdown(u"<div class=\"x\">hi</div>\n"_s), env);
    ASSERT_EQ(probe.seen->size(), 1u);
    EXPECT_EQ(probe.seen->front(),
        MarkdownContent({ BlockNode::paragraph({ InlineNode::text(u"<div class=\"x\">hi</div>"_s) }) }));
    EXPECT_EQ(rendered.frames(u"p"_s).size(), 1u);
}

TEST(Markdown, theEmptyStringRendersNothing)
{
    Rendered rendered { Markdown(u""_s) };
    EXPECT_EQ(rendered.tree.contentSize(), QSizeF(0, 0));
}

TEST(Markdown, aBlockWhoseStyleDrawsNothingTakesNoSpace)
{
    Probe probe;
    ui::EnvironmentValues env;
    env.set<ThemeKey>(probe.theme().thematicBreak([] { return ui::EmptyView(); }));
    Rendered rendered(Markdown(u"One.\n\n---\n\nTwo."_s), env);
    const std::vector<QRectF> paragraphs = rendered.frames(u"p"_s);
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_EQ(paragraphs[1].top() - paragraphs[0].bottom(), 13);
}

TEST(ColorSchemeImageFilter, hidesImagesMeantForTheOtherScheme)
{
    using ui::ColorScheme;
    const struct
    {
        QString source;
        bool inLight;
        bool inDark;
    } cases[] = {
        { u"https://h/a.png"_s, true, true },
        { u"https://h/a.png#gh-dark-mode-only"_s, false, true },
        { u"https://h/a.png#gh-light-mode-only"_s, true, false },
        { u"https://h/a.png#GH-DARK-MODE-ONLY"_s, false, true },
        { u"https://h/a.png#gh-dark-mode-only-please"_s, true, true },
        { u"https://h/a.png#other"_s, true, true },
        { u"a.png#gh-dark-mode-only"_s, false, true },
        { u"http://bad host/a.png"_s, false, false },
        { u""_s, false, false },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(imageSourceMatchesColorScheme(c.source, ColorScheme::Light), c.inLight)
            << c.source.toStdString();
        EXPECT_EQ(imageSourceMatchesColorScheme(c.source, ColorScheme::Dark), c.inDark)
            << c.source.toStdString();
    }
}

TEST(ColorSchemeImageFilter, reachesImagesAtAnyDepthAndKeepsEveryBlock)
{
    const QString dark = u"![d](https://h/d.png#gh-dark-mode-only)"_s;
    const QString markdown = u"%1\n\n# Title %1\n\n[%1](x) *a %1*\n\n> quoted %1\n\n- item %1\n  - nested %1"
                             u"\n\n| a |\n|---|\n| %1 |\n"_s.arg(dark);
    const QList<BlockNode> blocks = MarkdownContent(markdown).blocks();
    ASSERT_EQ(countImages(blocks), 8);
    const QList<BlockNode> light = filterImagesForColorScheme(blocks, ui::ColorScheme::Light);
    EXPECT_EQ(light.size(), blocks.size());
    EXPECT_EQ(countImages(light), 0);
    EXPECT_EQ(light.front(), BlockNode::paragraph({})) << "an image-only paragraph stays, empty";
    EXPECT_EQ(filterImagesForColorScheme(blocks, ui::ColorScheme::Dark), blocks);
}

TEST(MarkdownPng, rendersEverySampleNoteForALookAtTwoWidthsInBothThemesAndInTheDark)
{
    const QString out
        = qEnvironmentVariable("QV_MARKDOWN_PNG_DIR", QDir::temp().filePath(u"quorvane-markdown-png"_s));
    QDir().mkpath(out);
    QDirIterator samples(QStringLiteral(QV_TEST_DATA_DIR), { u"*.md"_s }, QDir::Files);
    int rendered = 0;
    while (samples.hasNext()) {
        const QFileInfo sample(samples.next());
        QFile file(sample.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString markdown = QString::fromUtf8(file.readAll());
        const struct
        {
            QString suffix;
            Theme theme;
        } themes[] = { { u""_s, Theme::basic() }, { u"-github"_s, Theme::gitHub() } };
        for (const auto &theme : themes) {
            ui::EnvironmentValues env;
            env.set<ThemeKey>(theme.theme);
            for (const int width : { 320, 640 }) {
                const QString path
                    = QDir(out).filePath(u"%1%2-%3.png"_s.arg(sample.baseName(), theme.suffix).arg(width));
                ASSERT_TRUE(writeMarkdownPng(markdown, width, path, env)) << path.toStdString();
                EXPECT_GT(QImage(path).height(), 100);
                ++rendered;
            }
        }
        ui::EnvironmentValues dark;
        dark.set<ui::ColorSchemeKey>(ui::ColorScheme::Dark);
        const QString darkPath = QDir(out).filePath(u"%1-dark.png"_s.arg(sample.baseName()));
        ASSERT_TRUE(writeMarkdownPng(markdown, 640, darkPath, dark));
    }
    EXPECT_GT(rendered, 0);
}
