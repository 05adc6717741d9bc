#pragma once

#include "markdown/model/blocknode.h"
#include "markdown/theme/liststyles.h"

#include "ui/view.h"

#include <map>
#include <optional>

// The widths that list markers report, by column; only column 0, the marker column, is
// written. Every marker below a numbered list reports to it, nested lists' markers
// included, so its column is as wide as the widest marker anywhere inside it.
struct ColumnWidthPreference
{
    using Value = std::map<int, double>;
    static Value defaultValue() { return {}; }
    // A column in both keeps the larger width.
    static void reduce(Value &value, const Value &next);
};

// The items stacked with collapsing margins, item i numbered `start` + i, each marked by
// `markerStyle`: framed to `markerWidth` and aligned to its trailing edge when one is
// given, else at its own width.
ui::View ListItemSequence(const QList<RawListItem> &items, qint64 start, const ListMarkerStyle &markerStyle,
    std::optional<double> markerWidth);

// One item: its marker (which reports its own width, never the framed one) beside its
// first block, its blocks stacked below one another, in the theme's list-item style.
ui::View ListItemView(const RawListItem &item, qint64 number, const ListMarkerStyle &markerStyle,
    std::optional<double> markerWidth);

// What every kind of list shares. ListBody: the theme's list style around `items`, which
// see the list level one deeper and the list's tightness; `block` is the list itself.
// ListItemBody: the theme's list-item style around `marker` beside the stacked `children`.
ui::View ListBody(
    const ui::EnvironmentValues &env, const ui::View &items, bool isTight, const BlockNode &block);
ui::View ListItemBody(
    const ui::EnvironmentValues &env, const QList<BlockNode> &children, const ui::View &marker);
