#include "markdown/theme/textstyles.h"

#include <gtest/gtest.h>

using Weight = FontProperties::Weight;

namespace {

ui::AttributeContainer withFont(FontProperties properties = {})
{
    ui::AttributeContainer container;
    properties.collectAttributes(container);
    return container;
}

FontProperties fontAfter(std::initializer_list<AnyTextStyle> styles, FontProperties start = {})
{
    ui::AttributeContainer container = withFont(start);
    TextStyleBuilder::block(styles).collectAttributes(container);
    return *container.get<FontPropertiesAttribute>();
}

} // namespace

TEST(TextStyles, fontStylesEditOnlyPropertiesAlreadyPresent)
{
    ui::AttributeContainer empty;
    FontWeight(Weight::Bold).collectAttributes(empty);
    FontSize(20).collectAttributes(empty);
    EXPECT_TRUE(empty.isEmpty());

    FontProperties expected;
    expected.weight = Weight::Bold;
    EXPECT_EQ(fontAfter({ FontWeight(Weight::Bold) }), expected);
}

TEST(TextStyles, eachFontStyleSetsItsOneField)
{
    const FontProperties result
        = fontAfter({ FontFamily(FontProperties::Family::custom(QStringLiteral("Inter"))),
            FontFamilyVariant(FontProperties::FamilyVariant::Monospaced),
            FontCapsVariant(FontProperties::CapsVariant::SmallCaps),
            FontDigitVariant(FontProperties::DigitVariant::Monospaced),
            FontStyle(FontProperties::Style::Italic), FontWidth(FontProperties::Width::Expanded) });
    EXPECT_EQ(result.family, FontProperties::Family::custom(QStringLiteral("Inter")));
    EXPECT_EQ(result.familyVariant, FontProperties::FamilyVariant::Monospaced);
    EXPECT_EQ(result.capsVariant, FontProperties::CapsVariant::SmallCaps);
    EXPECT_EQ(result.digitVariant, FontProperties::DigitVariant::Monospaced);
    EXPECT_EQ(result.style, FontProperties::Style::Italic);
    EXPECT_EQ(result.width(), FontProperties::Width::Expanded);
    EXPECT_EQ(result.weight, Weight::Regular);
    EXPECT_EQ(result.size, 13);
}

TEST(TextStyles, sizesCompoundInEmResetInRemAndRestartInPoints)
{
    const FontProperties halfOfDouble
        = fontAfter({ FontSize(RelativeSize::em(2)), FontSize(RelativeSize::em(0.5)) });
    EXPECT_EQ(halfOfDouble.scale, 1);
    EXPECT_EQ(halfOfDouble.size, 13);
    EXPECT_EQ(fontAfter({ FontSize(RelativeSize::em(2)), FontSize(RelativeSize::rem(0.5)) }).scale, 0.5);
    const FontProperties points = fontAfter({ FontSize(RelativeSize::em(2)), FontSize(20) });
    EXPECT_EQ(points.size, 20);
    EXPECT_EQ(points.scale, 1);

    ui::AttributeContainer container = withFont();
    const FontSize em(RelativeSize::em(2));
    em.collectAttributes(container);
    em.collectAttributes(container);
    EXPECT_EQ(container.get<FontPropertiesAttribute>()->scale, 4) << "em multiplies each time";
}

TEST(TextStyles, laterStyleWinsWhereTwoSetOneAttribute)
{
    EXPECT_EQ(
        fontAfter({ FontWeight(Weight::Semibold), FontWeight(Weight::Regular) }).weight, Weight::Regular);

    ui::AttributeContainer colours;
    TextStyleBuilder::block({ ForegroundColor(ui::Color::blue()), ForegroundColor(ui::Color::red()) })
        .collectAttributes(colours);
    EXPECT_EQ(colours.value<ui::ForegroundColorAttribute>(), ui::Color::red());

    TextStyleBuilder::block({ ForegroundColor(std::nullopt) }).collectAttributes(colours);
    EXPECT_FALSE(colours.contains<ui::ForegroundColorAttribute>()) << "no colour removes the earlier one";
}

TEST(TextStyles, builderNestsPairsInWrittenOrder)
{
    const AnyTextStyle style = TextStyleBuilder::block(
        { FontWeight(Weight::Bold), FontStyle(FontProperties::Style::Italic), FontSize(20) });
    const TextStylePair *outer = style.as<TextStylePair>();
    ASSERT_TRUE(outer);
    EXPECT_TRUE(outer->s1.as<FontSize>());
    const TextStylePair *inner = outer->s0.as<TextStylePair>();
    ASSERT_TRUE(inner);
    EXPECT_TRUE(inner->s0.as<FontWeight>());
    EXPECT_TRUE(inner->s1.as<FontStyle>());
    EXPECT_TRUE(TextStyleBuilder::block({ FontSize(20) }).as<FontSize>()) << "one style stays itself";
}

TEST(TextStyles, conditionsApplyOneBranchOrNothing)
{
    const FontProperties start;
    EXPECT_EQ(fontAfter({ TextStyleBuilder::buildOptional(std::nullopt) }), start);
    EXPECT_EQ(fontAfter({ TextStyleBuilder::buildOptional(AnyTextStyle(FontWeight(Weight::Bold))) }).weight,
        Weight::Bold);
    EXPECT_EQ(
        fontAfter({ TextStyleBuilder::buildEitherSecond(FontWeight(Weight::Light)) }).weight, Weight::Light);

    ui::AttributeContainer container = withFont();
    const ui::AttributeContainer before = container;
    EmptyTextStyle().collectAttributes(container);
    TextStyleBuilder::block({}).collectAttributes(container);
    AnyTextStyle().collectAttributes(container);
    EXPECT_EQ(container, before);
}

TEST(TextStyles, decorationsSetAndRemoveTheirAttributes)
{
    ui::AttributeContainer container;
    TextStyleBuilder::block(
        { BackgroundColor(ui::Color::yellow()), StrikethroughStyle(ui::LineStyle::single()),
            UnderlineStyle(ui::LineStyle::single()), TextKerning(1.5), TextTracking(2) })
        .collectAttributes(container);
    EXPECT_EQ(container.value<ui::BackgroundColorAttribute>(), ui::Color::yellow());
    EXPECT_EQ(container.value<ui::StrikethroughStyleAttribute>(), ui::LineStyle::single());
    EXPECT_EQ(container.value<ui::UnderlineStyleAttribute>(), ui::LineStyle::single());
    EXPECT_EQ(container.value<ui::KernAttribute>(), 1.5);
    EXPECT_EQ(container.value<ui::TrackingAttribute>(), 2);
    TextStyleBuilder::block(
        { BackgroundColor(std::nullopt), StrikethroughStyle(std::nullopt), UnderlineStyle(std::nullopt),
            TextKerning(std::nullopt), TextTracking(std::nullopt) })
        .collectAttributes(container);
    EXPECT_TRUE(container.isEmpty());
}
