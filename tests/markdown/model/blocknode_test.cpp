#include "markdown/model/blocknode.h"

#include "tests/markdown/model/modeldump.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

BlockNode para(const QString &text)
{
    return BlockNode::paragraph({ InlineNode::text(text) });
}

TEST(BlockNode, blockChildrenGoOneLevelDown)
{
    EXPECT_EQ(dump(BlockNode::blockquote({ para(u"a"_s), BlockNode::blockquote({ para(u"deep"_s) }) })
                       .blockChildren()),
        u"para[text\"a\"] quote[para[text\"deep\"]]"_s);
    EXPECT_EQ(
        dump(BlockNode::numberedList(true, 3, { { { para(u"a"_s) } }, { { para(u"b"_s), para(u"c"_s) } } })
                 .blockChildren()),
        u"para[text\"a\"] para[text\"b\"] para[text\"c\"]"_s);
    EXPECT_EQ(dump(BlockNode::taskList(false, { { true, { para(u"t"_s) } } }).blockChildren()),
        u"para[text\"t\"]"_s);

    EXPECT_TRUE(para(u"a"_s).blockChildren().isEmpty());
    EXPECT_TRUE(
        BlockNode::table({ RawTableColumnAlignment::Left }, { { { { { InlineNode::text(u"a"_s) } } } } })
            .blockChildren()
            .isEmpty());
    EXPECT_TRUE(BlockNode::bulletedList(true, {}).blockChildren().isEmpty());
    EXPECT_TRUE(BlockNode::bulletedList(true, { RawListItem {}, RawListItem {} }).blockChildren().isEmpty());
}

TEST(BlockNode, equalityCoversEveryField)
{
    EXPECT_NE(BlockNode::codeBlock(std::nullopt, u"x"_s), BlockNode::codeBlock(QString(u""_s), u"x"_s));
    EXPECT_NE(BlockNode::numberedList(true, 1, {}), BlockNode::numberedList(true, 2, {}));
    EXPECT_NE(BlockNode::numberedList(true, 1, {}), BlockNode::numberedList(false, 1, {}));
    EXPECT_NE(BlockNode::bulletedList(true, {}), BlockNode::taskList(true, {}));
    EXPECT_NE(BlockNode::taskList(true, { { false, {} } }), BlockNode::taskList(true, { { true, {} } }));
    EXPECT_NE(BlockNode::heading(1, {}), BlockNode::heading(2, {}));
    EXPECT_NE(BlockNode::table({ RawTableColumnAlignment::Left }, {}),
        BlockNode::table({ RawTableColumnAlignment::Right }, {}));
    EXPECT_NE(BlockNode::table({}, { RawTableRow { { RawTableCell {} } } }),
        BlockNode::table({}, { RawTableRow {} }));
    EXPECT_NE(BlockNode::htmlBlock(u"<a>"_s), BlockNode::codeBlock(std::nullopt, u"<a>"_s));
    EXPECT_EQ(BlockNode::thematicBreak(), BlockNode());
}

TEST(BlockNode, hashesAgreeWithEquality)
{
    const QList<BlockNode> blocks {
        BlockNode::codeBlock(std::nullopt, u"x"_s),
        BlockNode::codeBlock(u""_s, u"x"_s),
        BlockNode::numberedList(true, 1, { { { para(u"a"_s) } } }),
        BlockNode::numberedList(true, 2, { { { para(u"a"_s) } } }),
        BlockNode::bulletedList(true, { { { para(u"a"_s) } } }),
        BlockNode::taskList(true, { { false, { para(u"a"_s) } } }),
        BlockNode::taskList(true, { { true, { para(u"a"_s) } } }),
        BlockNode::blockquote({ para(u"a"_s) }),
        para(u"a"_s),
        BlockNode::heading(1, { InlineNode::text(u"a"_s) }),
        BlockNode::table({ RawTableColumnAlignment::None }, { { { { { InlineNode::text(u"a"_s) } } } } }),
        BlockNode::thematicBreak(),
        BlockNode::htmlBlock(u"a"_s),
    };
    QSet<BlockNode> set(blocks.begin(), blocks.end());
    EXPECT_EQ(set.size(), blocks.size());
    for (const BlockNode &block : blocks) {
        BlockNode copy = block;
        EXPECT_TRUE(set.contains(copy)) << dump({ block }).toStdString();
    }
    // Canonically equivalent text in a code block is one value too.
    EXPECT_EQ(BlockNode::codeBlock(u"caf\u00e9"_s, u"\u00c5"_s),
        BlockNode::codeBlock(u"cafe\u0301"_s, u"A\u030a"_s));
    EXPECT_EQ(qHash(BlockNode::htmlBlock(u"\u00c5"_s), 3), qHash(BlockNode::htmlBlock(u"A\u030a"_s), 3));
}

