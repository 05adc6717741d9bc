#include "markdown/theme/textstyles.h"
#include "tests/markdown/theme/themeprobe.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

namespace {

FontProperties fontAfter(const AnyTextStyle &style)
{
    ui::AttributeContainer container;
    FontProperties().collectAttributes(container);
    style.collectAttributes(container);
    return *container.get<FontPropertiesAttribute>();
}

ui::View padded(const BlockConfiguration &c)
{
    return c.label.padding(7);
}

StyleUnderTest headingOf(int level)
{
    return [level](const Theme &theme, const ui::View &label) {
        return theme.heading(level).body({ label, {} });
    };
}

} // namespace

TEST(Theme, aHeadingBuilderChangesOnlyItsLevel)
{
    const Theme theme = Theme().heading2(padded);
    expectInsets(layOutStyle(theme, headingOf(2)), { 7, 7, 7, 7 });
    expectInsets(layOutStyle(theme, headingOf(1)), {});
    expectInsets(layOutStyle(theme, headingOf(3)), {});
    // The receiver is not changed.
    expectInsets(layOutStyle(Theme(), headingOf(2)), {});
}

TEST(Theme, theLaterOfTwoBuilderCallsOnOneSlotWins)
{
    const Theme theme = Theme()
                            .code({ FontWeight(FontProperties::Weight::Bold) })
                            .code({ FontStyle(FontProperties::Style::Italic) });
    const FontProperties code = fontAfter(theme.code());
    EXPECT_EQ(code.style, FontProperties::Style::Italic);
    EXPECT_EQ(code.weight, FontProperties::Weight::Regular) << "the first style is not kept";
    EXPECT_EQ(code.familyVariant, FontProperties::FamilyVariant::Normal);
}

TEST(Theme, textBackgroundColorIsWhatTheTextStyleAloneSets)
{
    struct Case
    {
        Theme theme;
        std::optional<ui::Color> expected;
    } cases[] = {
        { Theme(), std::nullopt },
        { Theme().text({ BackgroundColor(ui::Color::yellow()) }), ui::Color::yellow() },
        { Theme().text({ ForegroundColor(ui::Color::red()) }), std::nullopt },
        { Theme().text({ BackgroundColor(ui::Color::yellow()), FontSize(20) }), ui::Color::yellow() },
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.theme.textBackgroundColor(), c.expected);
}

TEST(Theme, markerBuildersTakeAReadyStyleOrABodyAndReplaceOnlyTheirSlot)
{
    int bodies = 0;
    const Theme base;
    const Theme dashed = base.bulletedListMarker(ListMarkers::dash());
    const Theme counted = base.numberedListMarker([&bodies](const ListMarkerConfiguration &) {
        ++bodies;
        return ui::View();
    });
    EXPECT_EQ(bodies, 0) << "a body runs only when a marker is drawn";
    counted.numberedListMarker().body({ 1, 4 });
    EXPECT_EQ(bodies, 1);
    // The other marker slots keep their defaults: a numbered marker is still text at
    // least 1.5 em (20 points) wide.
    const StyledBlock marker = layOutStyle(dashed, [](const Theme &t, const ui::View &) {
        return t.numberedListMarker().body({ 1, 3 });
    });
    EXPECT_EQ(marker.styled.width(), 20);
}

TEST(Theme, copiesShareStylesAndCarryThroughTheEnvironment)
{
    int calls = 0;
    const Theme theme = Theme().paragraph([&calls](const BlockConfiguration &c) {
        ++calls;
        return c.label;
    });
    const Theme copy = theme;
    copy.paragraph().body({ ui::View(), {} });
    theme.paragraph().body({ ui::View(), {} });
    EXPECT_EQ(calls, 2) << "both copies call the one shared function";

    std::optional<int> seen;
    ui::ViewTree tree(ui::EnvironmentReader([&seen](const ui::EnvironmentValues &env) {
        seen = int(env.get<ThemeKey>().heading(1).body({ ui::View(), {} }).isEmpty());
        return ui::View();
    }).modifier(markdownTheme(Theme().heading1([](const BlockConfiguration &) { return ui::Divider(); }))));
    tree.rebuild(100);
    EXPECT_EQ(seen, 0) << "the installed theme's heading reaches the views below";
}

