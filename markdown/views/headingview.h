#pragma once

#include "markdown/model/inlinenode.h"

#include "ui/view.h"

#include <QList>
#include <QString>

// A heading as inline text in the theme's style for its level (a level outside 1 to 6
// takes the nearest one). It carries its identifier as its identity among what its
// block holds and as its tag, so a host can find it.
ui::View HeadingView(qint64 level, const QList<InlineNode> &content);

// The identifier of a heading: the plain text of its content, split at every character
// that is not a letter, mark or digit, the parts lower-cased and joined by "-". Nothing
// is trimmed or collapsed: "Hello, World!" gives "hello--world-".
QString headingIdentifier(const QList<InlineNode> &content);
QString kebabCased(const QString &text);
