#pragma once

#include "markdown/model/inlinenode.h"
#include "markdown/views/indexed.h"
#include "markdown/views/rawimagedata.h"

#include "ui/view.h"

#include <QList>

#include <optional>
#include <variant>

// One item of an image flow: an image (plain or linked), or a line break that ends the
// row before it.
struct ImageFlowItem
{
    struct LineBreak
    {
        bool operator==(const LineBreak &) const = default;
    };
    std::variant<RawImageData, LineBreak> value;

    bool operator==(const ImageFlowItem &) const = default;
};

// The items of a run of nothing but images, linked images, line breaks, soft breaks and
// empty texts, each with its position; nothing for any other run (a single space
// already makes it text). Soft breaks neither end a row nor add a gap, whatever mode
// soft breaks are shown in elsewhere.
std::optional<QList<Indexed<ImageFlowItem>>> imageFlowItems(const QList<InlineNode> &inlines);

// Such a run shown as a wrapping row of image views, a quarter of the root font size
// apart both ways, that breaks where the run has line breaks, like a gallery; nothing
// for any other run, which is then set as text. An item is identified by its position
// together with its value, so the same image twice is two views.
std::optional<ui::View> ImageFlow(const QList<InlineNode> &inlines);
ui::View ImageFlow(const QList<Indexed<ImageFlowItem>> &items);
