#include "markdown/theme/builtinthemes_p.h"
#include "markdown/theme/tablestyles.h"

#include "ui/layout.h"
#include "ui/symbolimage.h"

namespace {

using namespace builtin;
using ui::Color;

// Each colour is made once, on first use, and shared by every copy of the theme; the
// pairs pick their member each time they are drawn.
const Color &textColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x060606FFu), Color::rgba(0xFBFBFCFFu));
    return color;
}
const Color &backgroundColor()
{
    static const Color color = Color::lightDark(Color::white(), Color::rgba(0x18191DFFu));
    return color;
}
const Color &secondaryBackgroundColor()
{
    static const Color color = Color::lightDark(Color::rgba(0xF7F7F9FFu), Color::rgba(0x25262AFFu));
    return color;
}
const Color &linkColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x2C65CFFFu), Color::rgba(0x4C8EF8FFu));
    return color;
}
const Color &borderColor()
{
    static const Color color = Color::lightDark(Color::rgba(0xE4E4E8FFu), Color::rgba(0x42444EFFu));
    return color;
}
const Color &dividerColor()
{
    static const Color color = Color::lightDark(Color::rgba(0xD0D0D3FFu), Color::rgba(0x333438FFu));
    return color;
}
const Color &secondaryTextColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x6B6E7BFFu), Color::rgba(0x9294A0FFu));
    return color;
}
const Color &tertiaryTextColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x6B6E7BFFu), Color::rgba(0x6D707DFFu));
    return color;
}
// The check box keeps its greys in both appearances.
const Color &checkboxColor()
{
    static const Color color = Color::rgba(0xB9B9BBFFu);
    return color;
}
const Color &checkboxBackgroundColor()
{
    static const Color color = Color::rgba(0xEEEEEFFFu);
    return color;
}

// Every level shares one chain; levels 1 and 2 add a bottom padding and a rule below.
Theme::Body<BlockConfiguration> heading(int level, std::initializer_list<AnyTextStyle> styles)
{
    const AnyTextStyle style = TextStyleBuilder::block(styles);
    return [level, style](const BlockConfiguration &c) {
        const bool ruled = level <= 2;
        ui::View chain = c.label;
        if (ruled)
            chain = chain.modifier(relativePadding(ui::Edge::bottom, em(0.3)));
        chain = chain.modifier(relativeLineSpacing(em(0.125)))
                    .modifier(markdownMargin(24.0, 16.0))
                    .modifier(markdownTextStyle(style));
        if (!ruled)
            return chain;
        return ui::VStack(
            ui::HorizontalAlignment::Leading, 0, { chain, ui::Divider().overlay(dividerColor()) });
    };
}

ui::View quoteBar()
{
    return ui::Shape::roundedRectangle(6, ui::RoundedCornerStyle::Continuous)
        .fill(borderColor())
        .modifier(relativeFrame(em(0.2), std::nullopt, ui::Alignment::center()));
}

Theme buildGitHub()
{
    return Theme()
        .text({ ForegroundColor(textColor()), BackgroundColor(backgroundColor()), FontSize(16) })
        .code({ monospaced(), FontSize(em(0.85)), BackgroundColor(secondaryBackgroundColor()) })
        .strong({ semibold() })
        .link({ ForegroundColor(linkColor()) })
        .heading1(heading(1, { semibold(), FontSize(em(2)) }))
        .heading2(heading(2, { semibold(), FontSize(em(1.5)) }))
        .heading3(heading(3, { semibold(), FontSize(em(1.25)) }))
        .heading4(heading(4, { semibold() }))
        .heading5(heading(5, { semibold(), FontSize(em(0.875)) }))
        .heading6(heading(6, { semibold(), FontSize(em(0.85)), ForegroundColor(tertiaryTextColor()) }))
        .paragraph([](const BlockConfiguration &c) {
            return c.label.fixedSize(false, true)
                .modifier(relativeLineSpacing(em(0.25)))
                .modifier(markdownMargin(0.0, 16.0));
        })
        .blockquote([](const BlockConfiguration &c) {
            return ui::HStack(ui::VerticalAlignment::Center, 0,
                { quoteBar(),
                    c.label.modifier(markdownTextStyle({ ForegroundColor(secondaryTextColor()) }))
                        .modifier(relativePadding(ui::Edge::horizontal, em(1))) })
                .fixedSize(false, true);
        })
        .codeBlock([](const CodeBlockConfiguration &c) {
            return ui::ScrollView(ui::Axis::Horizontal,
                c.label.fixedSize(false, true)
                    .modifier(relativeLineSpacing(em(0.225)))
                    .modifier(markdownTextStyle({ monospaced(), FontSize(em(0.85)) }))
                    .padding(16),
                true)
                .background(secondaryBackgroundColor())
                .clipShape(ui::Shape::roundedRectangle(6, ui::RoundedCornerStyle::Continuous))
                .modifier(markdownMargin(0.0, 16.0));
        })
        .listItem([](const BlockConfiguration &c) {
            return c.label.modifier(markdownMargin(em(0.25), std::nullopt));
        })
        .taskListMarker([](const TaskListMarkerConfiguration &c) {
            const ui::SymbolImage symbol = ui::SymbolImage(
                c.isCompleted ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"))
                                               .renderingMode(ui::SymbolRenderingMode::Hierarchical)
                                               .foregroundStyle(checkboxColor(), checkboxBackgroundColor())
                                               .imageScale(ui::ImageScale::Small);
            return ui::View(symbol).modifier(relativeFrame(em(1.5), ui::Alignment::trailing()));
        })
        .table([](const BlockConfiguration &c) {
            return c.label.fixedSize(false, true)
                .modifier(markdownTableBorderStyle(
                    TableBorderStyle(TableBorderSelector::allBorders(), borderColor(), 1.0)))
                .modifier(markdownTableBackgroundStyle(
                    TableBackgroundStyle::alternatingRows(backgroundColor(), secondaryBackgroundColor())))
                .modifier(markdownMargin(0.0, 16.0));
        })
        .tableCell([](const TableCellConfiguration &c) {
            return c.label.modifier(markdownTextStyle(tableCellWeight(c.row)))
                .fixedSize(false, true)
                .padding(ui::Edge::vertical, 6)
                .padding(ui::Edge::horizontal, 13)
                .modifier(relativeLineSpacing(em(0.25)));
        })
        .thematicBreak([] {
            return ui::Divider()
                .modifier(relativeFrame(std::nullopt, em(0.25), ui::Alignment::center()))
                .overlay(borderColor())
                .modifier(markdownMargin(24.0, 24.0));
        });
}

} // namespace

Theme Theme::gitHub()
{
    static const Theme theme = buildGitHub();
    return theme;
}
