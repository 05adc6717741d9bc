#include "markdown/theme/attributedstringinlinerenderer.h"

#include "markdown/theme/textstyles.h"
#include "tests/markdown/theme/inlinedump.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using Node = InlineNode;

// A link style that sets a link of its own: the destination must win over it.
class StyleLink final : public TextStyle
{
public:
    void collectAttributes(ui::AttributeContainer &container) const override
    {
        container.set<ui::LinkAttribute>(QUrl(u"https://style.example/"_s));
    }
};

InlineTextStyles styles()
{
    return { FontFamilyVariant(FontProperties::FamilyVariant::Monospaced),
        FontStyle(FontProperties::Style::Italic), FontWeight(FontProperties::Weight::Semibold),
        StrikethroughStyle(ui::LineStyle::single()), StyleLink() };
}

ui::AttributeContainer base()
{
    ui::AttributeContainer container;
    FontProperties().collectAttributes(container);
    return container;
}

Node text(const char16_t *s)
{
    return Node::text(QString::fromUtf16(s));
}
Node html(const char16_t *s)
{
    return Node::html(QString::fromUtf16(s));
}
const Node br = Node::html(u"<br>"_s);

struct RenderCase
{
    const char *name;
    QList<InlineNode> nodes;
    const char *runs;
    SoftBreak::Mode mode = SoftBreak::Mode::Space;
    std::optional<const char *> baseURL = std::nullopt;
    bool skipsWhitespaceAfter = false;
};

void PrintTo(const RenderCase &c, std::ostream *out)
{
    *out << c.name;
}

class AttributedStringInlineRendererTest : public ::testing::TestWithParam<RenderCase>
{
};

// The nodes go through one renderer in order, so the white-space flag carries from one
// node to the next as it does between a node's children.
TEST_P(AttributedStringInlineRendererTest, rendersRunsAndAttributes)
{
    const RenderCase &c = GetParam();
    const std::optional<QUrl> baseURL
        = c.baseURL ? std::optional<QUrl>(QUrl(QString::fromUtf8(*c.baseURL))) : std::nullopt;
    AttributedStringInlineRenderer renderer({}, baseURL, styles(), c.mode, base());
    for (const InlineNode &node : c.nodes)
        renderer.renderInlineToAttributedString(node);
    EXPECT_EQ(dump(renderer.result()), QString::fromUtf8(c.runs));
    EXPECT_EQ(renderer.shouldSkipNextWhitespace(), c.skipsWhitespaceAfter);
    EXPECT_EQ(renderer.attributes(), base()) << "every group restores the attributes it changed";
}

