#pragma once

#include "markdown/model/inlinenode.h"

#include "ui/view.h"

#include <QList>

// A run of inline nodes (a paragraph, a heading, a table cell) as one styled text, in
// the text style in force, with the theme's inline styles, links resolved against the
// environment's base URL and soft breaks as the environment says.
//
// Images among the top-level nodes (plain, or alone in a link) are loaded through the
// environment's inline image provider once the view is shown, their sources resolved
// against the image base URL; the text shows at once without them and with all of
// them once the last has arrived. One failure drops every inline image of the run;
// the same image written twice is asked for once; images nested inside emphasis or
// links with more in them are never asked for and show nothing.
ui::View InlineText(QList<InlineNode> inlines);
