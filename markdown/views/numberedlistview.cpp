#include "markdown/views/numberedlistview.h"

#include "markdown/theme/theme.h"
#include "markdown/views/listitemsequence.h"

ui::View NumberedListView(bool isTight, qint64 start, const QList<RawListItem> &items)
{
    using MarkerWidth = std::optional<double>;
    // Markers take their own widths until they have reported them; then all of them are
    // framed to the widest and the numbers line up on their trailing edge. The reported
    // widths do not change with the frame, so this settles after one pass.
    return ui::withState<MarkerWidth>(
        std::nullopt, [isTight, start, items](ui::State<MarkerWidth> markerWidth) {
            return ui::EnvironmentReader([isTight, start, items, markerWidth](
                                             const ui::EnvironmentValues &env) {
                const ui::View sequence
                    = ListItemSequence(items, start, env.get<ThemeKey>().numberedListMarker(), *markerWidth)
                          .onPreferenceChange<ColumnWidthPreference>(
                              [markerWidth](const ColumnWidthPreference::Value &widths) {
                                  const auto column = widths.find(0);
                                  const MarkerWidth widest
                                      = column == widths.end() ? MarkerWidth() : MarkerWidth(column->second);
                                  if (*markerWidth != widest)
                                      markerWidth.set(widest);
                              });
                return ListBody(env, sequence, isTight, BlockNode::numberedList(isTight, start, items));
            });
        });
}
