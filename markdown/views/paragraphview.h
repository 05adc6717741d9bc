#pragma once

#include "markdown/model/inlinenode.h"

#include "ui/view.h"

#include <QList>

// A paragraph in the theme's paragraph style: a single image (or linked image) as an
// image view, a run of images and breaks as an image flow, anything else as inline text.
ui::View ParagraphView(const QList<InlineNode> &content);
