#pragma once

#include <QList>
#include <QUuid>

#include <optional>

// Which clipboard entry is selected after something changes, decided over the
// ids of the visible entries in display order (pinned first, after the search
// filter). Pure functions of plain values: any thread, no allocation beyond the
// result. A returned id is always one of `visible`; none means no selection
// (for selectionKeptIfVisible: nothing to scroll to).

// The selection to keep after the visible list changed: the same entry when it
// is still visible, else the first one.
std::optional<QUuid> selectionValidated(const std::optional<QUuid> &selection, const QList<QUuid> &visible);

// After an arrow key: `step` positions from the selection, clamped to the list
// (it never wraps); the first entry when the selection isn't visible.
std::optional<QUuid> selectionMoved(
    const std::optional<QUuid> &selection, int step, const QList<QUuid> &visible);

// The entry that takes the selection when `removed` is deleted from `visible`
// (the list before the deletion): the one that moves into its place, or the new
// last one. When `removed` is not visible, the selection is validated instead.
std::optional<QUuid> selectionAfterRemoval(
    const QUuid &removed, const std::optional<QUuid> &selection, const QList<QUuid> &visible);

// What the list scrolls to: the selection, only while the clipboard pane has
// focus and only when it is visible.
std::optional<QUuid> selectionKeptIfVisible(
    const std::optional<QUuid> &selection, const QList<QUuid> &visible, bool paneHasFocus);
