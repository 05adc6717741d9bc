#include "preview/simplifiedtableplaceholderview.h"

#include "ui/layout.h"
#include "ui/symbolimage.h"
#include "ui/text.h"

#include <limits>

namespace {

using ui::Color;
using ui::Font;
using ui::RoundedCornerStyle;
using ui::Shape;

constexpr double infinity = std::numeric_limits<double>::infinity();

ui::View headerRow(const std::function<void()> &onOpenExternally)
{
    std::vector<ui::View> items {
        ui::View(ui::SymbolImage(QStringLiteral("info.circle.fill")))
            .font(Font::system(13, Font::Weight::Semibold))
            .foregroundColor(Color::orange()),
        ui::Text(QStringLiteral("PREVIEW SIMPLIFIED"))
            .view()
            .font(Font::system(11, Font::Weight::Semibold))
            .foregroundColor(Color::primary()),
        ui::Spacer(12),
    };
    if (onOpenExternally) {
        const ui::View label = ui::Label(ui::Text(QStringLiteral("Open Externally")),
            ui::SymbolImage(QStringLiteral("arrow.up.right.square")))
                                   .font(Font::system(10, Font::Weight::Medium))
                                   .foregroundColor(Color::secondary())
                                   .padding(ui::EdgeInsets { 4, 8, 4, 8 })
                                   .background(Shape::roundedRectangle(4, RoundedCornerStyle::Continuous)
                                                   .fill(Color::ultraThinMaterial()));
        items.push_back(ui::Button(label, onOpenExternally)
                            .help(QStringLiteral("Open note in the default app"))
                            .accessibilityLabel(QStringLiteral("Open note externally"))
                            .tag(SimplifiedTablePlaceholderView::openButtonTag()));
    }
    return ui::HStack(ui::VerticalAlignment::Center, 8, std::move(items));
}

// The kept lines as written: never wrapped or cut, scrolled sideways when wider than
// the card.
ui::View sourceView(const QString &text)
{
    const ui::View lines = ui::Text(text)
                               .view()
                               .font(Font::system(12, Font::Weight::Regular, Font::Design::Monospaced))
                               .foregroundColor(Color::primary())
                               .fixedSize()
                               .padding(12);
    return ui::ScrollView(ui::Axis::Horizontal, lines, true)
        .frame(ui::FlexibleFrame().withMaxWidth(infinity).withAlignment(ui::Alignment::leading()))
        .background(ui::View(Color::textBackground().opacity(0.5)))
        .clipShape(Shape::roundedRectangle(6, RoundedCornerStyle::Continuous))
        .tag(SimplifiedTablePlaceholderView::sourceTag());
}

} // namespace

SimplifiedTablePlaceholderView::SimplifiedTablePlaceholderView(
    LargeTablePreviewSimplifier::SimplifiedTable table, std::function<void()> onOpenExternally)
    : m_table(std::move(table))
    , m_onOpenExternally(std::move(onOpenExternally))
{ }

QString SimplifiedTablePlaceholderView::previewText(
    const QStringList &previewLines, qsizetype omittedBodyRows)
{
    QStringList lines = previewLines;
    if (omittedBodyRows >= 1)
        lines.append(QStringLiteral("... %1 more rows omitted ...").arg(qlonglong(omittedBodyRows)));
    return lines.join(u'\n');
}

QString SimplifiedTablePlaceholderView::countsText(const LargeTablePreviewSimplifier::Summary &summary)
{
    return QStringLiteral("%1 body rows, %2 columns, %3 body cells.")
        .arg(qlonglong(summary.bodyRows))
        .arg(qlonglong(summary.columns))
        .arg(qlonglong(summary.bodyCells));
}

QString SimplifiedTablePlaceholderView::openButtonTag()
{
    return QStringLiteral("simplifiedTable.openExternally");
}

QString SimplifiedTablePlaceholderView::sourceTag()
{
    return QStringLiteral("simplifiedTable.source");
}

ui::View SimplifiedTablePlaceholderView::view() const
{
    const Shape card = Shape::roundedRectangle(8, RoundedCornerStyle::Continuous);
    const Color orange = Color::orange();
    return ui::VStack(ui::HorizontalAlignment::Leading, 10,
        {
            headerRow(m_onOpenExternally),
            ui::Text(QStringLiteral("Quorvane simplified this large table to keep the preview responsive."))
                .view()
                .font(Font::system(12))
                .foregroundColor(Color::secondary()),
            ui::Text(countsText(m_table.summary))
                .view()
                .font(Font::system(12, Font::Weight::Medium))
                .foregroundColor(Color::primary()),
            sourceView(previewText(m_table.previewLines, m_table.omittedBodyRows)),
        })
        .padding(12)
        .background(card.fill(orange.opacity(0.1)))
        .overlay(card.stroke(orange.opacity(0.24), ui::StrokeStyle {}))
        .overlay(ui::View(orange.opacity(0.55)).frame(3, std::nullopt), ui::Alignment::leading())
        .clipShape(card)
        .accessibilityRole(ui::AccessibleRole::Group);
}
