#include "markdown/model/parseguard.h"

#include "markdown/model/markdownparser.h"

#include "tests/markdown/model/modeldump.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

QByteArray repeated(const QByteArray &unit, int times)
{
    return unit.repeated(times);
}

// A table of `columns` columns whose header and delimiter stand after `prefix`
// (rows after `rowPrefix`), with `rows` rows of `row` each.
QByteArray table(int columns, int rows, const QByteArray &row, const QByteArray &prefix = {},
    const QByteArray &rowPrefix = {})
{
    return prefix + repeated("| h ", columns) + "|\n" + rowPrefix + repeated("|---", columns) + "|\n"
        + repeated(rowPrefix + row + "\n", rows);
}

struct UnchangedCase
{
    const char *name;
    std::function<QByteArray()> text;
};

class ParseGuardUnchanged : public ::testing::TestWithParam<UnchangedCase>
{
};

// Notes that are not pathological reach the parser exactly as written.
TEST_P(ParseGuardUnchanged, leavesTheTextAlone)
{
    const QByteArray text = GetParam().text();
    const std::optional<QByteArray> defused = ParseGuard::defused(text);
    EXPECT_FALSE(defused) << defused->left(400).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ordinary, ParseGuardUnchanged,
    ::testing::Values(UnchangedCase { "emptyText", [] { return QByteArray(); } },
        UnchangedCase { "prose",
            [] {
                return repeated("A paragraph with *emphasis*, **strong**, `code` and a [link](u).\n"
                                "It goes on over a second line.\n\n",
                    2000);
            } },
        UnchangedCase {
            "bigTableWithRichCells", [] { return table(4, 5000, "| *a* | [b](u) | `c` | ~~d~~ |"); } },
        UnchangedCase { "raggedTableWithinWhatItsTextHolds", [] { return table(3, 5000, "| 1 |"); } },
        UnchangedCase { "sparseSmallTable", [] { return table(20, 40, "| x |"); } },
        UnchangedCase { "longTightListOfLinks",
            [] { return repeated("- **Name** and *more* — [a link](https://example.org)\n", 20000); } },
        UnchangedCase { "deepQuoteAtTheCap", [] { return QByteArray(64, '>') + " text\n"; } },
        UnchangedCase { "deepListAtTheCap", [] { return repeated("- ", 64) + "leaf\n"; } },
        UnchangedCase {
            "paddedTableInsideAFence", [] { return "```\n" + table(200, 200, "| x |") + "```\n"; } },
        UnchangedCase { "deepQuotesInsideAFence", [] { return "~~~\n" + QByteArray(500, '>') + "\n~~~\n"; } },
        UnchangedCase {
            "denseParagraphInsideAFence", [] { return "```\n" + repeated("*b* [d](u)\n", 5000) + "```\n"; } },
        UnchangedCase { "aWideButShortTable", [] { return table(300, 3, "| 1 | 2 |"); } },
        UnchangedCase { "pipesWithoutADelimiterRow", [] { return repeated("|a", 100000) + "\n"; } },
        // One node in every 5 bytes, far more than any real paragraph holds, is still fine.
        UnchangedCase { "aLongParagraphOfLinks", [] { return repeated("[a](u) ", 20000) + "\n"; } },
        UnchangedCase {
            "addressesBetweenWords", [] { return repeated("mail a@b.com or x.y@z.org ", 5000) + "\n"; } },
        UnchangedCase { "atSignsWithoutALocalPart", [] { return QByteArray(100000, '@') + "\n"; } },
        UnchangedCase { "longRunsOfOneDelimiter",
            [] { return QByteArray(60000, '*') + "x" + QByteArray(60000, '_') + repeated(" `a`", 500); } }),
    [](const auto &info) { return std::string(info.param.name); });

struct RewriteCase
{
    const char *name;
    std::function<QByteArray()> text;
    std::function<QByteArray()> expected;
};

