#pragma once

#include "ui/attributecontainer.h"
#include "ui/text.h"

#include <QString>

// A compact text form of rendered inline text, so that a test states every run and its
// attributes at once:
//   "a" "b"{italic} "c"{link=https://x.org}     one attributed text, run by run
//   "a" | image(4x2) | "\n"                     Text, piece by piece
// Attributes are named briefly: italic, semibold, mono, size=20 (font properties or a
// resolved font alike), strike and link=<url>.
QString describe(const ui::AttributeContainer &attributes);
QString dump(const ui::AttributedText &text);
QString dump(const ui::Text &text);

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
