#include "markdown/model/markdownparser.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/model/markdownparser_p.h"

#include "tests/markdown/model/modeldump.h"
#include "tests/support/logcapture.h"
#include <cmark-gfm-extension_api.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <thread>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

QString parsed(const QString &markdown)
{
    const std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(markdown);
    return blocks ? dump(*blocks) : u"<no document>"_s;
}

struct ParseCase
{
    const char *name;
    const char *markdown;
    const char *expected;
};

class MarkdownParserCase : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(MarkdownParserCase, givesTheModelTree)
{
    EXPECT_EQ(parsed(QString::fromUtf8(GetParam().markdown)), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Markdown, MarkdownParserCase,
    ::testing::Values(ParseCase { "emptyText", "", "" },
        ParseCase { "onlySecondItemHasABox", "- a\n- [x] b\n",
            "tasks(tight)[todo[para[text\"a\"]] done[para[text\"b\"]]]" },
        ParseCase { "numberedTaskListLosesItsNumber", "3. [ ] a\n4. [x] b\n",
            "tasks(tight)[todo[para[text\"a\"]] done[para[text\"b\"]]]" },
        ParseCase { "numberedListKeepsItsStart", "3. a\n4. b\n",
            "numbers(tight,start=3)[item[para[text\"a\"]] item[para[text\"b\"]]]" },
        ParseCase { "blankLinesMakeALooseList", "- a\n\n- b\n",
            "bullets(loose)[item[para[text\"a\"]] item[para[text\"b\"]]]" },
        ParseCase { "indentedCodeHasEmptyInfo", "    let x\n", "codeblock(\"\")\"let x\\n\"" },
        ParseCase { "fenceKeepsTheWholeInfoString", "```swift title=\"a\"\nlet\n```\n",
            "codeblock(\"swift title=\\\"a\\\"\")\"let\\n\"" },
        ParseCase { "linkTitleIsDroppedAndAltTextIsChildren", "[a](u \"title\") ![alt *x*](i.png)",
            "para[link(\"u\")[text\"a\"] text\" \" image(\"i.png\")[text\"alt \" em[text\"x\"]]]" },
        ParseCase { "bareAddressBecomesALink", "see https://example.com now",
            "para[text\"see \" link(\"https://example.com\")[text\"https://example.com\"] text\" now\"]" },
        ParseCase { "tableAlignmentsAndHeaderFirst",
            "| a | b | c | d |\n|:--|:-:|--:|---|\n| 1 | 2 | 3 | 4 |\n",
            "table(lcr-)[row[cell[text\"a\"] cell[text\"b\"] cell[text\"c\"] cell[text\"d\"]] "
            "row[cell[text\"1\"] cell[text\"2\"] cell[text\"3\"] cell[text\"4\"]]]" },
        ParseCase { "unevenTableRows", "| a | b |\n|---|---|\n| x |\n| 1 | 2 | 3 |\n",
            "table(--)[row[cell[text\"a\"] cell[text\"b\"]] row[cell[text\"x\"] cell[]] "
            "row[cell[text\"1\"] cell[text\"2\"]]]" },
        ParseCase { "hardAndSoftBreaks", "a  \nb\\\nc\nd",
            "para[text\"a\" br text\"b\" br text\"c\" soft text\"d\"]" },
        ParseCase { "oneOrTwoTildesStrikeThreeDoNot", "~a~ ~~b~~ x~~~c~~~",
            "para[del[text\"a\"] text\" \" del[text\"b\"] text\" x~~~c~~~\"]" },
        ParseCase { "footnoteReferenceStaysText", "x[^1] y", "para[text\"x[^1] y\"]" },
        ParseCase { "rawHtmlStaysInTheTree", "<div>\nhi\n</div>\n\na <b>c</b>",
            "htmlblock\"<div>\\nhi\\n</div>\\n\" para[text\"a \" html\"<b>\" text\"c\" html\"</b>\"]" },
        ParseCase { "headingsAndRules", "## T *i*\n\n---\n> q\n",
            "h2[text\"T \" em[text\"i\"]] hr quote[para[text\"q\"]]" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MarkdownParser, nulBytesBecomeReplacementCharactersAndTheRestIsKept)
{
    const QString text = u"a"_s + QChar(u'\0') + u"b **c**"_s;
    EXPECT_EQ(parsed(text), u"para[text\"a\uFFFDb \" strong[text\"c\"]]"_s);
}

TEST(MarkdownParser, invalidUtf8BecomesReplacementCharacters)
{
    const QByteArray bytes("a\xff\xfe *b* \xc3", 10);
    const std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(QByteArrayView(bytes));
    ASSERT_TRUE(blocks);
    const QString tree = dump(*blocks);
    EXPECT_TRUE(tree.startsWith(u"para[text\"a"_s)) << tree.toStdString();
    EXPECT_TRUE(tree.contains(u"em[text\"b\"]"_s)) << tree.toStdString();
    EXPECT_TRUE(tree.contains(QChar(QChar::ReplacementCharacter))) << tree.toStdString();
}

// Counts quote levels without recursion, so the check itself survives a flat tree.
int quoteDepth(const QList<BlockNode> &blocks)
{
    int depth = 0;
    const QList<BlockNode> *level = &blocks;
    while (level->size() == 1 && level->first().kind() == BlockNode::Kind::Blockquote) {
        ++depth;
        level = &level->first().as<BlockNode::Blockquote>()->children;
    }
    return depth;
}

TEST(MarkdownParser, deepQuotesAreCappedWithoutLosingText)
{
    const QString markdown = QString(100000, u'>') + u" deep text"_s;
    const std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(markdown);
    ASSERT_TRUE(blocks);
    EXPECT_EQ(quoteDepth(*blocks), MarkdownParser::maxNestingDepth);
    EXPECT_TRUE(MarkdownContent(*blocks).renderPlainText().contains(u"deep text"_s));
}

TEST(MarkdownParser, deepListsAreCappedWithoutLosingText)
{
    for (const QString &marker : { u"- "_s, u"1. "_s, u"- [ ] "_s }) {
        const QString markdown = marker.repeated(100000) + u"leaf"_s;
        const std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(markdown);
        ASSERT_TRUE(blocks);
        int depth = 0;
        QList<BlockNode> level = *blocks;
        while (level.size() == 1 && !level.first().blockChildren().isEmpty()) {
            ++depth;
            level = level.first().blockChildren();
        }
        EXPECT_LE(depth, MarkdownParser::maxNestingDepth) << marker.toStdString();
        EXPECT_TRUE(dump(level).contains(u"leaf\"]"_s)) << marker.toStdString();
    }
}

TEST(MarkdownParser, deepInlinesAreCappedWithoutLosingText)
{
    const QString markdown = u"*"_s.repeated(60000) + u"x"_s + u"*"_s.repeated(60000) + u" "_s
        + u"[!["_s.repeated(20000) + u"alt"_s + u"](i)"_s.repeated(20000);
    const std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(markdown);
    ASSERT_EQ(blocks->size(), 1);
    int deepest = 0;
    std::vector<std::pair<const InlineNode *, int>> pending;
    for (const InlineNode &node : blocks->first().as<BlockNode::Paragraph>()->content)
        pending.push_back({ &node, 1 });
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const InlineNode &child : node->children())
            pending.push_back({ &child, depth + 1 });
    }
    EXPECT_LE(deepest, MarkdownParser::maxNestingDepth + 1);
    const QString text = MarkdownContent(*blocks).renderPlainText();
    EXPECT_TRUE(text.contains(u"x"_s));
    EXPECT_TRUE(text.contains(u"alt"_s));
}

TEST(MarkdownParser, largeInputsParseWhole)
{
    // A 10 MB document of mixed blocks, and a 5,000-row table with ragged rows.
    const QString section
        = u"# Title\n\nSome *text* with `code` and a [link](https://x.org).\n\n- a\n- b\n\n"_s;
    const QString large = section.repeated(10 * 1024 * 1024 / section.size());
    const std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(large);
    ASSERT_TRUE(blocks);
    EXPECT_EQ(blocks->size(), 3 * (large.size() / section.size()));

    QString table = u"| a | b | c |\n|---|:-:|--:|\n"_s;
    for (int row = 0; row < 5000; ++row)
        table += row % 2 ? u"| 1 |\n"_s : u"| 1 | 2 | 3 | 4 |\n"_s;
    const std::optional<QList<BlockNode>> tableBlocks = MarkdownParser::parseMarkdownBlocks(table);
    ASSERT_EQ(tableBlocks->size(), 1);
    const auto *parsedTable = tableBlocks->first().as<BlockNode::Table>();
    ASSERT_TRUE(parsedTable);
    EXPECT_EQ(parsedTable->rows.size(), 5001);
    for (const RawTableRow &row : parsedTable->rows)
        EXPECT_EQ(row.cells.size(), 3);
}

// A text parsed in pieces of each size gives exactly the blocks it gives in one go.
void expectPiecesGiveTheWhole(const QByteArray &text, std::initializer_list<qsizetype> pieceSizes)
{
    const std::optional<QList<BlockNode>> whole
        = MarkdownParser::parseMarkdownBlocksInPieces(text, text.size());
    ASSERT_TRUE(whole);
    for (const qsizetype pieceSize : pieceSizes) {
        const std::optional<QList<BlockNode>> pieces
            = MarkdownParser::parseMarkdownBlocksInPieces(text, pieceSize);
        ASSERT_TRUE(pieces);
        EXPECT_EQ(dump(*pieces), dump(*whole)) << "pieces of " << pieceSize;
    }
}

// Blocks as notes hold them, several of them hard to cut apart: blank lines inside
// fences, comments and lists, definitions before and after their use, tables right
// after text, lazy lines and other line ends.
const char *const noteBlocks[] = {
    "# Title\n\nSome *text* with `code`, a [link](https://x.org) and [a reference][r].\n",
    "- one\n- two\n\n- three, loose now\n\n  still three\n",
    "1. first\n2. second\n\n   more of second\n\n10. tenth\n",
    "```python\ndef f():\n\nreturn [r]\n\n[r]: /in-code\n```\n",
    "~~~\nfence [r]: /x\n\nat the margin\n~~~~\n",
    "    indented code\n\n    more code\n\nafter code\n",
    "<!-- a comment\n\nat the margin\n\n-->\nafter the comment\n",
    "<div>\n*raw*\n</div>\n\n<script>\nvar x;\n\nvar y;\n</script>\n",
    "> quoted [r] and [s]\n>\n> more\n\n> another quote\nlazy line\n",
    "| a | b |\n|---|:-:|\n| 1 | [s] |\n\ntext\n| c |\n|---|\n| 2 |\n",
    "Heading\n=======\n\nSub\n---\n",
    "[r]: https://example.org/r \"Title\"\n[s]: /s\n",
    "- item with a definition\n\n  [t]: /t\n\nuses [t] and [u]\n",
    "[r]: /redefined-later-loses\n\n[u]:\n  /u-on-the-next-line\n",
    "- [ ] open task\n- [x] done task\n",
    "***\n\nText with\r\ncarriage returns\r\n\r\nand more\r\n",
    "old\rline ends\r\rhere\r",
    "\xEF\xBB\xBF# after a byte order mark\n",
    "\ttab at the margin\n\n* star list\n\n+ plus list\n",
    "<div>\n\nnot raw\n\n</div>\n",
    "para\n    lazy indented\n\n  two spaces in\n",
};

// A note of `count` blocks picked from the table by a fixed sequence.
QByteArray note(unsigned seed, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += noteBlocks[(seed >> 16) % std::size(noteBlocks)];
        if ((seed >> 8) % 3 == 0)
            text += "\n";
    }
    return text;
}