TEST(RawTableColumnAlignment, roundTripsItsRawCharacter)
{
    EXPECT_EQ(rawTableColumnAlignment(QChar(u'\0')), RawTableColumnAlignment::None);
    EXPECT_EQ(rawTableColumnAlignment(QChar(u'l')), RawTableColumnAlignment::Left);
    EXPECT_EQ(rawTableColumnAlignment(QChar(u'c')), RawTableColumnAlignment::Center);
    EXPECT_EQ(rawTableColumnAlignment(QChar(u'r')), RawTableColumnAlignment::Right);
    for (char16_t other : { u'L', u'C', u'R', u'x', u' ', u'n' })
        EXPECT_FALSE(rawTableColumnAlignment(QChar(other)).has_value()) << char(other);
    for (auto alignment : { RawTableColumnAlignment::None, RawTableColumnAlignment::Left,
             RawTableColumnAlignment::Center, RawTableColumnAlignment::Right })
        EXPECT_EQ(rawTableColumnAlignment(rawValue(alignment)), alignment);
}

InlineRewrite upperCaseText()
{
    return [](const InlineNode &node) {
        if (const auto *text = node.as<InlineNode::Text>())
            return QList<InlineNode> { InlineNode::text(text->literal.toUpper()) };
        return QList<InlineNode> { node };
    };
}

TEST(InlineContentRewrite, reachesEveryRunAndKeepsTheShape)
{
    const QList<BlockNode> blocks {
        BlockNode::blockquote({ para(u"q"_s), BlockNode::heading(7, { InlineNode::text(u"h"_s) }) }),
        BlockNode::numberedList(false, 4, { { { para(u"n"_s) } } }),
        BlockNode::taskList(true, { { true, { para(u"t"_s) } }, { false, {} } }),
        BlockNode::table({ RawTableColumnAlignment::Center },
            { { { { { InlineNode::text(u"a"_s) } }, { {} } } },
                { { { { InlineNode::emphasis({ InlineNode::text(u"b"_s) }) } } } } }),
        BlockNode::codeBlock(u"sh"_s, u"code"_s),
        BlockNode::htmlBlock(u"<p>html</p>"_s),
        BlockNode::thematicBreak(),
    };
    EXPECT_EQ(dump(rewriteInlineContent(blocks, upperCaseText())),
        u"quote[para[text\"Q\"] h7[text\"H\"]] "
        "numbers(loose,start=4)[item[para[text\"N\"]]] "
        "tasks(tight)[done[para[text\"T\"]] todo[]] "
        "table(c)[row[cell[text\"A\"] cell[]] row[cell[em[text\"B\"]]]] "
        "codeblock(\"sh\")\"code\" htmlblock\"<p>html</p>\" hr"_s);
    EXPECT_EQ(rewriteInlineContent(blocks.first(), upperCaseText()).size(), 1);
}

TEST(InlineContentRewrite, theFirstFailureEndsTheWholeTree)
{
    const QList<BlockNode> blocks { para(u"a"_s), BlockNode::blockquote({ para(u"b"_s) }), para(u"c"_s) };
    QStringList seen;
    const auto result = tryRewriteInlineContent(
        blocks, [&seen](const InlineNode &node) -> std::optional<QList<InlineNode>> {
            seen << node.as<InlineNode::Text>()->literal;
            if (node.as<InlineNode::Text>()->literal == u"b"_s)
                return std::nullopt;
            return QList<InlineNode> { node };
        });
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(seen, QStringList({ u"a"_s, u"b"_s }));
}

} // namespace
