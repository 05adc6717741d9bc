#include "markdown/model/inlinecontent.h"
#include "markdown/model/markdownurl.h"

#include "tests/markdown/model/modeldump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace Qt::StringLiterals;

const QUrl example(u"https://example.org/a/b.png"_s);

struct BuildCase
{
    const char *name;
    InlineContent built;
    const char *dump;
};

void PrintTo(const BuildCase &c, std::ostream *out)
{
    *out << c.name;
}

class InlineContentBuilderTest : public ::testing::TestWithParam<BuildCase>
{
};

TEST_P(InlineContentBuilderTest, joinsInWrittenOrder)
{
    EXPECT_EQ(dump(GetParam().built.inlines), QString::fromUtf8(GetParam().dump));
}

std::optional<Code> absentCode;

INSTANTIATE_TEST_SUITE_P(Builds, InlineContentBuilderTest,
    ::testing::Values(BuildCase { "markupInAStringStaysLiteral",
                          InlineContentBuilder::buildBlock(u"*not emphasis*"_s), R"(text"*not emphasis*")" },
        BuildCase { "twoStringsStayTwoTexts", InlineContentBuilder::buildBlock(u"a"_s, u"b"_s),
            R"(text"a" text"b")" },
        BuildCase { "everyElementMakesItsNode",
            InlineContentBuilder::buildBlock(Code(u"x"_s), Emphasis(u"e"_s), Strong(u"**s**"_s),
                Strikethrough(u"d"_s), LineBreak(), SoftBreak()),
            R"(code"x" em[text"e"] strong[text"**s**"] del[text"d"] br soft)" },
        BuildCase { "closuresNest", InlineContentBuilder::buildBlock(Strong([] {
                       return InlineContentBuilder::buildBlock(
                           u"a "_s, Emphasis([] { return InlineContentBuilder::buildBlock(Code(u"c"_s)); }));
                   })),
            R"(strong[text"a " em[code"c"]])" },
        BuildCase { "imageWithoutLabelHasNoChildren", InlineImage(example).inlineContent(),
            R"(image("https://example.org/a/b.png")[])" },
        BuildCase { "imageLabelIsOneText", InlineImage(u"alt"_s, example).inlineContent(),
            R"(image("https://example.org/a/b.png")[text"alt"])" },
        BuildCase { "linkTitleIsOneText", InlineLink(u"go"_s, example).inlineContent(),
            R"(link("https://example.org/a/b.png")[text"go"])" },
        BuildCase { "linkFromAURLMadeRelativeStoresItResolved",
            InlineLink(*markdownURL(u"../c d.md"_s, example),
                [] { return InlineContentBuilder::buildBlock(u"x"_s); })
                .inlineContent(),
            R"(link("https://example.org/c%20d.md")[text"x"])" },
        BuildCase { "absentOptionalAddsNothing", InlineContentBuilder::buildOptional(absentCode), "" },
        BuildCase { "loopInOrder",
            InlineContentBuilder::buildArray(std::vector<Code> { Code(u"1"_s), Code(u"2"_s) }),
            R"(code"1" code"2")" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
