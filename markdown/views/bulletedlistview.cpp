#include "markdown/views/bulletedlistview.h"

#include "markdown/theme/theme.h"
#include "markdown/views/listitemsequence.h"

ui::View BulletedListView(bool isTight, const QList<RawListItem> &items)
{
    return ui::EnvironmentReader([isTight, items](const ui::EnvironmentValues &env) {
        // Bullets keep their own widths; they still report them, for a numbered list above.
        const ui::View sequence
            = ListItemSequence(items, 1, env.get<ThemeKey>().bulletedListMarker(), std::nullopt);
        return ListBody(env, sequence, isTight, BlockNode::bulletedList(isTight, items));
    });
}
