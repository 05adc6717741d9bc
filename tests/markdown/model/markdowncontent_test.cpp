#include "markdown/model/markdowncontent.h"

#include "tests/markdown/model/modeldump.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

MarkdownContent content(const QList<BlockNode> &blocks)
{
    return MarkdownContent(blocks);
}

BlockNode para(const QString &text)
{
    return BlockNode::paragraph({ InlineNode::text(text) });
}

TEST(MarkdownContent, emptyContentRendersEmptyInEveryForm)
{
    EXPECT_EQ(MarkdownContent().renderMarkdown(), QString());
    EXPECT_EQ(MarkdownContent().renderPlainText(), QString());
    EXPECT_EQ(MarkdownContent().renderHTML(), QString());
    EXPECT_EQ(MarkdownContent(QString()), MarkdownContent());
}

TEST(MarkdownContent, onlyTheLastNewlineIsTrimmedAndOnlyFromText)
{
    const MarkdownContent single = content({ para(u"hello"_s) });
    EXPECT_EQ(single.renderMarkdown(), u"hello"_s);
    EXPECT_EQ(single.renderPlainText(), u"hello"_s);
    EXPECT_EQ(single.renderHTML(), u"<p>hello</p>\n"_s);
    // Output that ends in two newlines loses only the last one.
    EXPECT_EQ(content({ BlockNode::codeBlock(std::nullopt, u"x\n\n"_s) }).renderPlainText(), u"x\n"_s);
    EXPECT_EQ(content({ BlockNode::htmlBlock(u"<div>\n\n"_s) }).renderMarkdown(), u"<div>\n"_s);
}

TEST(MarkdownContent, parsingAndRenderingBackIsNotAnIdentity)
{
    const MarkdownContent parsed(u"A [link](https://x.org \"title\") and ![alt](i.png)."_s);
    EXPECT_EQ(parsed.renderMarkdown(), u"A [link](https://x.org) and ![alt](i.png)."_s);
    EXPECT_EQ(MarkdownContent(parsed.renderMarkdown()), parsed);
}

TEST(MarkdownContent, listsRenderTheirNumbersAndBoxes)
{
    EXPECT_EQ(content({ BlockNode::numberedList(true, 3, { { { para(u"a"_s) } }, { { para(u"b"_s) } } }) })
                  .renderMarkdown(),
        u"3.  a\n4.  b"_s);
    // The library refuses a negative start and keeps 0.
    EXPECT_EQ(content({ BlockNode::numberedList(true, -1, { { { para(u"a"_s) } } }) }).renderMarkdown(),
        u"0.  a"_s);
    const MarkdownContent tasks = content(
        { BlockNode::taskList(true, { { true, { para(u"done"_s) } }, { false, { para(u"todo"_s) } } }) });
    EXPECT_EQ(tasks.renderMarkdown(), u"- [x] done\n- [ ] todo"_s);
    EXPECT_EQ(MarkdownContent(tasks.renderMarkdown()), tasks);
}

TEST(MarkdownContent, headingLevelsOutsideOneToSixRenderAtOne)
{
    EXPECT_EQ(content({ BlockNode::heading(7, { InlineNode::text(u"t"_s) }) }).renderMarkdown(), u"# t"_s);
    EXPECT_EQ(content({ BlockNode::heading(qint64(1) << 40, { InlineNode::text(u"t"_s) }) }).renderMarkdown(),
        u"# t"_s);
    EXPECT_EQ(content({ BlockNode::heading(3, { InlineNode::text(u"t"_s) }) }).renderMarkdown(), u"### t"_s);
}