// Lines that define or use references, or end or continue what stands before them, put
// together in any order: a line that is a definition on its own may be none with the
// lines after it (a table's header and delimiter row make it a paragraph's line).
const char *const noteLines[] = { "\n", "\n", "\n", "\n", "uses [x], [^1] and [y][x]\n", "[x]: /dest\n",
    "[^1]: note\n", "[y]: /why \"title\"\n", "[z]:\n", "  /on-the-next-line\n",
    "\"a title on its own line\"\n", "| a | b |\n|---|---|\n", "| 1 | [x] |\n", "- item [^1]\n",
    "  more of the item\n", "1. first\n", "> quoted [z]\n", "> [z]: /in-a-quote\n",
    "    indented [x]: /code\n", "# heading [y]\n", "===\n", "---\n", "```\n", "<div>\n", "</div>\n",
    "- [ ] task [x]\n", "plain words\n", "*[x]*\n", "  [^2]: indented\n", "[^2]\n",
    "[x]: /dest\n| a | b |\n|---|---|\n", "[^1]: note\n| a |\n| - |\n" };

QByteArray noteOfLines(unsigned seed, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += noteLines[(seed >> 16) % std::size(noteLines)];
    }
    return text;
}

class MarkdownParserPieces : public ::testing::TestWithParam<unsigned>
{
};

