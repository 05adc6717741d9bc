#include "markdown/model/blockcontent.h"

#include "tests/markdown/model/modeldump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace Qt::StringLiterals;

// `expected`: the equivalent Markdown, or the dump of the model built.
struct BuildCase
{
    const char *name;
    MarkdownContent built;
    const char *expected;
};

void PrintTo(const BuildCase &c, std::ostream *out)
{
    *out << c.name;
}

// Builder closures are spelt out here; the builder syntax a compiler would write.
MarkdownContent blocks(const auto &...parts)
{
    return MarkdownContentBuilder::buildBlock(parts...);
}
QList<ListItem> items(const auto &...parts)
{
    return ListContentBuilder::buildBlock(parts...);
}
QList<TaskListItem> tasks(const auto &...parts)
{
    return TaskListContentBuilder::buildBlock(parts...);
}
InlineContent text(const auto &...parts)
{
    return InlineContentBuilder::buildBlock(parts...);
}

ListItem twoParagraphs()
{
    return ListItem([] { return blocks(u"a"_s, Paragraph(text(u"b"_s))); });
}

const std::optional<ThematicBreak> noBreak;

// The equivalent Markdown is beside each document built in code: both must give one model.
class BlockContentEquivalence : public ::testing::TestWithParam<BuildCase>
{
};

TEST_P(BlockContentEquivalence, buildsWhatParsingTheMarkdownGives)
{
    const MarkdownContent parsed(QString::fromUtf8(GetParam().expected));
    EXPECT_EQ(dump(GetParam().built.blocks()), dump(parsed.blocks()));
    EXPECT_EQ(GetParam().built, parsed);
}

INSTANTIATE_TEST_SUITE_P(Documents, BlockContentEquivalence,
    ::testing::Values(
        BuildCase { "headingWithEmphasis",
            blocks(Heading(Heading::Level::Level2, [] { return text(u"Title "_s, Emphasis(u"now"_s)); })),
            "## Title *now*" },
        BuildCase { "paragraphWithStrongCodeAndLink", blocks(Paragraph([] {
                       return text(u"a "_s, Strong(u"b"_s), u" "_s, Code(u"c"_s), u" "_s,
                           InlineLink(u"d"_s, QUrl(u"https://x.org/d"_s)));
                   })),
            "a **b** `c` [d](https://x.org/d)" },
        BuildCase {
            "tightBulletsOfStrings", blocks(BulletedList(QStringList { u"a"_s, u"b"_s }, true)), "- a\n- b" },
        BuildCase { "numbersFromThree", blocks(NumberedList(true, 3, [] { return items(u"a"_s, u"b"_s); })),
            "3. a\n4. b" },
        BuildCase { "tasks",
            blocks(TaskList(
                true, [] { return tasks(TaskListItem(true, [] { return blocks(u"done"_s); }), u"todo"_s); })),
            "- [x] done\n- [ ] todo" },
        BuildCase { "itemOfTwoParagraphsMakesTheListLoose",
            blocks(BulletedList(true, [] { return items(twoParagraphs(), u"c"_s); })), "- a\n\n  b\n- c" },
        BuildCase { "nestedListKeepsItTight",
            blocks(BulletedList(true,
                [] {
                    return items(
                        ListItem([] { return blocks(u"a"_s, BulletedList(QStringList { u"b"_s }, true)); }));
                })),
            "- a\n  - b" },
        BuildCase { "quoteAroundAHeadingAndAParagraph",
            blocks(Blockquote([] { return blocks(u"# q"_s, Paragraph(text(u"r"_s))); })), "> # q\n>\n> r" },
        BuildCase { "fencedCodeWithALanguage", blocks(CodeBlock(u"swift"_s, [] { return u"let x = 1\n"_s; })),
            "```swift\nlet x = 1\n```" },
        BuildCase { "ruleBetweenParagraphs",
            blocks(Paragraph(text(u"a"_s)), ThematicBreak(), Paragraph(text(u"b"_s))), "a\n\n---\n\nb" },
        BuildCase { "markdownStringsAmongBlocks",
            blocks(u"**a**"_s, Heading(Heading::Level::Level1, text(u"h"_s)), u"- x\n- y"_s),
            "**a**\n\n# h\n\n- x\n- y" }),
    [](const auto &info) { return std::string(info.param.name); });

class BlockContentBuilder : public ::testing::TestWithParam<BuildCase>
{
};

