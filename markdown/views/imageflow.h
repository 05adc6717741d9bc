#pragma once

#include "markdown/model/inlinenode.h"

#include "ui/view.h"

#include <QList>

#include <optional>

// A run of nothing but images, linked images, line breaks and blank filler shown as a
// wrapping row of image views; nothing for any other run, which is then set as text.
std::optional<ui::View> ImageFlow(const QList<InlineNode> &inlines);
