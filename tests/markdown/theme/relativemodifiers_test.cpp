#include "markdown/theme/relativemodifiers.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"

#include "ui/layout.h"
#include "ui/viewtree.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ui;

namespace {

// A 40 × 10 box that draws the line spacing it is given as its own tagged width.
View probe()
{
    return VStack(HorizontalAlignment::Leading, 0,
        { View(Color::blue()).frame(40, 10).tag("box"), EnvironmentReader([](const EnvironmentValues &env) {
             return View(Color::red()).frame(env.get<LineSpacingKey>() + 100, 1).tag("spacing");
         }) });
}

enum class Basis { NoFontProperties, Body13, Scale2, Scale094 };

AnyTextStyle styleOf(Basis basis)
{
    switch (basis) {
    case Basis::NoFontProperties:
        return EmptyTextStyle();
    case Basis::Body13:
        return FontProperties();
    case Basis::Scale2: {
        FontProperties p;
        p.scale = 2;
        return p;
    }
    case Basis::Scale094: {
        FontProperties p;
        p.scale = 0.94;
        return p;
    }
    }
    return FontProperties();
}

struct Laid
{
    Laid(View view, Basis basis)
    {
        EnvironmentValues env;
        env.set<TextStyleKey>(styleOf(basis));
        tree.setEnvironment(env);
        tree.setRoot(VStack(HorizontalAlignment::Leading, 0, { view.tag("modified") }));
        tree.rebuild(800);
    }
    QRectF operator[](const char *tag) const { return tree.frameOfTag(QString::fromLatin1(tag)); }
    ViewTree tree;
};

struct RelativeCase
{
    const char *name;
    Basis basis;
    std::function<View(View)> apply;
    QRectF modified; // the modified view's frame
    QRectF box; // the box's frame inside it
};

void PrintTo(const RelativeCase &c, std::ostream *out)
{
    *out << c.name;
}

class RelativeModifiers : public testing::TestWithParam<RelativeCase>
{
};

const Alignment leading = Alignment::leading();

} // namespace

TEST_P(RelativeModifiers, resolveAgainstTheTextStyleWhereTheyStand)
{
    const RelativeCase &c = GetParam();
    Laid laid(c.apply(View(Color::blue()).frame(40, 10).tag("box")), c.basis);
    EXPECT_EQ(laid["modified"], c.modified);
    EXPECT_EQ(laid["box"], c.box);
}