class ParseGuardRewrite : public ::testing::TestWithParam<RewriteCase>
{
};

TEST_P(ParseGuardRewrite, rewritesThePathologicalPartOnly)
{
    const std::optional<QByteArray> defused = ParseGuard::defused(GetParam().text());
    ASSERT_TRUE(defused);
    EXPECT_EQ(*defused, GetParam().expected());
}

INSTANTIATE_TEST_SUITE_P(Pathological, ParseGuardRewrite,
    ::testing::Values(
        RewriteCase { "deepQuotesKeepTheFirst64", [] { return "intro\n" + QByteArray(100, '>') + " deep\n"; },
            [] { return "intro\n" + QByteArray(64, '>') + "deep\n"; } },
        RewriteCase { "spacedQuotesAndListsKeepTheFirst64",
            [] { return repeated("> - ", 50) + "leaf\nnext\n"; },
            [] { return repeated("> - ", 32) + "leaf\nnext\n"; } },
        RewriteCase { "aTableTooWideToSplitReadsAsText",
            [] { return "text\n\n" + table(6000, 2, "| 1 | 2 |") + "\nafter\n"; },
            [] {
                return "text\n\n" + repeated("| h ", 6000) + "|\n|\\" + QByteArray("---")
                    + repeated("|---", 5999) + "|\n" + repeated("| 1 | 2 |\n", 2) + "\nafter\n";
            } },
        RewriteCase { "aRowTooWideToSplitMakesTheTableText",
            [] { return table(2, 1, repeated("| x ", 9000)); },
            [] { return "| h | h |\n|\\---|---|\n" + repeated("| x ", 9000) + "\n"; } },
        RewriteCase { "rowsPaddedFarBeyondTheirTextMakeTheTableText",
            [] { return table(100, 100, "| x |", "- ", "  "); },
            [] {
                return "- " + repeated("| h ", 100) + "|\n  |\\---" + repeated("|---", 99) + "|\n"
                    + repeated("  | x |\n", 100);
            } },
        RewriteCase { "rowsWithoutPipesArePaddedToo", [] { return table(100, 100, "x", "> ", "> "); },
            [] {
                return "> " + repeated("| h ", 100) + "|\n> |\\---" + repeated("|---", 99) + "|\n"
                    + repeated("> x\n", 100);
            } },
        RewriteCase { "aDenseParagraphIsCutAtLineEnds", [] { return repeated("*b* [d](u)\n", 400); },
            [] {
                // 2 delimiters and 1 bracket per 11-byte line: dense beyond 176 lines.
                return repeated("*b* [d](u)\n", 177) + "\n" + repeated("*b* [d](u)\n", 177) + "\n"
                    + repeated("*b* [d](u)\n", 46);
            } },
        RewriteCase { "aDenseQuoteIsCutInsideTheQuote", [] { return repeated("> *b* [d](u)\n", 400); },
            [] {
                // 13-byte lines: dense beyond 208 of them.
                return repeated("> *b* [d](u)\n", 209) + ">\n" + repeated("> *b* [d](u)\n", 191);
            } },
        RewriteCase { "aDenseParagraphOfDeepQuotesIsCutAndCapped",
            [] { return repeated(QByteArray(70, '>') + " *b* [d](u)\n", 1400); },
            [] {
                // 82-byte lines: dense beyond 1312 of them.
                const QByteArray line = QByteArray(64, '>') + "*b* [d](u)\n";
                return repeated(line, 1313) + QByteArray(64, '>') + "\n" + repeated(line, 87);
            } },
        RewriteCase { "aDenseLongLineIsCutAtSpaces", [] { return repeated("*b* [d](u) ", 1000) + "end"; },
            [] {
                // Dense at the space after the 176th link.
                const QByteArray chunk = repeated("*b* [d](u) ", 176).chopped(1) + "\n\n";
                return chunk.repeated(5) + repeated("*b* [d](u) ", 120) + "end";
            } },
        RewriteCase { "aCrowdedParagraphIsCutBeforeAnEscapedBracket",
            [] { return QByteArray(10000, '[') + "a"; },
            [] {
                const QByteArray chunk = QByteArray(4096, '[') + "\n\n\\";
                return chunk + chunk + QByteArray(1808, '[') + "a";
            } },
        RewriteCase { "aCrowdedQuoteIsCutInsideTheQuote", [] { return "> " + QByteArray(5000, '<') + "\n"; },
            [] { return "> " + QByteArray(4096, '<') + "\n>\n> \\" + QByteArray(904, '<') + "\n"; } },
        RewriteCase { "aRunOfAddressesIsCutBeforeAnAt", [] { return repeated("a@", 300); },
            [] {
                // Scans from 129 "@"s pass 64 times the run's length.
                return repeated(repeated("a@", 129) + "\n\n", 2) + repeated("a@", 42);
            } },
        RewriteCase { "escapedAndReferencedAtSignsCountToo",
            [] { return "> " + repeated("a\\@", 150) + repeated("a&#64;", 150) + "\n"; },
            [] {
                return "> " + repeated("a\\@", 129) + "\n>\n> " + repeated("a\\@", 21)
                    + repeated("a&#64;", 108) + "\n>\n> " + repeated("a&#64;", 42) + "\n";
            } },
        RewriteCase { "closersThatCloseNothingAreCrowdedToo",
            [] { return QByteArray(1000, '[') + "a" + repeated("](u)", 5000); },
            [] {
                // The first 1,000 closers close links; each of the others begins two nodes.
                return QByteArray(1000, '[') + "a" + repeated("](u)", 2548) + "\n\n\\"
                    + repeated("](u)", 2048) + "\n\n\\" + repeated("](u)", 404);
            } }),
    [](const auto &info) { return std::string(info.param.name); });