// A long note parsed in pieces gives exactly the blocks it gives in one go, wherever the
// pieces fall: a piece ends only where the library begins a top-level block of its own.
TEST_P(MarkdownParserPieces, giveTheSameBlocksAsOneParse)
{
    const QByteArray withDefinitions = note(GetParam(), 60);
    // Without definitions the pieces are parsed in one pass.
    const QByteArray withoutDefinitions = QByteArray(withDefinitions).replace("]:", "];");
    for (const QByteArray &text : { withDefinitions, withoutDefinitions })
        expectPiecesGiveTheWhole(text, { 1, 40, 100, 333, 1000 });
    expectPiecesGiveTheWhole(noteOfLines(GetParam(), 120), { 1, 16, 40, 100 });
}

INSTANTIATE_TEST_SUITE_P(Notes, MarkdownParserPieces, ::testing::Range(1u, 101u));

// Texts that once parsed otherwise in some pieces: a line that reads as a definition
// where a piece was cut off after it, but that the table after it makes a paragraph's
// line; a byte order mark that is text (a second one, or one after a space in a long
// paragraph, where the paragraph may be cut); a first one, which the library skips but
// which keeps a task list's checkbox from being found on that line; and a long
// paragraph with bytes that are not UTF-8, where the library finds no table's header.
TEST(MarkdownParser, textsOnceSplitWrongParseInPiecesAsInOneGo)
{
    const struct
    {
        const char *name;
        QByteArray text;
    } cases[] = {
        { "linkDefinitionBeforeATable",
            "uses [x] here\n\nfiller one\n\nfiller two\n\n[x]: /dest\n| a | b |\n|---|---|\n| 1 | 2 |\n" },
        { "footnoteBeforeATable",
            "uses [^1] here\n\nfiller one\n\nfiller two\n\n[^1]: note\n| a |\n| - |\n" },
        { "twoByteOrderMarks",
            "\xEF\xBB\xBF\xEF\xBB\xBF\n\xFF\n\xFF\xFF\xFF:\xFF\xFF\xFF\xFF"
            "a" },
        { "aWordBeginningWithAByteOrderMark",
            "one two three four five six seven \xEF\xBB\xBF"
            "eight nine\n" },
        { "aTableBelowBytesThatAreNotUtf8",
            "f\x97\x94ler one two three four five\nllt\n| a | b |\n|---|---|\nre\n" },
        { "aTaskAfterAByteOrderMark",
            "\xEF\xBB\xBF- [ ] task\n\n[x]: /dest\n\nuses [x] and more words\n\nend\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        for (qsizetype pieceSize = 1; pieceSize < c.text.size() / 2; ++pieceSize)
            expectPiecesGiveTheWhole(c.text, { pieceSize });
    }
}

// Words and marks of long paragraphs, and lines that end them or make them something
// else: a long paragraph may be cut within a line where nothing before the cut is left
// open, and joined again.
const char *const paragraphPieces[] = { "lorem", "*ipsum*", "**dolor** sit", "[a link](u)", "`code span`",
    "~~struck~~", "www.example.com", "<b>raw</b>", "snake_case", "\xC3\xBCml\xC3\xA4ut", "\\*", "&amp;",
    "hard  \nbreak", "\n", "\n", "\n| a | b |\n|---|---|\n| 1 | 2 |\n", "\nUnder\n===\n", "\nover\n---\n",
    "\n- item\n", "\n    indented", "![image](i.png)", "[unclosed", "closer]", "*open", "http://x.org/a",
    "\t", "  ", "two\tspaces", "\n> quote\n", "<http://auto.link>", "a\\\nb" };

QByteArray longParagraphs(unsigned seed, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Mostly words: a few marks in a long run of plain text.
        const unsigned pick = (seed >> 16) % (3 * std::size(paragraphPieces));
        text += pick < std::size(paragraphPieces) ? paragraphPieces[pick] : (seed >> 8) % 2 ? "word" : "more";
        text += (seed >> 4) % 7 == 0 ? "\n" : " ";
    }
    return text;
}

