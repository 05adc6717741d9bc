#include "markdown/views/listitemsequence.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/theme.h"
#include "markdown/views/blocksequence.h"
#include "markdown/views/blockview.h"
#include "markdown/views/markdownenvironment.h"

#include "ui/layout.h"

#include <algorithm>
#include <limits>

namespace {

// Numbers past the marker's range (a start built in code beyond what a document can
// write) stop at its ends rather than wrap around.
int markerNumber(qint64 number)
{
    return int(std::clamp<qint64>(number, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

void ColumnWidthPreference::reduce(Value &value, const Value &next)
{
    for (const auto &[column, width] : next) {
        const auto [it, inserted] = value.emplace(column, width);
        if (!inserted)
            it->second = std::max(it->second, width);
    }
}

ui::View ListItemSequence(const QList<RawListItem> &items, qint64 start, const ListMarkerStyle &markerStyle,
    std::optional<double> markerWidth)
{
    return BlockSequence(items, [start, markerStyle, markerWidth](qsizetype i, const RawListItem &item) {
        return ListItemView(item, start + i, markerStyle, markerWidth);
    });
}

ui::View ListItemView(const RawListItem &item, qint64 number, const ListMarkerStyle &markerStyle,
    std::optional<double> markerWidth)
{
    return ui::EnvironmentReader([item, number, markerStyle, markerWidth](const ui::EnvironmentValues &env) {
        const ListMarkerConfiguration configuration { env.get<ListLevelKey>(), markerNumber(number) };
        // Measured before the frame: a framed marker reporting the frame's width would
        // keep the column from ever narrowing.
        ui::View marker = markerStyle.body(configuration)
                              .modifier(textStyleFont())
                              .idealSizePreference<ColumnWidthPreference>([](QSizeF size) {
                                  return ColumnWidthPreference::Value { { 0, size.width() } };
                              });
        if (markerWidth)
            marker = marker.frame(*markerWidth, std::nullopt, ui::Alignment::trailing());
        return ListItemBody(env, item.children, marker);
    });
}

ui::View ListBody(
    const ui::EnvironmentValues &env, const ui::View &items, bool isTight, const BlockNode &block)
{
    const ui::View label = items.environment<ListLevelKey>(env.get<ListLevelKey>() + 1)
                               .environment<TightSpacingEnabledKey>(isTight);
    return env.get<ThemeKey>().list().body(BlockConfiguration { label, MarkdownContent({ block }) });
}

ui::View ListItemBody(
    const ui::EnvironmentValues &env, const QList<BlockNode> &children, const ui::View &marker)
{
    return env.get<ThemeKey>().listItem().body(
        BlockConfiguration { ui::Label(BlockSequence(children), marker), MarkdownContent(children) });
}
