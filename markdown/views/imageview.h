#pragma once

#include "markdown/model/inlinenode.h"
#include "markdown/views/rawimagedata.h"

#include "ui/view.h"

#include <QList>

#include <optional>

// One image shown on its own, outside running text: the environment's image provider's
// view of the source resolved against the image base URL, a plain button that opens the
// link (resolved against the base URL) when the image is linked, all in the theme's
// image style. A destination that forms no URL leaves the image without a button.
ui::View ImageView(const RawImageData &data);

// The image view of a run that is exactly one image, or one link around one image;
// nothing for any other run.
std::optional<ui::View> ImageView(const QList<InlineNode> &inlines);