INSTANTIATE_TEST_SUITE_P(RelativeSizes, RelativeModifiers,
    testing::Values(
        // Without font properties the basis is 13 points at scale 1.
        RelativeCase { "emOneWithoutProperties", Basis::NoFontProperties,
            [](View v) { return v.modifier(relativePadding(Edge::leading, RelativeSize::em(1))); },
            QRectF(0, 0, 53, 10), QRectF(13, 0, 40, 10) },
        RelativeCase { "emFifteenHundredthsRoundsUp", Basis::NoFontProperties,
            [](View v) { return v.modifier(relativePadding(Edge::top, RelativeSize::em(0.15))); },
            QRectF(0, 0, 40, 12), QRectF(0, 2, 40, 10) },
        RelativeCase { "remHalfwayRoundsAwayFromZero", Basis::Body13,
            [](View v) { return v.modifier(relativePadding(Edge::trailing, RelativeSize::rem(1.5))); },
            QRectF(0, 0, 60, 10), QRectF(0, 0, 40, 10) },
        RelativeCase { "emAtScaleTwo", Basis::Scale2,
            [](View v) { return v.modifier(relativePadding(Edge::leading, RelativeSize::em(1))); },
            QRectF(0, 0, 66, 10), QRectF(26, 0, 40, 10) },
        RelativeCase { "remIgnoresTheScale", Basis::Scale2,
            [](View v) { return v.modifier(relativePadding(Edge::leading, RelativeSize::rem(1))); },
            QRectF(0, 0, 53, 10), QRectF(13, 0, 40, 10) },
        // At scale 0.94 the em base is 12 (12.22 rounded): em(0.5) is 6, rem(0.5) is 7.
        RelativeCase { "emAtScale094", Basis::Scale094,
            [](View v) { return v.modifier(relativePadding(Edge::leading, RelativeSize::em(0.5))); },
            QRectF(0, 0, 46, 10), QRectF(6, 0, 40, 10) },
        RelativeCase { "remAtScale094", Basis::Scale094,
            [](View v) { return v.modifier(relativePadding(Edge::leading, RelativeSize::rem(0.5))); },
            QRectF(0, 0, 47, 10), QRectF(7, 0, 40, 10) },
        RelativeCase { "negativeRoundsAwayFromZero", Basis::Body13,
            [](View v) { return v.modifier(relativePadding(Edge::leading, RelativeSize::em(-0.5))); },
            QRectF(0, 0, 33, 10), QRectF(-7, 0, 40, 10) },
        RelativeCase { "noEdgesPadNothing", Basis::Body13,
            [](View v) { return v.modifier(relativePadding(EdgeSet {}, RelativeSize::em(2))); },
            QRectF(0, 0, 40, 10), QRectF(0, 0, 40, 10) },
        // A list marker's column: 1.5 em is 20 points at 13 (19.5 rounded), a minimum only.
        RelativeCase { "minWidthTrailing", Basis::Body13,
            [](View v) {
                return v.modifier(relativeFrame(RelativeSize::em(1.5), Alignment::trailing())).fixedSize();
            },
            QRectF(0, 0, 40, 10), QRectF(0, 0, 40, 10) },
        RelativeCase { "minWidthGrowsANarrowMarker", Basis::Body13,
            [](View v) {
                return v.frame(8, 10)
                    .modifier(relativeFrame(RelativeSize::em(1.5), Alignment::trailing()))
                    .fixedSize();
            },
            QRectF(0, 0, 20, 10), QRectF(-4, 0, 40, 10) },
        RelativeCase { "fixedFrameBothDimensions", Basis::Body13,
            [](View v) {
                return v.modifier(relativeFrame(RelativeSize::em(4), RelativeSize::em(2), leading));
            },
            QRectF(0, 0, 52, 26), QRectF(0, 8, 40, 10) },
        RelativeCase { "fixedFrameOnlyHeightLeavesTheWidthFree", Basis::Body13,
            [](View v) { return v.modifier(relativeFrame(std::nullopt, RelativeSize::em(0.25), leading)); },
            QRectF(0, 0, 40, 3), QRectF(0, -3.5, 40, 10) },
        // A text style further out applies to a relative length further in.
        RelativeCase { "styleFurtherOutApplies", Basis::Body13,
            [](View v) {
                return v.modifier(relativePadding(Edge::leading, RelativeSize::em(1)))
                    .modifier(markdownTextStyle({ FontSize(RelativeSize::em(2)) }));
            },
            QRectF(0, 0, 66, 10), QRectF(26, 0, 40, 10) },
        RelativeCase { "styleFurtherInDoesNot", Basis::Body13,
            [](View v) {
                return v.modifier(markdownTextStyle({ FontSize(RelativeSize::em(2)) }))
                    .modifier(relativePadding(Edge::leading, RelativeSize::em(1)));
            },
            QRectF(0, 0, 53, 10), QRectF(13, 0, 40, 10) }),
    [](const testing::TestParamInfo<RelativeCase> &info) { return std::string(info.param.name); });

TEST(RelativeSizes, lineSpacingIsResolvedInPointsForTheContent)
{
    struct Case
    {
        Basis basis;
        RelativeSize spacing;
        double points;
    } cases[] = {
        { Basis::Body13, RelativeSize::em(0.15), 2 },
        { Basis::Scale094, RelativeSize::em(0.15), 2 }, // 12 × 0.15 = 1.8
        { Basis::Scale2, RelativeSize::em(0.125), 3 }, // 26 × 0.125 = 3.25
        { Basis::NoFontProperties, RelativeSize::rem(0.25), 3 },
    };
    for (const Case &c : cases) {
        Laid laid(probe().modifier(relativeLineSpacing(c.spacing)), c.basis);
        EXPECT_EQ(laid["spacing"].width() - 100, c.points) << c.spacing.value;
    }
}

TEST(TextStyleAttributesReader, stylesStackAndTheNearerOneWins)
{
    std::optional<Font> font;
    std::optional<Color> colour;
    const View reader = EnvironmentReader([&](const EnvironmentValues &env) {
        font = env.get<FontKey>();
        colour = env.get<ForegroundColorKey>();
        return View();
    });
    ViewTree tree(reader.modifier(textStyleFont())
                      .modifier(textStyleForegroundColor())
                      .modifier(markdownTextStyle({ FontSize(20), ForegroundColor(Color::red()) }))
                      .modifier(markdownTextStyle(
                          { ForegroundColor(Color::blue()), FontWeight(FontProperties::Weight::Bold) })));
    tree.rebuild(100);
    ASSERT_TRUE(font && colour);
    EXPECT_EQ(font->size(), 20);
    EXPECT_EQ(font->weightValue(), Font::Weight::Bold) << "the farther style still reaches the text";
    EXPECT_EQ(*colour, Color::red()) << "where both set the colour the nearer one shows";

    EnvironmentValues bare;
    bare.set<TextStyleKey>(EmptyTextStyle());
    tree.setEnvironment(bare);
    tree.setRoot(reader.modifier(textStyleFont()).modifier(textStyleForegroundColor()));
    tree.rebuild(100);
    EXPECT_FALSE(font) << "no font properties give no font";
    EXPECT_FALSE(colour);
}
