#include "markdown/theme/liststyles.h"

#include "markdown/theme/relativemodifiers.h"
#include "markdown/theme/textstyleattributesreader.h"

#include "ui/symbolimage.h"
#include "ui/text.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

ui::View markerFrame(const ui::View &marker)
{
    return marker.modifier(relativeFrame(RelativeSize::em(1.5), ui::Alignment::trailing()));
}

ListMarkerStyle textMarker(std::function<QString(const ListMarkerConfiguration &)> text, bool tabularDigits)
{
    return ListMarkerStyle([text = std::move(text), tabularDigits](const ListMarkerConfiguration &c) {
        const QString marker = text(c);
        ui::View view = ui::Text(marker);
        if (tabularDigits) {
            view = ui::EnvironmentReader([marker](const ui::EnvironmentValues &env) {
                return ui::Text(marker).view().font(
                    env.get<ui::FontKey>().value_or(ui::Font()).monospacedDigit());
            });
        }
        return markerFrame(view);
    });
}

ListMarkerStyle bulletMarker(const QString &symbolName)
{
    return ListMarkerStyle(
        [symbolName](const ListMarkerConfiguration &) { return markerFrame(ListBullet(symbolName)); });
}

} // namespace

ui::View ListBullet(const QString &symbolName)
{
    return FontPropertiesReader([symbolName](const FontProperties *properties) {
        const double textSize = properties ? properties->scaledSize() : FontProperties::defaultSize;
        const double bulletSize = std::round(textSize / 3);
        return ui::View(ui::SymbolImage(symbolName)).font(ui::Font::system(bulletSize));
    });
}

QString romanNumeral(int number)
{
    if (number < 1 || number > 3999)
        return QString::number(number);
    static const std::array<std::pair<int, const char *>, 13> numerals { { { 1000, "M" }, { 900, "CM" },
        { 500, "D" }, { 400, "CD" }, { 100, "C" }, { 90, "XC" }, { 50, "L" }, { 40, "XL" }, { 10, "X" },
        { 9, "IX" }, { 5, "V" }, { 4, "IV" }, { 1, "I" } } };
    QString result;
    for (const auto &[value, letters] : numerals) {
        while (number >= value) {
            result += QLatin1String(letters);
            number -= value;
        }
    }
    return result;
}

ListMarkerStyle ListMarkers::decimal()
{
    return textMarker(
        [](const ListMarkerConfiguration &c) { return QStringLiteral("%1.").arg(c.itemNumber); }, true);
}

ListMarkerStyle ListMarkers::upperRoman()
{
    return textMarker(
        [](const ListMarkerConfiguration &c) { return romanNumeral(c.itemNumber) + u'.'; }, false);
}

ListMarkerStyle ListMarkers::lowerRoman()
{
    return textMarker(
        [](const ListMarkerConfiguration &c) { return romanNumeral(c.itemNumber).toLower() + u'.'; }, false);
}

ListMarkerStyle ListMarkers::dash()
{
    return textMarker([](const ListMarkerConfiguration &) { return QStringLiteral("-"); }, false);
}

ListMarkerStyle ListMarkers::disc()
{
    return bulletMarker(QStringLiteral("circle.fill"));
}

ListMarkerStyle ListMarkers::circle()
{
    return bulletMarker(QStringLiteral("circle"));
}

ListMarkerStyle ListMarkers::square()
{
    return bulletMarker(QStringLiteral("square.fill"));
}

ListMarkerStyle ListMarkers::discCircleSquare()
{
    return ListMarkerStyle([](const ListMarkerConfiguration &c) {
        static const std::array<ListMarkerStyle, 3> byLevel { disc(), circle(), square() };
        const int level = std::clamp(c.listLevel, 1, 3);
        return byLevel[size_t(level - 1)].body(c);
    });
}

TaskListMarkerStyle TaskListMarkers::checkmarkSquare()
{
    return TaskListMarkerStyle([](const TaskListMarkerConfiguration &c) {
        const ui::SymbolImage symbol = ui::SymbolImage(
            c.isCompleted ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"))
                                           .renderingMode(ui::SymbolRenderingMode::Hierarchical)
                                           .imageScale(ui::ImageScale::Small);
        return markerFrame(symbol);
    });
}