TEST_P(BlockContentBuilder, makesItsBlocks)
{
    EXPECT_EQ(dump(GetParam().built.blocks()), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Builds, BlockContentBuilder,
    ::testing::Values(BuildCase { "paragraphsInsideAQuoteDoNotCount",
                          blocks(BulletedList(true,
                              [] {
                                  return items(ListItem([] {
                                      return blocks(u"a"_s, Blockquote([] { return blocks(u"b\n\nc"_s); }));
                                  }));
                              })),
                          R"(bullets(tight)[item[para[text"a"] quote[para[text"b"] para[text"c"]]]])" },
        BuildCase {
            "noItemsStayTight", blocks(BulletedList(true, [] { return items(); })), "bullets(tight)[]" },
        BuildCase { "itemsNeverMakeAListTight",
            blocks(NumberedList(false, 0, [] { return items(u"a"_s, u"b"_s); })),
            R"(numbers(loose,start=0)[item[para[text"a"]] item[para[text"b"]]])" },
        BuildCase { "taskItemsMakeATaskListLoose",
            blocks(
                TaskList(true, [] { return tasks(TaskListItem(true, [] { return blocks(u"a\n\nb"_s); })); })),
            R"(tasks(loose)[done[para[text"a"] para[text"b"]]])" },
        BuildCase { "markupInAListBuilderIsLiteral",
            blocks(BulletedList(true, [] { return items(u"**bold**"_s); })),
            R"(bullets(tight)[item[para[text"**bold**"]]])" },
        BuildCase { "markupInAListOfStringsIsLiteral",
            blocks(NumberedList(QStringList { u"**bold**"_s }, true, 2)),
            R"(numbers(tight,start=2)[item[para[text"**bold**"]]])" },
        BuildCase { "oneClosureCallPerElementInOrder",
            blocks(BulletedList(std::vector<int> { 3, 1 }, true,
                [](int n) {
                    QList<ListItem> made;
                    for (int i = 0; i < n; ++i)
                        made.append(ListItem(QString::number(n)));
                    return made;
                })),
            R"(bullets(tight)[item[para[text"3"]] item[para[text"3"]] item[para[text"3"]] item[para[text"1"]]])" },
        BuildCase { "tasksPerElement",
            blocks(TaskList(QList<bool> { true, false }, true,
                [](bool done) { return tasks(TaskListItem(done, [] { return blocks(u"t"_s); })); })),
            R"(tasks(tight)[done[para[text"t"]] todo[para[text"t"]]])" },
        BuildCase { "codeWithoutALanguageHasNoFenceInfo",
            blocks(CodeBlock(std::nullopt, [] { return u"x\n"_s; })), R"~(codeblock(none)"x\n")~" },
        BuildCase { "codeWithAnEmptyLanguageKeepsIt", blocks(CodeBlock(u""_s, [] { return u"x"_s; })),
            R"~(codeblock("")"x")~" },
        BuildCase { "absentOptionalAddsNothing", MarkdownContentBuilder::buildOptional(noBreak), "" },
        BuildCase { "loopInOrder", MarkdownContentBuilder::buildArray(QStringList { u"# a"_s, u"b"_s }),
            R"(h1[text"a"] para[text"b"])" },
        BuildCase { "aDocumentAmongBlocksKeepsItsBlocksInOrder",
            blocks(u"a"_s, MarkdownContent(u"b\n\n---\n\nc"_s), ThematicBreak()),
            R"(para[text"a"] para[text"b"] hr para[text"c"] hr)" },
        BuildCase { "textWithoutADocumentAddsNothing", blocks(u""_s, ThematicBreak()), "hr" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListContentBuilder, joinsItemsOptionalsLoopsAndBranchesInOrder)
{
    const std::optional<ListItem> none;
    const QList<ListItem> joined = ListContentBuilder::buildBlock(ListContentBuilder::buildOptional(none),
        ListContentBuilder::buildArray(QStringList { u"a"_s, u"b"_s }),
        ListContentBuilder::buildEitherFirst(ListItem(u"c"_s)),
        ListContentBuilder::buildOptional(std::optional(ListItem(u"d"_s))));
    EXPECT_EQ(
        joined, QList<ListItem>({ ListItem(u"a"_s), ListItem(u"b"_s), ListItem(u"c"_s), ListItem(u"d"_s) }));
    EXPECT_TRUE(ListContentBuilder::buildArray(QStringList()).isEmpty());
}

TEST(HeadingLevel, onlyOneToSixAreLevels)
{
    for (qint64 raw : { qint64(0), qint64(7), qint64(-1), qint64(1) << 40 })
        EXPECT_EQ(headingLevel(raw), std::nullopt) << raw;
    for (qint64 raw = 1; raw <= 6; ++raw) {
        ASSERT_TRUE(headingLevel(raw)) << raw;
        EXPECT_EQ(rawValue(*headingLevel(raw)), raw);
        EXPECT_EQ(qHash(*headingLevel(raw), 7), qHash(raw, 7));
    }
    EXPECT_EQ(rawValue(Heading::Level::Level3), 3);
}

TEST(ListItems, equalAndHashedByTickThenChildren)
{
    const ListItem a(u"a"_s);
    EXPECT_EQ(a, ListItem(u"a"_s));
    EXPECT_NE(a, ListItem(u"b"_s));
    EXPECT_NE(a, twoParagraphs());
    EXPECT_EQ(qHash(a, 3), qHash(ListItem(u"a"_s), 3));
    EXPECT_NE(qHash(a, 3), qHash(ListItem(u"b"_s), 3));

    const TaskListItem todo(u"t"_s);
    EXPECT_FALSE(todo.isCompleted);
    const TaskListItem done(true, todo.children);
    EXPECT_NE(todo, done);
    EXPECT_EQ(done, TaskListItem(true, [] { return blocks(u"t"_s); }));
    EXPECT_NE(qHash(todo, 3), qHash(done, 3));
    // The builder's items hash as the model's items they become.
    EXPECT_EQ(qHash(done, 3), qHash(RawTaskListItem { true, done.children }, 3));
}

} // namespace
