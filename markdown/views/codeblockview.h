#pragma once

#include "markdown/model/blocknode.h"

#include "ui/view.h"

// A code block: `content` (one final line feed already dropped) through the environment's
// highlighter, in the theme's code-block style.
ui::View CodeBlockView(const std::optional<QString> &fenceInfo, const QString &content);
