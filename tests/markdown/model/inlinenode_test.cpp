#include "markdown/model/inlinenode.h"

#include "tests/markdown/model/modeldump.h"

#include <QSet>

#include <optional>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QString composed = u"caf\u00e9"_s; // é as one code point
const QString decomposed = u"cafe\u0301"_s; // e followed by a combining acute accent

TEST(InlineNode, equalityCoversTheWholePayload)
{
    EXPECT_NE(InlineNode::softBreak(), InlineNode::lineBreak());
    EXPECT_NE(InlineNode::text(QString()), InlineNode::softBreak());
    EXPECT_NE(InlineNode::text(u"a"_s), InlineNode::code(u"a"_s));
    EXPECT_NE(InlineNode::link(u"x"_s, { InlineNode::text(u"a"_s) }),
        InlineNode::link(u"y"_s, { InlineNode::text(u"a"_s) }));
    EXPECT_NE(InlineNode::link(u"x"_s, { InlineNode::text(u"a"_s) }),
        InlineNode::image(u"x"_s, { InlineNode::text(u"a"_s) }));
    EXPECT_NE(InlineNode::emphasis({ InlineNode::text(u"a"_s) }),
        InlineNode::emphasis({ InlineNode::text(u"b"_s) }));
    EXPECT_NE(
        InlineNode::emphasis({ InlineNode::text(u"a"_s) }), InlineNode::strong({ InlineNode::text(u"a"_s) }));
    EXPECT_EQ(InlineNode::strong({ InlineNode::emphasis({ InlineNode::code(u"c"_s) }) }),
        InlineNode::strong({ InlineNode::emphasis({ InlineNode::code(u"c"_s) }) }));
}

TEST(InlineNode, breaksAndEmptyTextHashApart)
{
    const QSet<InlineNode> nodes { InlineNode::softBreak(), InlineNode::lineBreak(),
        InlineNode::text(QString()) };
    EXPECT_EQ(nodes.size(), 3);
    EXPECT_NE(qHash(InlineNode::softBreak(), 7), qHash(InlineNode::lineBreak(), 7));
}

TEST(InlineNode, canonicallyEquivalentTextIsOneValue)
{
    ASSERT_NE(composed, decomposed);
    const InlineNode a = InlineNode::link(composed, { InlineNode::text(composed) });
    const InlineNode b = InlineNode::link(decomposed, { InlineNode::text(decomposed) });
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a, 42), qHash(b, 42));
    EXPECT_EQ(QSet<InlineNode>({ a, b }).size(), 1);
    // ...and the text itself is kept as written.
    EXPECT_EQ(b.as<InlineNode::Link>()->destination, decomposed);
    EXPECT_NE(InlineNode::text(composed), InlineNode::text(u"cafe"_s));
}

TEST(InlineNode, childrenOnlyForContainers)
{
    const QList<InlineNode> children { InlineNode::text(u"a"_s) };
    EXPECT_EQ(InlineNode::image(u"i.png"_s, children).children(), children);
    EXPECT_TRUE(InlineNode::code(u"a"_s).children().isEmpty());
    EXPECT_EQ(InlineNode::code(u"a"_s).withChildren(children), InlineNode::code(u"a"_s));
}

TEST(InlineRewrite, identityGivesAnEqualTree)
{
    const QList<InlineNode> nodes { InlineNode::text(u"a"_s), InlineNode::softBreak(),
        InlineNode::link(
            u"u"_s, { InlineNode::strong({ InlineNode::code(u"c"_s) }), InlineNode::image(u"i"_s, {}) }) };
    EXPECT_EQ(
        rewriteInlineNodes(nodes, [](const InlineNode &node) { return QList<InlineNode> { node }; }), nodes);
}

TEST(InlineRewrite, isPostOrderAndSeesRewrittenChildren)
{
    const QList<InlineNode> nodes { InlineNode::emphasis(
        { InlineNode::text(u"a"_s), InlineNode::strong({ InlineNode::text(u"b"_s) }) }) };
    QStringList seen;
    const QList<InlineNode> result = rewriteInlineNodes(nodes, [&seen](const InlineNode &node) {
        seen << dump(QList<InlineNode> { node });
        if (const auto *text = node.as<InlineNode::Text>())
            return QList<InlineNode> { InlineNode::text(text->literal.toUpper()) };
        return QList<InlineNode> { node };
    });
    EXPECT_EQ(seen,
        QStringList({ u"text\"a\""_s, u"text\"b\""_s, u"strong[text\"B\"]"_s,
            u"em[text\"A\" strong[text\"B\"]]"_s }));
    EXPECT_EQ(dump(result), u"em[text\"A\" strong[text\"B\"]]"_s);
}

