#include "tests/markdown/theme/inlinedump.h"

#include "markdown/theme/fontproperties.h"

#include <QStringList>

namespace {

void describeFont(QStringList &parts, bool italic, ui::Font::Weight weight, bool monospaced, double size)
{
    if (italic)
        parts << QStringLiteral("italic");
    if (weight == ui::Font::Weight::Semibold)
        parts << QStringLiteral("semibold");
    else if (weight != ui::Font::Weight::Regular)
        parts << QStringLiteral("weight=%1").arg(int(weight));
    if (monospaced)
        parts << QStringLiteral("mono");
    if (size != FontProperties::defaultSize)
        parts << QStringLiteral("size=%1").arg(size);
}

} // namespace

QString describe(const ui::AttributeContainer &attributes)
{
    QStringList parts;
    if (const FontProperties *p = attributes.get<FontPropertiesAttribute>()) {
        describeFont(parts, p->style == FontProperties::Style::Italic, p->weight,
            p->familyVariant == FontProperties::FamilyVariant::Monospaced, p->scaledSize());
    }
    if (const ui::Font *font = attributes.get<ui::FontAttribute>())
        describeFont(parts, font->isItalic(), font->weightValue(), font->isMonospaced(), font->size());
    if (attributes.contains<ui::StrikethroughStyleAttribute>())
        parts << QStringLiteral("strike");
    if (const QUrl *link = attributes.get<ui::LinkAttribute>())
        parts << QStringLiteral("link=") + link->toString(QUrl::FullyEncoded);
    return parts.join(u',');
}

QString dump(const ui::AttributedText &text)
{
    QStringList runs;
    for (const ui::AttributedRun &run : text.runs()) {
        QString escaped = run.text;
        escaped.replace(u'\n', QStringLiteral("\\n"));
        const QString attributes = describe(run.attributes);
        runs << u'"' + escaped + u'"' + (attributes.isEmpty() ? QString() : u'{' + attributes + u'}');
    }
    return runs.join(u' ');
}

QString dump(const ui::Text &text)
{
    QStringList pieces;
    for (const ui::Text::Piece &piece : text.pieces()) {
        if (const auto *attributed = std::get_if<ui::AttributedText>(&piece)) {
            pieces << dump(*attributed);
        } else {
            const QImage &image = std::get<ui::Image>(piece).image();
            pieces << QStringLiteral("image(%1x%2)").arg(image.width()).arg(image.height());
        }
    }
    return pieces.join(QStringLiteral(" | "));
}