INSTANTIATE_TEST_SUITE_P(Nodes, AttributedStringInlineRendererTest,
    ::testing::Values(
        RenderCase { "onlyTheEmphasisedPieceCarriesTheStyle",
            { text(u"a"), Node::emphasis({ text(u"b") }), text(u"c") }, R"("a" "b"{italic} "c")" },
        RenderCase { "eachStyleAsWritten",
            { Node::code(u"c"_s), Node::strong({ text(u"s") }), Node::strikethrough({ text(u"d") }) },
            R"("c"{mono} "s"{semibold} "d"{strike})" },
        RenderCase { "emphasisInStrongInLinkStacks",
            { Node::link(
                  u"https://x.org/"_s, { Node::strong({ Node::emphasis({ text(u"e") }), text(u"s") }) }),
                text(u"t") },
            R"("e"{italic,semibold,link=https://x.org/} "s"{semibold,link=https://x.org/} "t")" },
        RenderCase {
            "codeInEmphasisTakesBoth", { Node::emphasis({ Node::code(u"c"_s) }) }, R"("c"{italic,mono})" },
        RenderCase { "breakTagStripsTheNextTextsLeadingSpaces", { br, text(u"   word") }, R"("\n" "word")" },
        RenderCase { "textOfWhiteSpaceOnlyVanishesAfterABreakTag", { br, text(u" \n\t"), text(u" x") },
            R"("\n" " x")" },
        RenderCase {
            "softBreakAsSpaceUsesUpTheFlag", { br, Node::softBreak(), text(u" x") }, R"("\n" " x")" },
        RenderCase { "softBreakAsLineBreakKeepsTheFlag", { br, Node::softBreak(), text(u"  x") },
            R"("\n" "\n" "x")", SoftBreak::Mode::LineBreak },
        RenderCase { "codeKeepsItsSpaceAndTheFlag", { br, Node::code(u" c"_s) }, R"("\n" " c"{mono})",
            SoftBreak::Mode::Space, std::nullopt, true },
        RenderCase { "breakTagInAGroupReachesTextAfterIt", { Node::emphasis({ br }), text(u" x") },
            R"("\n"{italic} "x")" },
        RenderCase { "breakTagSpellings",
            { html(u"<BR>"), html(u"<br/>"), html(u"</br>"), html(u"<br class=\"x\">") },
            R"("\n" "\n" "\n" "\n")", SoftBreak::Mode::Space, std::nullopt, true },
        RenderCase { "otherTagsAreLiteralText", { Node::emphasis({ html(u"<span>") }), html(u"<b") },
            R"("<span>"{italic} "<b")" },
        RenderCase { "literalTagAfterABreakTagLosesItsSpace", { br, html(u" <span>") }, R"("\n" "<span>")" },
        RenderCase { "softBreakInEmphasisIsAStyledSpace",
            { Node::emphasis({ text(u"a"), Node::softBreak(), text(u"b") }) },
            R"("a"{italic} " "{italic} "b"{italic})" },
        RenderCase { "hardBreak", { text(u"a"), Node::lineBreak(), text(u" b") }, R"("a" "\n" " b")" },
        RenderCase { "imagesAndTheirTextProduceNothing",
            { Node::image(u"i.png"_s, { text(u"alt") }),
                Node::link(u"https://x.org/"_s, { Node::image(u"i.png"_s, { text(u"alt") }), text(u"t") }) },
            R"("t"{link=https://x.org/})" },
        RenderCase { "relativeLinkResolvedAgainstTheBase", { Node::link(u"b/c.md"_s, { text(u"l") }) },
            R"("l"{link=https://x.org/a/b/c.md})", SoftBreak::Mode::Space, "https://x.org/a/index.md" },
        RenderCase { "relativeLinkWithoutBaseStaysAsWritten", { Node::link(u"b/c.md"_s, { text(u"l") }) },
            R"("l"{link=b/c.md})" },
        RenderCase { "linkWithASpaceStillLinks", { Node::link(u"my note.md"_s, { text(u"l") }) },
            R"("l"{link=https://x.org/a/my%20note.md})", SoftBreak::Mode::Space, "https://x.org/a/" },
        RenderCase { "absoluteLinkIgnoresTheBase", { Node::link(u"https://y.org/z"_s, { text(u"l") }) },
            R"("l"{link=https://y.org/z})", SoftBreak::Mode::Space, "https://x.org/a/" },
        RenderCase { "innerLinkWinsThenOuterComesBack",
            { Node::link(u"https://out.org/"_s,
                { text(u"a"), Node::link(u"https://in.org/"_s, { text(u"b") }), text(u"c") }) },
            R"("a"{link=https://out.org/} "b"{link=https://in.org/} "c"{link=https://out.org/})" },
        RenderCase { "emptyDestinationRemovesEvenTheOuterLink",
            { Node::link(u"https://out.org/"_s, { Node::link(QString(), { text(u"b") }), text(u"c") }) },
            R"("b" "c"{link=https://out.org/})" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AttributedStringInlineRenderer, leadingWhiteSpaceIsUnicodes)
{
    EXPECT_EQ(AttributedStringInlineRenderer::withoutLeadingWhitespace(u"\u00a0\u2003\u3000\r\n x y "_s),
        u"x y "_s);
    EXPECT_EQ(AttributedStringInlineRenderer::withoutLeadingWhitespace(u"x"_s), u"x"_s);
    EXPECT_EQ(AttributedStringInlineRenderer::withoutLeadingWhitespace(u"  "_s), QString());
}

} // namespace
