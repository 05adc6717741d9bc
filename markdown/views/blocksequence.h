#pragma once

#include "markdown/views/indexed.h"

#include "ui/view.h"

#include <QList>

#include <functional>
#include <utility>
#include <vector>

// One element of a block sequence: its view and the identity it is kept under.
struct BlockSequenceItem
{
    size_t identity;
    ui::View view;
};

// Stacks views top to bottom, aligned as the environment's multiline text alignment
// says, and spaces them by collapsing margins: between two neighbours the larger of the
// upper one's bottom margin and the lower one's top margin (the upper one's bottom
// counts as 0 inside a tight list). The first shown view stands at 0; where neither
// neighbour asks for a margin the default padding applies. Margins are read from each
// view's own resolved subtree, so nothing about a view outlives it. A view that resolves
// to nothing takes no space and no spacing: its neighbours collapse against each other.
//
// Each view is kept under its identity (position and value together), so its state
// follows it and a changed element starts afresh.
ui::View BlockSequence(std::vector<BlockSequenceItem> items);

// The elements of `data` paired with their positions, each shown as `content` makes it
// from its position and value.
template<class Value, class Content> ui::View BlockSequence(const QList<Value> &data, Content content)
{
    std::vector<BlockSequenceItem> items;
    items.reserve(size_t(data.size()));
    for (qsizetype i = 0; i < data.size(); ++i)
        items.push_back({ qHash(Indexed<Value> { i, data[i] }), ui::View(content(i, data[i])) });
    return BlockSequence(std::move(items));
}