QString parsed(const QByteArray &markdown)
{
    return dump(MarkdownParser::parseMarkdownBlocks(QByteArrayView(markdown)).value_or(QList<BlockNode>()));
}

// What the rewrites mean for the document: flattening that the model does anyway,
// and tables that become their own text.
TEST(ParseGuard, theParsedDocumentKeepsEveryWord)
{
    EXPECT_EQ(parsed(QByteArray(200, '>') + " deep"), parsed(QByteArray(64, '>') + " deep"));

    const QString wide = parsed(table(6000, 1, "| 1 |"));
    EXPECT_TRUE(wide.startsWith(u"para[text\"| h | h"_s)) << wide.left(200).toStdString();
    EXPECT_TRUE(wide.contains(u"|---|---|"_s)) << "the escape leaves the dashes as written";

    const QString padded = parsed(table(100, 100, "x", "- ", "  "));
    EXPECT_TRUE(padded.startsWith(u"bullets(tight)[item[para[text\"| h"_s)) << padded.left(200).toStdString();
    EXPECT_FALSE(padded.contains(u"table("_s));
}

// A crowded paragraph, or a run of addresses, cut into paragraphs reads as every
// character it held.
TEST(ParseGuard, aCrowdedParagraphKeepsEveryCharacter)
{
    for (const QByteArray &text :
        { QByteArray(10000, '[') + "a", "a" + repeated("](u)", 5000), repeated("a@", 2000) }) {
        const QList<BlockNode> blocks
            = MarkdownParser::parseMarkdownBlocks(QByteArrayView(text)).value_or(QList<BlockNode>());
        ASSERT_GT(blocks.size(), 1);
        QString read;
        for (const BlockNode &block : blocks) {
            ASSERT_TRUE(block.as<BlockNode::Paragraph>());
            for (const InlineNode &node : block.as<BlockNode::Paragraph>()->content) {
                ASSERT_TRUE(node.as<InlineNode::Text>());
                read += node.as<InlineNode::Text>()->literal;
            }
        }
        EXPECT_EQ(read, QString::fromUtf8(text));
    }
}

} // namespace