TEST(Theme, theOlderLabelFormsStyleAsTheCurrentForms)
{
    const auto paddedLabel = [](const ui::View &label) { return label.padding(7); };
    const auto paddedCode = [](const CodeBlockConfiguration &c) { return c.label.padding(7); };
    const auto unchanged = [](const BlockConfiguration &c) { return c.label; };
    const auto withParagraph = [](Theme theme, BlockStyle<BlockConfiguration> style) {
        theme.setParagraph(std::move(style));
        return theme;
    };
    // Each older form beside the current form it stands for.
    const struct
    {
        const char *name;
        Theme older;
        Theme current;
        StyleUnderTest slot;
    } cases[] = {
        { "heading1", Theme().heading1(paddedLabel), Theme().heading1(padded), headingOf(1) },
        { "heading2", Theme().heading2(paddedLabel), Theme().heading2(padded), headingOf(2) },
        { "heading3", Theme().heading3(paddedLabel), Theme().heading3(padded), headingOf(3) },
        { "heading4", Theme().heading4(paddedLabel), Theme().heading4(padded), headingOf(4) },
        { "heading5", Theme().heading5(paddedLabel), Theme().heading5(padded), headingOf(5) },
        { "heading6", Theme().heading6(paddedLabel), Theme().heading6(padded), headingOf(6) },
        { "paragraph", Theme().paragraph(paddedLabel), Theme().paragraph(padded),
            blockStyle(&Theme::paragraph) },
        { "blockquote", Theme().blockquote(paddedLabel), Theme().blockquote(padded),
            blockStyle(&Theme::blockquote) },
        { "image", Theme().image(paddedLabel), Theme().image(padded), blockStyle(&Theme::image) },
        { "list", Theme().list(paddedLabel), Theme().list(padded), blockStyle(&Theme::list) },
        { "listItem", Theme().listItem(paddedLabel), Theme().listItem(padded), blockStyle(&Theme::listItem) },
        { "table", Theme().table(paddedLabel), Theme().table(padded), blockStyle(&Theme::table) },
        { "codeBlock", Theme().codeBlock(paddedLabel), Theme().codeBlock(paddedCode), codeBlockStyle() },
        { "styleOfALabelBody", withParagraph(Theme(), BlockStyle<BlockConfiguration>(paddedLabel)),
            Theme().paragraph(padded), blockStyle(&Theme::paragraph) },
        // Replaces the basic theme's paragraph, margins and all, with the bare label.
        { "styleWithoutBody", withParagraph(Theme::basic(), BlockStyle<BlockConfiguration>()),
            Theme::basic().paragraph(unchanged), blockStyle(&Theme::paragraph) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const StyledBlock older = layOutStyle(c.older, c.slot);
        const StyledBlock current = layOutStyle(c.current, c.slot);
        EXPECT_EQ(older.styled, current.styled);
        EXPECT_EQ(older.label, current.label);
        EXPECT_EQ(older.margin, current.margin);
    }
}

namespace {

// What the blockquote and paragraph slots of the theme in force make of a 40 × 10 box.
struct SlotSizes
{
    QSizeF blockquote;
    QSizeF paragraph;
};

ui::View recordSlots(SlotSizes *sizes)
{
    return ui::EnvironmentReader([sizes](const ui::EnvironmentValues &env) {
        const Theme &theme = env.get<ThemeKey>();
        const ui::View box = ui::View(ui::Color::blue()).frame(40, 10);
        ui::ViewTree quote(theme.blockquote().body({ box, {} }), env);
        quote.rebuild(800);
        ui::ViewTree paragraph(theme.paragraph().body({ box, {} }), env);
        paragraph.rebuild(800);
        sizes->blockquote = quote.contentSize();
        sizes->paragraph = paragraph.contentSize();
        return ui::View();
    });
}

} // namespace

TEST(BlockStyleModifier, replacesOnlyItsSlotAndOnlyBelowItself)
{
    SlotSizes inside, outside;
    const ui::View tree = ui::VStack({ recordSlots(&inside).modifier(markdownBlockStyle(&Theme::setBlockquote,
                                           [](const ui::View &label) { return label.padding(5); })),
        recordSlots(&outside) });
    ui::ViewTree laid(tree);
    laid.rebuild(800);
    EXPECT_EQ(inside.blockquote, QSizeF(50, 20)) << "the older form is given the label";
    EXPECT_EQ(outside.blockquote, QSizeF(79, 10)) << "the basic quote, indented 26 and 13";
    EXPECT_EQ(inside.paragraph, outside.paragraph) << "every other slot keeps its value";
}

TEST(BlockStyleModifier, aNearerThemeReplacesTheSlotButANearerSlotChangesOnlyThatThemesSlot)
{
    const auto padded = [](const BlockConfiguration &c) { return c.label.padding(3); };
    SlotSizes themeNearer, slotNearer;
    ui::ViewTree first(recordSlots(&themeNearer)
                           .modifier(markdownTheme(Theme()))
                           .modifier(markdownBlockStyle<BlockConfiguration>(&Theme::setBlockquote, padded)));
    first.rebuild(800);
    ui::ViewTree second(recordSlots(&slotNearer)
                            .modifier(markdownBlockStyle<BlockConfiguration>(&Theme::setBlockquote, padded))
                            .modifier(markdownTheme(Theme())));
    second.rebuild(800);
    EXPECT_EQ(themeNearer.blockquote, QSizeF(40, 10)) << "the whole theme replaced: the change is lost";
    EXPECT_EQ(slotNearer.blockquote, QSizeF(46, 16));
    EXPECT_EQ(slotNearer.paragraph, QSizeF(40, 10)) << "the rest is Theme()'s, not the basic theme's";
}

TEST(BlockStyleModifier, codeBlocksAndTheThematicBreakTakeTheirOwnForms)
{
    int codeLabels = 0;
    std::optional<bool> breakReplaced;
    const ui::View reader = ui::EnvironmentReader([&](const ui::EnvironmentValues &env) {
        const Theme &theme = env.get<ThemeKey>();
        theme.codeBlock().body({ std::nullopt, QStringLiteral("x"), ui::View() });
        breakReplaced = theme.thematicBreak().body().isEmpty();
        return ui::View();
    });
    ui::ViewTree tree(
        reader
            .modifier(markdownBlockStyle(&Theme::setCodeBlock,
                [&codeLabels](const ui::View &label) {
                    ++codeLabels;
                    return label;
                }))
            .modifier(markdownBlockStyle<void>(&Theme::setThematicBreak, [] { return ui::View(); })));
    tree.rebuild(100);
    EXPECT_EQ(codeLabels, 1);
    EXPECT_EQ(breakReplaced, true);
}
