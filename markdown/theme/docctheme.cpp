#include "markdown/theme/builtinthemes_p.h"
#include "markdown/theme/tablestyles.h"

namespace {

using namespace builtin;
using ui::Color;

// Made once, on first use; each pair picks its member each time it is drawn.
const Color &textColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x1D1D1FFFu), Color::rgba(0xF5F5F7FFu));
    return color;
}
const Color &linkColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x0066CCFFu), Color::rgba(0x2997FFFFu));
    return color;
}
const Color &quoteFillColor()
{
    static const Color color = Color::lightDark(Color::rgba(0xF5F5F7FFu), Color::rgba(0x323232FFu));
    return color;
}
const Color &quoteBorderColor()
{
    static const Color color = Color::lightDark(Color::rgba(0x696969FFu), Color::rgba(0x9A9A9EFFu));
    return color;
}
const Color &codeBackgroundColor()
{
    static const Color color = Color::lightDark(Color::rgba(0xF5F5F7FFu), Color::rgba(0x333336FFu));
    return color;
}
const Color &ruleColor()
{
    static const Color color = Color::lightDark(Color::rgba(0xD2D2D7FFu), Color::rgba(0x424245FFu));
    return color;
}

ui::Shape panel()
{
    return ui::Shape::roundedRectangle(15, ui::RoundedCornerStyle::Continuous);
}

// Levels 2 to 6: their own line spacing, and 1.6 em above, both in the heading's size.
Theme::Body<BlockConfiguration> heading(double lineSpacing, std::initializer_list<AnyTextStyle> styles)
{
    const AnyTextStyle style = TextStyleBuilder::block(styles);
    return [lineSpacing, style](const BlockConfiguration &c) {
        return c.label.modifier(relativeLineSpacing(em(lineSpacing)))
            .modifier(markdownMargin(em(1.6), RelativeSize::zero()))
            .modifier(markdownTextStyle(style));
    };
}

Theme buildDocC()
{
    return Theme()
        .text({ ForegroundColor(textColor()) })
        .link({ ForegroundColor(linkColor()) })
        .heading1([](const BlockConfiguration &c) {
            return c.label.modifier(markdownMargin(em(0.8), RelativeSize::zero()))
                .modifier(markdownTextStyle({ semibold(), FontSize(em(2)) }));
        })
        .heading2(heading(0.0625, { semibold(), FontSize(em(1.88235)) }))
        .heading3(heading(0.07143, { semibold(), FontSize(em(1.64706)) }))
        .heading4(heading(0.083335, { semibold(), FontSize(em(1.41176)) }))
        .heading5(heading(0.09091, { semibold(), FontSize(em(1.29412)) }))
        .heading6(heading(0.235295, { semibold() }))
        .paragraph([](const BlockConfiguration &c) {
            return c.label.fixedSize(false, true)
                .modifier(relativeLineSpacing(em(0.235295)))
                .modifier(markdownMargin(em(0.8), RelativeSize::zero()));
        })
        .blockquote([](const BlockConfiguration &c) {
            const ui::View box = ui::ZStack(ui::Alignment::center(),
                { panel().fill(quoteFillColor()), panel().strokeBorder(quoteBorderColor()) });
            return c.label.modifier(relativePadding(ui::Edge::all, rem(0.94118)))
                .frame(ui::FlexibleFrame().withMaxWidth(ui::infinity).withAlignment(ui::Alignment::leading()))
                .background(box, ui::Alignment::center())
                .modifier(markdownMargin(em(1.6), RelativeSize::zero()));
        })
        .codeBlock([](const CodeBlockConfiguration &c) {
            return ui::ScrollView(ui::Axis::Horizontal,
                c.label.fixedSize(false, true)
                    .modifier(relativeLineSpacing(em(0.333335)))
                    .modifier(markdownTextStyle({ monospaced(), FontSize(rem(0.88235)) }))
                    .padding(ui::Edge::vertical, 8)
                    .padding(ui::Edge::leading, 14),
                true)
                .background(codeBackgroundColor())
                .clipShape(panel())
                .modifier(markdownMargin(em(0.8), RelativeSize::zero()));
        })
        .image([](const BlockConfiguration &c) {
            return c.label
                .frame(ui::FlexibleFrame().withMaxWidth(ui::infinity).withAlignment(ui::Alignment::center()))
                .modifier(markdownMargin(em(1.6), em(1.6)));
        })
        .listItem([](const BlockConfiguration &c) {
            return c.label.modifier(markdownMargin(em(0.8), std::nullopt));
        })
        .taskListMarker([](const TaskListMarkerConfiguration &) {
            return ListBullet(QStringLiteral("circle.fill"))
                .modifier(relativeFrame(em(1.5), ui::Alignment::trailing()));
        })
        .table([](const BlockConfiguration &c) {
            return c.label.fixedSize(false, true)
                .modifier(markdownTableBorderStyle(
                    TableBorderStyle(TableBorderSelector::horizontalBorders(), ruleColor(), 1.0)))
                .modifier(markdownMargin(em(1.6), RelativeSize::zero()));
        })
        .tableCell([](const TableCellConfiguration &c) {
            return c.label.modifier(markdownTextStyle(tableCellWeight(c.row)))
                .fixedSize(false, true)
                .modifier(relativeLineSpacing(em(0.235295)))
                .modifier(relativePadding(ui::Edge::all, rem(0.58824)));
        })
        .thematicBreak(
            [] { return ui::Divider().overlay(ruleColor()).modifier(markdownMargin(em(2.35), em(2.35))); });
}

} // namespace

Theme Theme::docC()
{
    static const Theme theme = buildDocC();
    return theme;
}
