#include "markdown/theme/fontproperties.h"
#include "markdown/theme/relativesize.h"

#include "ui/text.h"

#include <gtest/gtest.h>

using Weight = FontProperties::Weight;
using Width = FontProperties::Width;

namespace {
FontProperties sized(double size, double scale)
{
    FontProperties properties;
    properties.size = size;
    properties.scale = scale;
    return properties;
}
} // namespace

TEST(FontProperties, defaultsAreTheSystemFamilyAtThirteenPoints)
{
    const FontProperties properties;
    EXPECT_EQ(properties.family, FontProperties::Family::system());
    EXPECT_EQ(properties.familyVariant, FontProperties::FamilyVariant::Normal);
    EXPECT_EQ(properties.capsVariant, FontProperties::CapsVariant::Normal);
    EXPECT_EQ(properties.digitVariant, FontProperties::DigitVariant::Normal);
    EXPECT_EQ(properties.style, FontProperties::Style::Normal);
    EXPECT_EQ(properties.weight, Weight::Regular);
    EXPECT_EQ(properties.width(), Width::Standard);
    EXPECT_FALSE(properties.hasWidth());
    EXPECT_EQ(properties.size, 13);
    EXPECT_EQ(properties.scale, 1);
    EXPECT_EQ(properties.scaledSize(), 13);
}

TEST(FontProperties, scaledSizeRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(sized(11, 1.5).scaledSize(), 17) << "16.5 goes up, not to even";
    EXPECT_EQ(sized(25, 0.5).scaledSize(), 13) << "12.5 goes up";
    EXPECT_EQ(sized(13, 0.94).scaledSize(), 12);
    EXPECT_EQ(sized(13, 0.83).scaledSize(), 11);
    EXPECT_EQ(sized(13, 1.17).scaledSize(), 15);
    EXPECT_EQ(sized(13, 2).scaledSize(), 26);
}

TEST(FontProperties, aSetStandardWidthDiffersFromAnUnsetOne)
{
    FontProperties withWidth;
    withWidth.setWidth(Width::Standard);
    EXPECT_NE(withWidth, FontProperties());
    EXPECT_NE(qHash(withWidth), qHash(FontProperties()));
    EXPECT_EQ(fontWithProperties(withWidth), fontWithProperties(FontProperties())) << "but resolves alike";

    using F = FontProperties;
    const F withoutArgument(F::Family::system(), F::FamilyVariant::Normal, F::CapsVariant::Normal,
        F::DigitVariant::Normal, F::Style::Normal, Weight::Regular, 13, 1);
    EXPECT_EQ(withoutArgument, FontProperties());
    EXPECT_EQ(qHash(withoutArgument), qHash(FontProperties()));
    const F withArgument(F::Family::system(), F::FamilyVariant::Normal, F::CapsVariant::Normal,
        F::DigitVariant::Normal, F::Style::Normal, Weight::Regular, Width::Standard, 13, 1);
    EXPECT_NE(withArgument, FontProperties());
}

TEST(FontProperties, familiesCompareByKindAndCaseSensitiveName)
{
    using Family = FontProperties::Family;
    EXPECT_NE(Family::custom(QStringLiteral("Menlo")), Family::custom(QStringLiteral("menlo")));
    EXPECT_NE(Family::system(), Family::custom(QString()));
    EXPECT_NE(Family::system(FontProperties::Design::Serif), Family::system());
    EXPECT_NE(sized(13, 1), sized(13, 1.0000001)) << "different values, one point size";
    EXPECT_EQ(sized(13, 1).scaledSize(), sized(13, 1.0000001).scaledSize());
}

TEST(FontProperties, asATextStyleWritesTheWholeDescription)
{
    ui::AttributeContainer container;
    FontProperties first = sized(20, 2);
    first.setWidth(Width::Condensed);
    first.collectAttributes(container);
    ASSERT_TRUE(container.get<FontPropertiesAttribute>());
    EXPECT_EQ(*container.get<FontPropertiesAttribute>(), first);

    FontProperties().collectAttributes(container);
    EXPECT_EQ(*container.get<FontPropertiesAttribute>(), FontProperties());
    EXPECT_FALSE(container.get<FontPropertiesAttribute>()->hasWidth())
        << "an unset width removes the one set";
}