class MarkdownParserLongParagraphs : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(MarkdownParserLongParagraphs, giveTheSameBlocksInPieces)
{
    expectPiecesGiveTheWhole(longParagraphs(GetParam(), 300), { 1, 16, 64, 256 });
}

INSTANTIATE_TEST_SUITE_P(Notes, MarkdownParserLongParagraphs, ::testing::Range(1u, 101u));

// In pieces of the size the program cuts notes into: a long note of every kind of block,
// with and without definitions, and one paragraph of 270 KB.
TEST(MarkdownParser, longNotesParseAsInOneGo)
{
    const QByteArray blocks = note(7, 4000);
    const QByteArray paragraph
        = QByteArray("Lorem *ipsum* dolor [sit](u) amet, `code` and www.example.org too.\n").repeated(4000);
    for (const QByteArray &text : { blocks, QByteArray(blocks).replace("]:", "];"), paragraph }) {
        ASSERT_GT(text.size(), 4 * MarkdownParser::pieceSize);
        expectPiecesGiveTheWhole(text, { MarkdownParser::pieceSize });
    }
}

// A long note repeats its words and links, and equal ones may be stored once: a repeat
// is one only code unit for code unit, so two spellings of one text (precomposed or with
// a combining mark) stay as written.
TEST(MarkdownParser, repeatsInALongNoteKeepTheirSpelling)
{
    const QByteArray composed = "caf\xC3\xA9";
    const QByteArray decomposed = "cafe\xCC\x81";
    QByteArray text;
    for (int i = 0; text.size() < 5 * MarkdownParser::pieceSize; ++i) {
        const QByteArray &word = i % 2 ? composed : decomposed;
        text += "*" + word + "* [" + word + "](" + word + ") [](<>) [x]() `" + word + "` " + word + "\n";
        if (i % 7 == 0)
            text += "\n";
    }
    const std::optional<QList<BlockNode>> whole
        = MarkdownParser::parseMarkdownBlocksInPieces(text, text.size());
    const std::optional<QList<BlockNode>> pieces
        = MarkdownParser::parseMarkdownBlocksInPieces(text, MarkdownParser::pieceSize);
    ASSERT_TRUE(whole && pieces);
    EXPECT_EQ(dump(*pieces), dump(*whole));
    const QString dumped = dump(*pieces);
    EXPECT_TRUE(dumped.contains(QString::fromUtf8("em[text\"" + composed + "\"]")));
    EXPECT_TRUE(dumped.contains(QString::fromUtf8("em[text\"" + decomposed + "\"]")));
}

