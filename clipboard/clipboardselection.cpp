#include "clipboard/clipboardselection.h"

#include <algorithm>

std::optional<QUuid> selectionValidated(const std::optional<QUuid> &selection, const QList<QUuid> &visible)
{
    if (visible.isEmpty())
        return std::nullopt;
    if (selection && visible.contains(*selection))
        return selection;
    return visible.first();
}

std::optional<QUuid> selectionMoved(
    const std::optional<QUuid> &selection, int step, const QList<QUuid> &visible)
{
    if (visible.isEmpty())
        return std::nullopt;
    if (!selection)
        return visible.first();
    const qsizetype position = visible.indexOf(*selection);
    if (position < 0)
        return visible.first();
    // 64-bit so that a huge step can't overflow before the clamp.
    const qint64 target = std::clamp<qint64>(qint64(position) + step, 0, visible.size() - 1);
    return visible.at(target);
}

std::optional<QUuid> selectionAfterRemoval(
    const QUuid &removed, const std::optional<QUuid> &selection, const QList<QUuid> &visible)
{
    const qsizetype position = visible.indexOf(removed);
    if (position < 0)
        return selectionValidated(selection, visible);
    // Ids are unique in the list, so the remaining list is the list without this
    // one position; no copy is needed to index it.
    const qsizetype remaining = visible.size() - 1;
    if (remaining == 0)
        return std::nullopt;
    const qsizetype target = std::min(position, remaining - 1);
    return visible.at(target < position ? target : target + 1);
}

std::optional<QUuid> selectionKeptIfVisible(
    const std::optional<QUuid> &selection, const QList<QUuid> &visible, bool paneHasFocus)
{
    if (!paneHasFocus || !selection || !visible.contains(*selection))
        return std::nullopt;
    return selection;
}
