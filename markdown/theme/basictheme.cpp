#include "markdown/theme/builtinthemes_p.h"

namespace {

using namespace builtin;
using ui::Edge::horizontal;
using ui::Edge::leading;
using ui::Edge::trailing;
using ui::Edge::vertical;

AnyTextStyle monospacedCode()
{
    return TextStyleBuilder::block({ monospaced(), FontSize(em(0.94)) });
}

Theme::Body<BlockConfiguration> heading(double scale)
{
    return [scale](const BlockConfiguration &c) {
        return c.label.modifier(markdownMargin(rem(1.5), rem(1)))
            .modifier(markdownTextStyle({ semibold(), FontSize(em(scale)) }));
    };
}

Theme buildBasic()
{
    return Theme()
        .code({ monospacedCode() })
        .heading1(heading(2))
        .heading2(heading(1.5))
        .heading3(heading(1.17))
        .heading4(heading(1))
        .heading5(heading(0.83))
        .heading6(heading(0.67))
        .paragraph([](const BlockConfiguration &c) {
            return c.label.fixedSize(false, true)
                .modifier(relativeLineSpacing(em(0.15)))
                .modifier(markdownMargin(RelativeSize::zero(), em(1)));
        })
        .blockquote([](const BlockConfiguration &c) {
            return c.label.modifier(markdownTextStyle({ FontStyle(FontProperties::Style::Italic) }))
                .modifier(relativePadding(leading, em(2)))
                .modifier(relativePadding(trailing, em(1)));
        })
        .codeBlock([](const CodeBlockConfiguration &c) {
            return ui::ScrollView(ui::Axis::Horizontal,
                c.label.fixedSize(false, true)
                    .modifier(relativeLineSpacing(em(0.15)))
                    .modifier(relativePadding(leading, rem(1)))
                    .modifier(markdownTextStyle(monospacedCode())),
                true)
                .modifier(markdownMargin(RelativeSize::zero(), em(1)));
        })
        .table([](const BlockConfiguration &c) {
            return c.label.fixedSize(false, true).modifier(markdownMargin(RelativeSize::zero(), em(1)));
        })
        .tableCell([](const TableCellConfiguration &c) {
            return c.label.modifier(markdownTextStyle(tableCellWeight(c.row)))
                .fixedSize(false, true)
                .modifier(relativeLineSpacing(em(0.15)))
                .modifier(relativePadding(horizontal, em(0.72)))
                .modifier(relativePadding(vertical, em(0.35)));
        })
        .thematicBreak([] { return ui::Divider().modifier(markdownMargin(em(2), em(2))); });
}

} // namespace

Theme Theme::basic()
{
    static const Theme theme = buildBasic();
    return theme;
}
