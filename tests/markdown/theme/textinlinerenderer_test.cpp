#include "markdown/theme/textinlinerenderer.h"

#include "markdown/theme/textstyles.h"
#include "tests/markdown/theme/inlinedump.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using Node = InlineNode;

InlineTextStyles styles()
{
    return { FontFamilyVariant(FontProperties::FamilyVariant::Monospaced),
        FontStyle(FontProperties::Style::Italic), FontWeight(FontProperties::Weight::Semibold),
        StrikethroughStyle(ui::LineStyle::single()), EmptyTextStyle() };
}

ui::AttributeContainer base(double size = FontProperties::defaultSize)
{
    ui::AttributeContainer container;
    FontProperties properties;
    properties.size = size;
    properties.collectAttributes(container);
    return container;
}

Node text(const char16_t *s)
{
    return Node::text(QString::fromUtf16(s));
}
const Node br = Node::html(u"<br>"_s);
const Node image = Node::image(u"pics/a b.png"_s, { Node::text(u"alt"_s) });

QHash<QString, ui::Image> loaded()
{
    QImage pixels(4, 2, QImage::Format_ARGB32);
    pixels.fill(Qt::red);
    return { { u"pics/a b.png"_s, ui::Image(pixels) } };
}

struct TextCase
{
    const char *name;
    QList<InlineNode> nodes;
    const char *pieces;
    SoftBreak::Mode mode = SoftBreak::Mode::Space;
    QHash<QString, ui::Image> images = loaded();
};

void PrintTo(const TextCase &c, std::ostream *out)
{
    *out << c.name;
}

class TextInlineRendererTest : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(TextInlineRendererTest, rendersOnePiecePerTopLevelNode)
{
    const TextCase &c = GetParam();
    const ui::Text rendered = renderInlinesToText(c.nodes, std::nullopt, styles(), c.images, c.mode, base());
    EXPECT_EQ(dump(rendered), QString::fromUtf8(c.pieces));
}

INSTANTIATE_TEST_SUITE_P(Nodes, TextInlineRendererTest,
    ::testing::Values(TextCase { "emptySequence", {}, "" },
        TextCase { "softBreakAsSpaceIsItsOwnPiece", { text(u"a"), Node::softBreak(), text(u"b") },
            R"("a" | " " | "b")" },
        TextCase { "softBreakAsLineBreakStripsTheNextText", { text(u"a"), Node::softBreak(), text(u" b") },
            R"("a" | "\n" | "b")", SoftBreak::Mode::LineBreak },
        TextCase { "secondSoftBreakSetsTheFlagAgain",
            { text(u"a"), Node::softBreak(), Node::softBreak(), text(u"  b") }, R"("a" | "\n" | "\n" | "b")",
            SoftBreak::Mode::LineBreak },
        TextCase { "breakTagStripsTheNextText", { br, text(u"   b") }, R"("\n" | "b")" },
        TextCase {
            "softBreakAsSpaceUsesUpTheFlag", { br, Node::softBreak(), text(u" b") }, R"("\n" | " b")" },
        TextCase { "literalTagLeavesTheFlagForTheText", { br, Node::html(u"<span>"_s), text(u" b") },
            R"("\n" | "<span>" | "b")" },
        TextCase { "codeKeepsItsSpaceAndTheFlag", { br, Node::code(u" c"_s), text(u"  b") },
            R"("\n" | " c"{mono} | "b")" },
        TextCase { "breakTagInsideEmphasisStaysInside", { Node::emphasis({ br }), text(u" b") },
            R"("\n"{italic} | " b")" },
        TextCase { "loadedImageShowsInline", { text(u"a"), image, text(u"b") }, R"("a" | image(4x2) | "b")" },
        TextCase { "missingImageShowsNothing", { Node::image(u"pics/other.png"_s, { text(u"alt") }) }, "" },
        TextCase { "noImageWhileTheTableIsEmpty", { image }, "", SoftBreak::Mode::Space, {} },
        TextCase { "linkAroundAnImageOnlyShowsNothing", { Node::link(u"https://x.org/"_s, { image }) }, "" },
        TextCase { "linkShowsItsTextButNotItsImage",
            { Node::link(u"https://x.org/"_s, { image, text(u"t") }) }, R"("t"{link=https://x.org/})" },
        TextCase { "nestedStylesShareOnePiece",
            { Node::strong({ text(u"s"), Node::emphasis({ text(u"e") }) }),
                Node::strikethrough({ text(u"d") }) },
            R"("s"{semibold} "e"{italic,semibold} | "d"{strike})" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextInlineRenderer, everyRunCarriesAResolvedFont)
{
    const ui::Text rendered
        = renderInlinesToText({ text(u"a"), Node::emphasis({ text(u"b") }), Node::code(u"c"_s) },
            std::nullopt, styles(), {}, SoftBreak::Mode::Space, base(20));
    EXPECT_EQ(dump(rendered), R"("a"{size=20} | "b"{italic,size=20} | "c"{mono,size=20})");
    for (const ui::Text::Piece &piece : rendered.pieces()) {
        for (const ui::AttributedRun &run : std::get<ui::AttributedText>(piece).runs()) {
            EXPECT_TRUE(run.attributes.contains<ui::FontAttribute>());
            EXPECT_FALSE(run.attributes.contains<FontPropertiesAttribute>());
        }
    }
}

TEST(TextInlineRenderer, stepByStepAsTheBlockViewsDriveIt)
{
    TextInlineRenderer renderer(ui::Text(), std::nullopt, styles(), loaded(), SoftBreak::Mode::Space, base());
    renderer.renderInlineToText(br);
    EXPECT_TRUE(renderer.shouldSkipNextWhitespace());
    renderer.renderInlineToText(image);
    EXPECT_TRUE(renderer.shouldSkipNextWhitespace()) << "an image leaves the flag alone";
    renderer.renderInlineToText(text(u" x"));
    EXPECT_FALSE(renderer.shouldSkipNextWhitespace());
    EXPECT_EQ(dump(renderer.result()), R"("\n" | image(4x2) | "x")");
}

} // namespace
