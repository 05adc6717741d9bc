#include "markdown/views/inlinetext.h"

#include "markdown/views/markdownenvironment.h"
#include "markdown/views/rawimagedata.h"
#include "tests/markdown/views/squareinlineimages.h"

#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

InlineNode text(const QString &literal)
{
    return InlineNode::text(literal);
}

InlineNode image(const QString &source, QList<InlineNode> alt = { InlineNode::text(u"alt"_s) })
{
    return InlineNode::image(source, std::move(alt));
}

// A run laid out at 800 points with the fake provider in force.
struct Shown
{
    explicit Shown(QList<InlineNode> inlines, std::optional<QUrl> imageBase = std::nullopt)
    {
        auto installed = std::make_shared<SquareInlineImages>(provider);
        ui::EnvironmentValues env;
        env.set<InlineImageProviderKey>(installed);
        env.set<ImageBaseURLKey>(imageBase);
        tree = std::make_unique<ui::ViewTree>(InlineText(std::move(inlines)).tag(u"run"_s), env);
        tree->rebuild(800);
    }

    double height()
    {
        if (tree->needsRebuild())
            tree->rebuild();
        return tree->frameOfTag(u"run"_s).height();
    }

    std::vector<QString> requested() const
    {
        std::vector<QString> urls;
        for (const auto &request : *provider.pending)
            urls.push_back(request.url.toString());
        return urls;
    }

    SquareInlineImages provider;
    std::unique_ptr<ui::ViewTree> tree;
};

} // namespace

TEST(InlineText, asksOnceForEachDistinctTopLevelImageWithAURL)
{
    const struct
    {
        const char *name;
        QList<InlineNode> inlines;
        std::optional<QUrl> base;
        std::vector<QString> expected;
    } cases[] = {
        { "plain words", { text(u"just words"_s) }, {}, {} },
        { "two images", { image(u"http://h/a.png"_s), text(u" and "_s), image(u"http://h/b.png"_s) }, {},
            { u"http://h/a.png"_s, u"http://h/b.png"_s } },
        { "the same image twice", { image(u"http://h/a.png"_s), text(u" "_s), image(u"http://h/a.png"_s) },
            {}, { u"http://h/a.png"_s } },
        { "one source, two descriptions",
            { image(u"http://h/a.png"_s, { text(u"one"_s) }),
                image(u"http://h/a.png"_s, { text(u"two"_s) }) },
            {}, { u"http://h/a.png"_s, u"http://h/a.png"_s } },
        { "an image inside emphasis",
            { InlineNode::emphasis({ text(u"look "_s), image(u"http://h/a.png"_s) }) }, {}, {} },
        { "a linked image", { InlineNode::link(u"http://h/page"_s, { image(u"http://h/a.png"_s) }) }, {},
            { u"http://h/a.png"_s } },
        { "a link around an image and a word",
            { InlineNode::link(u"http://h/page"_s, { image(u"http://h/a.png"_s), text(u"w"_s) }) }, {}, {} },
        { "a relative source against a folder", { image(u"pics/a.png"_s) }, QUrl(u"http://h/notes/"_s),
            { u"http://h/notes/pics/a.png"_s } },
        { "a relative source without a base", { image(u"pics/a.png"_s) }, {}, { u"pics/a.png"_s } },
        { "a source that forms no URL", { image(u"http://bad host/a.png"_s), image(u""_s) }, {}, {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Shown shown(c.inlines, c.base);
        EXPECT_EQ(shown.requested(), c.expected);
    }
}

TEST(InlineText, labelsEachRequestWithTheImagesPlainDescription)
{
    Shown shown({ InlineNode::link(u"http://h/page"_s,
        { image(u"http://h/a.png"_s, { text(u"first"_s), InlineNode::softBreak(), text(u"second"_s) }) }) });
    ASSERT_EQ(shown.provider.pending->size(), 1u);
    EXPECT_EQ(shown.provider.pending->front().label, u"first second"_s);
}

TEST(InlineText, showsTheImagesTogetherOnceTheLastArrived)
{
    Shown shown({ text(u"a "_s), image(u"http://h/a.png"_s), text(u" b "_s), image(u"http://h/b.png"_s) });
    const double bare = shown.height();
    ASSERT_GT(bare, 0);
    ASSERT_LT(bare, 40);
    shown.provider.answer(u"http://h/b.png"_s);
    EXPECT_EQ(shown.height(), bare) << "one of two images is not shown alone";
    shown.provider.answer(u"http://h/a.png"_s);
    EXPECT_GE(shown.height(), 60);
}

TEST(InlineText, oneFailureDropsEveryInlineImageOfTheRun)
{
    Shown shown({ image(u"http://h/a.png"_s), image(u"http://h/b.png"_s), image(u"http://h/c.png"_s),
        text(u" words"_s) });
    const double bare = shown.height();
    shown.provider.answer(u"http://h/a.png"_s);
    shown.provider.answer(u"http://h/b.png"_s, false);
    shown.provider.answer(u"http://h/c.png"_s);
    EXPECT_EQ(shown.height(), bare);
}

TEST(RawImageData, takesTheImageAndItsPlainDescriptionFromANode)
{
    const InlineNode described = image(u"a.png"_s,
        { InlineNode::emphasis({ text(u"word"_s) }), InlineNode::softBreak(), InlineNode::code(u"code"_s) });
    const InlineNode plain = image(u"a.png"_s, {});
    const struct
    {
        const char *name;
        InlineNode node;
        std::optional<RawImageData> expected;
    } cases[] = {
        { "formatting dropped, text kept", described, RawImageData { u"a.png"_s, u"word code"_s, {} } },
        { "no description", plain, RawImageData { u"a.png"_s, u""_s, {} } },
        { "a link around it", InlineNode::link(u"d"_s, { plain }),
            RawImageData { u"a.png"_s, u""_s, u"d"_s } },
        { "the outer link wins", InlineNode::link(u"outer"_s, { InlineNode::link(u"inner"_s, { plain }) }),
            RawImageData { u"a.png"_s, u""_s, u"outer"_s } },
        { "a link with two children", InlineNode::link(u"d"_s, { plain, plain }), std::nullopt },
        { "a link around text", InlineNode::link(u"d"_s, { text(u"t"_s) }), std::nullopt },
        { "an empty link", InlineNode::link(u"d"_s, {}), std::nullopt },
        { "a text", text(u"t"_s), std::nullopt },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(imageData(c.node), c.expected);
    }
}
