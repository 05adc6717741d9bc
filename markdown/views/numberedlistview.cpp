#include "markdown/views/numberedlistview.h"

#include "markdown/theme/theme.h"
#include "markdown/views/listitemsequence.h"

#include <algorithm>

ui::View NumberedListView(bool isTight, qint64 start, const QList<RawListItem> &items)
{
    using MarkerWidth = std::optional<double>;
    // Markers take their own widths until they have reported them; then all of them are
    // framed to the widest and the numbers line up on their trailing edge. The reported
    // widths do not change with the frame, so this settles after one pass. That pass
    // is thrown away, so its items hold their markers alone: building and measuring
    // their content there would be done again in the pass that is kept. An item that
    // may hold a list keeps its content, so nested lists settle in the same pass as
    // before rather than one pass per level.
    QList<RawListItem> markersOnly;
    markersOnly.reserve(items.size());
    for (const RawListItem &item : items) {
        const bool mayHoldList
            = std::any_of(item.children.begin(), item.children.end(), [](const BlockNode &child) {
                  const BlockNode::Kind kind = child.kind();
                  return kind == BlockNode::Kind::Blockquote || kind == BlockNode::Kind::BulletedList
                      || kind == BlockNode::Kind::NumberedList || kind == BlockNode::Kind::TaskList;
              });
        markersOnly.append(mayHoldList ? item : RawListItem());
    }
    return ui::withState<MarkerWidth>(
        std::nullopt, [isTight, start, items, markersOnly](ui::State<MarkerWidth> markerWidth) {
            return ui::EnvironmentReader([isTight, start, items, markersOnly, markerWidth](
                                             const ui::EnvironmentValues &env) {
                const ui::View sequence = ListItemSequence(*markerWidth ? items : markersOnly, start,
                    env.get<ThemeKey>().numberedListMarker(), *markerWidth)
                                              .onPreferenceChange<ColumnWidthPreference>(
                                                  [markerWidth](const ColumnWidthPreference::Value &widths) {
                                                      const auto column = widths.find(0);
                                                      const MarkerWidth widest = column == widths.end()
                                                          ? MarkerWidth()
                                                          : MarkerWidth(column->second);
                                                      if (*markerWidth != widest)
                                                          markerWidth.set(widest);
                                                  });
                return ListBody(env, sequence, isTight, BlockNode::numberedList(isTight, start, items));
            });
        });
}