TEST(FontResolution, defaultIsTheSystemFontAtThirteenWithoutModifiers)
{
    const ui::Font font = fontWithProperties(FontProperties());
    EXPECT_EQ(font, ui::Font::system(13));
    const QFont request = font.toQFont();
    EXPECT_EQ(request.pixelSize(), 13);
    EXPECT_EQ(request.weight(), QFont::Normal);
    EXPECT_FALSE(request.italic());
    EXPECT_EQ(request.stretch(), int(QFont::Unstretched));
}

TEST(FontResolution, customFamilyKeepsItsNameAndSize)
{
    FontProperties properties = sized(12, 1);
    properties.family = FontProperties::Family::custom(QStringLiteral("DejaVu Serif"));
    properties.weight = Weight::Bold;
    const ui::Font font = fontWithProperties(properties);
    EXPECT_EQ(font, ui::Font::custom(QStringLiteral("DejaVu Serif"), 12).weight(Weight::Bold));
    EXPECT_EQ(font.toQFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(font.toQFont().pixelSize(), 12);
}

TEST(FontResolution, monospacedSemiboldItalicAndScaledSizes)
{
    FontProperties properties = sized(11, 1.5);
    properties.familyVariant = FontProperties::FamilyVariant::Monospaced;
    properties.weight = Weight::Semibold;
    properties.style = FontProperties::Style::Italic;
    const ui::Font font = fontWithProperties(properties);
    EXPECT_EQ(font, ui::Font::system(17).monospaced().weight(Weight::Semibold).italic());
    const QFont request = font.toQFont();
    EXPECT_EQ(request.pixelSize(), 17);
    EXPECT_EQ(request.styleHint(), QFont::Monospace);
    EXPECT_EQ(request.weight(), QFont::DemiBold);
    EXPECT_TRUE(request.italic());
    EXPECT_EQ(fontWithProperties(sized(13, 0.94)).size(), 12);
}

TEST(FontResolution, everyWeightMapsToItsQtWeight)
{
    const std::pair<Weight, QFont::Weight> table[] = {
        { Weight::UltraLight, QFont::Thin },
        { Weight::Thin, QFont::ExtraLight },
        { Weight::Light, QFont::Light },
        { Weight::Regular, QFont::Normal },
        { Weight::Medium, QFont::Medium },
        { Weight::Semibold, QFont::DemiBold },
        { Weight::Bold, QFont::Bold },
        { Weight::Heavy, QFont::ExtraBold },
        { Weight::Black, QFont::Black },
    };
    for (const auto &[weight, expected] : table) {
        FontProperties properties;
        properties.weight = weight;
        EXPECT_EQ(fontWithProperties(properties).toQFont().weight(), expected) << int(weight);
    }
}

TEST(FontResolution, everyWidthMapsToAStretchAndStandardAddsNone)
{
    const std::pair<Width, int> table[] = {
        { Width::Compressed, QFont::ExtraCondensed },
        { Width::Condensed, QFont::Condensed },
        { Width::Standard, QFont::Unstretched },
        { Width::Expanded, QFont::Expanded },
    };
    for (const auto &[width, expected] : table) {
        FontProperties properties;
        properties.setWidth(width);
        EXPECT_EQ(fontWithProperties(properties).toQFont().stretch(), expected) << int(width);
    }
}

TEST(FontResolution, everyDesignPicksAFamilyHint)
{
    using Design = FontProperties::Design;
    FontProperties properties;
    properties.family = FontProperties::Family::system(Design::Serif);
    EXPECT_EQ(fontWithProperties(properties).toQFont().styleHint(), QFont::Serif);
    properties.family = FontProperties::Family::system(Design::Monospaced);
    EXPECT_EQ(fontWithProperties(properties).toQFont().styleHint(), QFont::Monospace);
    properties.family = FontProperties::Family::system(Design::Rounded);
    EXPECT_EQ(fontWithProperties(properties).design(), Design::Rounded) << "kept in the description";
    EXPECT_EQ(fontWithProperties(properties).toQFont().styleHint(), QFont::SansSerif);
    properties.family = FontProperties::Family::system(Design::Default);
    EXPECT_EQ(fontWithProperties(properties).toQFont().styleHint(), QFont::SansSerif);
}

TEST(FontResolution, variantsWithoutAFeatureSwitchStayInTheDescriptionOnly)
{
    FontProperties properties;
    properties.capsVariant = FontProperties::CapsVariant::UppercaseSmallCaps;
    properties.digitVariant = FontProperties::DigitVariant::Monospaced;
    const ui::Font font = fontWithProperties(properties);
    EXPECT_EQ(font.caps(), ui::Font::Caps::UppercaseSmallCaps);
    EXPECT_TRUE(font.hasMonospacedDigits());
    EXPECT_EQ(font.toQFont().capitalization(), QFont::MixedCase);

    properties.capsVariant = FontProperties::CapsVariant::LowercaseSmallCaps;
    EXPECT_EQ(fontWithProperties(properties).toQFont().capitalization(), QFont::SmallCaps);
}

TEST(FontResolution, runsWithPropertiesGetTheirFontAndOthersKeepTheirAttributes)
{
    FontProperties a = sized(20, 1);
    a.weight = Weight::Bold;
    ui::AttributeContainer withA;
    withA.set<FontPropertiesAttribute>(a);
    ui::AttributeContainer plain;
    plain.set<ui::ForegroundColorAttribute>(ui::Color::red());
    ui::AttributedText text(QStringLiteral("one"), withA);
    text.append(QStringLiteral("two"), plain);
    text.append(QStringLiteral("three"), withA);
    const ui::AttributedText before = text;

    const ui::AttributedText resolved = resolveFontProperties(text);
    EXPECT_EQ(text, before) << "the input is unchanged";
    ASSERT_EQ(resolved.runs().size(), 3u);
    for (size_t i : { 0u, 2u }) {
        EXPECT_FALSE(resolved.runs()[i].attributes.contains<FontPropertiesAttribute>());
        EXPECT_EQ(resolved.runs()[i].attributes.value<ui::FontAttribute>(), fontWithProperties(a));
    }
    EXPECT_EQ(resolved.runs()[1].attributes, plain);

    ui::AttributedText none(QStringLiteral("plain"), plain);
    EXPECT_EQ(resolveFontProperties(none), none);
}

TEST(RelativeSize, convertsAgainstTheFontInForceRoundingHalvesAwayFromZero)
{
    EXPECT_EQ(RelativeSize::em(1).points(nullptr), 13);
    EXPECT_EQ(RelativeSize::em(0.15).points(nullptr), 2);
    EXPECT_EQ(RelativeSize::rem(1.5).points(nullptr), 20);
    EXPECT_EQ(RelativeSize::em(0.5).points(nullptr), 7);
    EXPECT_EQ(RelativeSize::em(-0.5).points(nullptr), -7);

    const FontProperties doubled = sized(13, 2);
    EXPECT_EQ(RelativeSize::em(1).points(&doubled), 26);
    EXPECT_EQ(RelativeSize::rem(1).points(&doubled), 13);

    const FontProperties code = sized(13, 0.94);
    EXPECT_EQ(RelativeSize::em(0.5).points(&code), 6) << "em measures from the rounded 12 points";
    EXPECT_EQ(RelativeSize::rem(0.5).points(&code), 7);
    EXPECT_EQ(RelativeSize::em(0.15).points(code), 2);

    EXPECT_EQ(RelativeSize::zero().points(&doubled), 0);
    EXPECT_NE(RelativeSize::zero(), RelativeSize::em(0));
    EXPECT_EQ(RelativeSize::em(0), RelativeSize::em(-0.0));
    EXPECT_EQ(qHash(RelativeSize::em(0)), qHash(RelativeSize::em(-0.0)));
}