TEST(MarkdownParser, threadsParseIndependently)
{
    const QString text
        = u"# T\n\n| a | b |\n|---|---|\n| *x* | [y](z) |\n\n- [ ] task\n\n> quote ~~s~~\n"_s.repeated(200);
    const QString expected = parsed(text);
    std::vector<QString> results(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&results, &text, i] {
            for (int round = 0; round < 5; ++round)
                results[i] = parsed(text);
        });
    for (std::thread &thread : threads)
        thread.join();
    for (const QString &result : results)
        EXPECT_EQ(result, expected);
}

struct NodeFree
{
    void operator()(cmark_node *node) const { cmark_node_free(node); }
};

// An extension of the test's own that names its nodes as the test asks, to build trees
// the library itself never produces.
class RenamingExtension
{
public:
    explicit RenamingExtension(const char *typeName)
        : m_extension(cmark_syntax_extension_new("renaming"))
    {
        s_typeName = typeName;
        cmark_syntax_extension_set_get_type_string_func(
            m_extension, [](cmark_syntax_extension *, cmark_node *) { return s_typeName; });
    }
    ~RenamingExtension() { cmark_syntax_extension_free(cmark_get_default_mem_allocator(), m_extension); }

    cmark_node *make(cmark_node_type type) const { return cmark_node_new_with_ext(type, m_extension); }

private:
    static inline const char *s_typeName = nullptr;
    cmark_syntax_extension *m_extension;
};