TEST(InlineRewrite, removingImagesKeepsTheLinksAroundThem)
{
    const QList<InlineNode> nodes {
        InlineNode::link(u"u"_s, { InlineNode::image(u"i"_s, { InlineNode::text(u"alt"_s) }) }),
        InlineNode::link(u"v"_s, { InlineNode::text(u"x"_s), InlineNode::image(u"j"_s, {}) }),
    };
    const QList<InlineNode> result = rewriteInlineNodes(nodes, [](const InlineNode &node) {
        return node.kind() == InlineNode::Kind::Image ? QList<InlineNode> {} : QList<InlineNode> { node };
    });
    EXPECT_EQ(dump(result), u"link(\"u\")[] link(\"v\")[text\"x\"]"_s);
}

TEST(InlineRewrite, returnedNodesAreSplicedAndNotVisitedAgain)
{
    int calls = 0;
    const QList<InlineNode> result = rewriteInlineNodes(
        { InlineNode::text(u"a"_s), InlineNode::text(u"b"_s) }, [&calls](const InlineNode &node) {
            ++calls;
            return QList<InlineNode> { InlineNode::emphasis({ node }), InlineNode::softBreak() };
        });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(dump(result), u"em[text\"a\"] soft em[text\"b\"] soft"_s);
}

TEST(InlineRewrite, aFailureAnywhereFailsTheWholeRewrite)
{
    const QList<InlineNode> nodes { InlineNode::text(u"1"_s),
        InlineNode::emphasis({ InlineNode::text(u"2"_s) }), InlineNode::text(u"3"_s) };
    int calls = 0;
    const auto result
        = tryRewriteInlineNodes(nodes, [&calls](const InlineNode &node) -> std::optional<QList<InlineNode>> {
              if (++calls == 3)
                  return std::nullopt;
              return QList<InlineNode> { node };
          });
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(calls, 3);
}

struct ContainerCase
{
    const char *name;
    InlineNode node;
};

class InlineNodeContainers : public ::testing::TestWithParam<ContainerCase>
{
};

// Every container, whatever way it is stored, takes new children and keeps the rest.
TEST_P(InlineNodeContainers, newChildrenKeepTheRest)
{
    const InlineNode &node = GetParam().node;
    const QList<InlineNode> children { InlineNode::text(u"new"_s), InlineNode::softBreak() };
    const InlineNode changed = node.withChildren(children);
    EXPECT_EQ(changed.kind(), node.kind());
    EXPECT_EQ(changed.children(), children);
    EXPECT_NE(changed, node);
    EXPECT_EQ(node.withChildren(node.children()), node);
    if (const auto *link = changed.as<InlineNode::Link>()) {
        EXPECT_EQ(link->destination, u"https://x.org"_s);
    }
    if (const auto *image = changed.as<InlineNode::Image>()) {
        EXPECT_EQ(image->source, u"i.png"_s);
    }
}

// What as() gives stays valid as long as any copy of the node does.
TEST_P(InlineNodeContainers, partsOutliveTheNodeTheyCameFrom)
{
    std::optional<InlineNode> original = GetParam().node;
    const InlineNode copy = *original;
    const QList<InlineNode> *children = &copy.children();
    original.reset();
    ASSERT_EQ(children->size(), 1);
    EXPECT_EQ(children->first(), InlineNode::text(u"old"_s));
    EXPECT_EQ(copy, GetParam().node);
    EXPECT_EQ(qHash(copy, 3), qHash(GetParam().node, 3));
}

INSTANTIATE_TEST_SUITE_P(Kinds, InlineNodeContainers,
    ::testing::Values(ContainerCase { "emphasis", InlineNode::emphasis({ InlineNode::text(u"old"_s) }) },
        ContainerCase { "strong", InlineNode::strong({ InlineNode::text(u"old"_s) }) },
        ContainerCase { "strikethrough", InlineNode::strikethrough({ InlineNode::text(u"old"_s) }) },
        ContainerCase { "link", InlineNode::link(u"https://x.org"_s, { InlineNode::text(u"old"_s) }) },
        ContainerCase { "image", InlineNode::image(u"i.png"_s, { InlineNode::text(u"old"_s) }) }),
    [](const ::testing::TestParamInfo<ContainerCase> &info) { return std::string(info.param.name); });

} // namespace