TEST(MarkdownContent, tablesRenderTheirFirstRowAsHeader)
{
    const MarkdownContent table
        = content({ BlockNode::table({ RawTableColumnAlignment::Left, RawTableColumnAlignment::Right },
            { { { { { InlineNode::text(u"a"_s) } }, { { InlineNode::text(u"b"_s) } } } },
                { { { { InlineNode::text(u"1"_s) } }, { { InlineNode::text(u"2"_s) } } } } }) });
    EXPECT_EQ(table.renderMarkdown(), u"| a | b |\n| :-- | --: |\n| 1 | 2 |"_s);
    EXPECT_TRUE(table.renderHTML().startsWith(u"<table>\n<thead>\n<tr>\n<th align=\"left\">a</th>"_s));
    EXPECT_EQ(MarkdownContent(table.renderMarkdown()), table);

    const QString headerless
        = content({ BlockNode::table({ RawTableColumnAlignment::None }, {}) }).renderHTML();
    EXPECT_FALSE(headerless.contains(u"<th"_s));
}

TEST(MarkdownContent, unevenTableRowsKeepEveryCell)
{
    // Rows longer than the alignments widen the table instead of reading past its columns,
    // and shorter rows are padded, so the CommonMark reads back as a table.
    const MarkdownContent table = content({ BlockNode::table({ RawTableColumnAlignment::Center },
        { { { { { InlineNode::text(u"h"_s) } } } },
            { { { { InlineNode::text(u"1"_s) } }, { { InlineNode::text(u"2"_s) } },
                { { InlineNode::text(u"3"_s) } } } },
            {} }) });
    EXPECT_EQ(table.renderMarkdown(), u"| h |  |  |\n| :-: | --- | --- |\n| 1 | 2 | 3 |\n|  |  |  |"_s);
    EXPECT_EQ(dump(MarkdownContent(table.renderMarkdown()).blocks()),
        u"table(c--)[row[cell[text\"h\"] cell[] cell[]] row[cell[text\"1\"] cell[text\"2\"] cell[text\"3\"]] "
        "row[cell[] cell[] cell[]]]"_s);
    const QString html = table.renderHTML();
    EXPECT_TRUE(html.contains(u"<td align=\"center\">1</td>\n<td>2</td>\n<td>3</td>"_s))
        << html.toStdString();
    // Cells without any alignment at all render too.
    EXPECT_TRUE(content({ BlockNode::table({}, { { { { { InlineNode::text(u"x"_s) } } } } }) })
                    .renderHTML()
                    .contains(u">x</th>"_s));
}

TEST(MarkdownContent, htmlOmitsRawHtmlAndDangerousLinks)
{
    const MarkdownContent parsed(u"<div>x</div>\n\na <b>b</b> [c](javascript:alert(1))"_s);
    const QString html = parsed.renderHTML();
    EXPECT_EQ(html,
        u"<!-- raw HTML omitted -->\n<p>a <!-- raw HTML omitted -->b<!-- raw HTML omitted --> <a href=\"\">c</a></p>\n"_s);
}

TEST(MarkdownContent, everyInlineKindRoundTrips)
{
    const MarkdownContent original(
        u"*em* **strong** ~~del~~ `code` [link](u) ![alt](i)  \nnext\nsoft <span>x</span>\n\n> quote\n\n---\n\n```sh\necho\n```"_s);
    EXPECT_EQ(MarkdownContent(original.renderMarkdown()), original)
        << original.renderMarkdown().toStdString();
    EXPECT_EQ(original.renderPlainText(), u"em strong ~del~ code link alt\nnext\nsoft x\n\nquote\n\necho"_s);
}

TEST(MarkdownContent, nulInBuiltTextIsReplacedNotTruncated)
{
    const MarkdownContent built = content({ para(u"a"_s + QChar(u'\0') + u"b"_s) });
    EXPECT_EQ(built.renderPlainText(), u"a\uFFFDb"_s);
}

TEST(MarkdownContent, childContentIsTheBlocksOneLevelDown)
{
    const MarkdownContent quoted(u"> one\n>\n> two\n"_s);
    ASSERT_TRUE(quoted.childContent());
    EXPECT_EQ(dump(quoted.childContent()->blocks()), u"para[text\"one\"] para[text\"two\"]"_s);
    EXPECT_FALSE(MarkdownContent(u"one\n\ntwo"_s).childContent());
}

} // namespace