TEST(MarkdownParser, aBrokenTreeIsLoggedAndGivesNoBlocks)
{
    struct Case
    {
        const char *typeName;
        bool insideList;
        QString message;
    };
    for (const Case &broken : { Case { "mystery", false, u"Unknown node type 'mystery' found."_s },
             Case { "paragraph", true, u"Expected a list item but got a 'paragraph' instead."_s } }) {
        LogCapture log;
        RenamingExtension extension(broken.typeName);
        std::unique_ptr<cmark_node, NodeFree> document(cmark_node_new(CMARK_NODE_DOCUMENT));
        cmark_node *paragraph = cmark_node_new(CMARK_NODE_PARAGRAPH);
        ASSERT_TRUE(cmark_node_append_child(document.get(), paragraph));
        if (broken.insideList) {
            cmark_node *list = cmark_node_new(CMARK_NODE_LIST);
            ASSERT_TRUE(cmark_node_append_child(document.get(), list));
            ASSERT_TRUE(cmark_node_append_child(list, extension.make(CMARK_NODE_ITEM)));
        } else {
            ASSERT_TRUE(cmark_node_append_child(document.get(), extension.make(CMARK_NODE_CUSTOM_BLOCK)));
        }

        EXPECT_FALSE(MarkdownParser::convertDocumentBlocks(document.get()).has_value()) << broken.typeName;
        ASSERT_EQ(log.count(broken.message), 1) << log.messages().join(u'|').toStdString();
        EXPECT_EQ(log.lines().first().type, QtWarningMsg);
        EXPECT_EQ(log.lines().first().category, u"MarkdownParser"_s);
    }
}

TEST(MarkdownParser, nodesOutsideTheModelAreLeftOut)
{
    std::unique_ptr<cmark_node, NodeFree> document(cmark_node_new(CMARK_NODE_DOCUMENT));
    cmark_node *custom = cmark_node_new(CMARK_NODE_CUSTOM_BLOCK);
    ASSERT_TRUE(cmark_node_append_child(document.get(), custom));
    cmark_node *paragraph = cmark_node_new(CMARK_NODE_PARAGRAPH);
    ASSERT_TRUE(cmark_node_append_child(document.get(), paragraph));
    cmark_node *inlineCustom = cmark_node_new(CMARK_NODE_CUSTOM_INLINE);
    ASSERT_TRUE(cmark_node_append_child(paragraph, inlineCustom));
    cmark_node *text = cmark_node_new(CMARK_NODE_TEXT);
    cmark_node_set_literal(text, "kept");
    ASSERT_TRUE(cmark_node_append_child(paragraph, text));

    EXPECT_EQ(dump(*MarkdownParser::convertDocumentBlocks(document.get())), u"para[text\"kept\"]"_s);
}

} // namespace
