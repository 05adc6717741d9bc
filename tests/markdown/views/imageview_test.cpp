#include "markdown/views/imageview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/theme.h"
#include "markdown/views/markdownenvironment.h"

#include "tests/markdown/views/paragraphcontent.h"
#include "tests/markdown/views/recordingimageprovider.h"
#include "tests/markdown/views/rendered.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

TEST(ImageView, theImageStyleGetsTheImageAsOneParagraphWithItsPlainDescription)
{
    const struct
    {
        const char *name;
        QString markdown;
        InlineNode node; // the one inline node of the content's paragraph
    } cases[] = {
        { "plain", u"![a cat](cat.png)"_s,
            InlineNode::image(u"cat.png"_s, { InlineNode::text(u"a cat"_s) }) },
        { "linked", u"[![a cat](cat.png)](page.md)"_s,
            InlineNode::link(
                u"page.md"_s, { InlineNode::image(u"cat.png"_s, { InlineNode::text(u"a cat"_s) }) }) },
        { "noDescription", u"![](cat.png)"_s, InlineNode::image(u"cat.png"_s, { InlineNode::text(u""_s) }) },
        { "formattedDescription", u"![a *big*\n`cat`](cat.png)"_s,
            InlineNode::image(u"cat.png"_s, { InlineNode::text(u"a big cat"_s) }) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto seen = std::make_shared<std::vector<MarkdownContent>>();
        const Theme theme = Theme().image([seen](const BlockConfiguration &configuration) {
            seen->push_back(configuration.content);
            return configuration.label;
        });
        RecordingImageProvider provider;
        ui::EnvironmentValues env;
        env.set<ImageProviderKey>(AnyImageProvider(provider));
        env.set<ThemeKey>(theme);
        const std::optional<ui::View> view = ImageView(paragraphContent(c.markdown));
        ASSERT_TRUE(view);
        Rendered rendered(*view, env);
        ASSERT_EQ(seen->size(), 1u);
        EXPECT_EQ(seen->front(), MarkdownContent({ BlockNode::paragraph({ c.node }) }));
        EXPECT_EQ(rendered.frames(u"image"_s).size(), 1u) << "the style shows the provider's view";
    }
}

TEST(ImageView, onlyALinkThatFormsAURLMakesTheImageAButton)
{
    const struct
    {
        const char *name;
        std::optional<QString> destination;
        std::vector<QUrl> opened;
    } cases[] = {
        { "noLink", std::nullopt, {} },
        { "relative", u"other note.md"_s, { QUrl(u"https://h/notes/other%20note.md"_s) } },
        { "absolute", u"https://example.org/x"_s, { QUrl(u"https://example.org/x"_s) } },
        { "formsNoURL", u"http://bad host/x"_s, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImageProvider provider;
        std::vector<QUrl> opened;
        ui::EnvironmentValues env;
        env.set<ImageProviderKey>(AnyImageProvider(provider));
        env.set<BaseURLKey>(QUrl(u"https://h/notes/"_s));
        env.set<ImageBaseURLKey>(QUrl(u"https://cdn/pics/"_s));
        env.set<ui::OpenUrlKey>([&opened](const QUrl &url) { opened.push_back(url); });
        Rendered rendered(ImageView(RawImageData { u"cat.png"_s, u"a cat"_s, c.destination }), env);
        EXPECT_EQ(*provider.asked, std::vector<std::optional<QUrl>> { QUrl(u"https://cdn/pics/cat.png"_s) });
        const QRectF image = rendered.frames(u"image"_s).at(0);
        ui::Element *target = rendered.tree.root()->hitTest(image.center());
        EXPECT_EQ(target != nullptr, !c.opened.empty());
        if (target) {
            target->mousePressed({ image.center() });
            target->mouseReleased({ image.center() });
        }
        EXPECT_EQ(opened, c.opened);
    }
}

TEST(ImageView, isReadByAScreenReaderAsItsDescriptionAndAButtonWhenLinked)
{
    const struct
    {
        const char *name;
        QString markdown;
        std::vector<std::pair<ui::AccessibleRole, QString>> nodes;
    } cases[] = {
        { "described", u"![a *big* cat](cat.png)"_s, { { ui::AccessibleRole::Image, u"a big cat"_s } } },
        { "linked", u"[![a cat](cat.png)](page.md)"_s, { { ui::AccessibleRole::Button, u"a cat"_s } } },
        { "noDescriptionIsNotAnnounced", u"![](cat.png)"_s, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImageProvider provider;
        ui::EnvironmentValues env;
        env.set<ImageProviderKey>(AnyImageProvider(provider));
        env.set<BaseURLKey>(QUrl(u"https://h/notes/"_s));
        Rendered rendered(*ImageView(paragraphContent(c.markdown)), env);
        std::vector<std::pair<ui::AccessibleRole, QString>> nodes;
        for (const ui::AccessibleNode &node : ui::accessibleNodes(*rendered.tree.root()))
            nodes.emplace_back(node.role, node.name);
        EXPECT_EQ(nodes, c.nodes);
    }
}

} // namespace
