#pragma once

#include "markdown/model/blocknode.h"

#include <QString>

// A compact one-line text form of a model tree, so a test can state a whole expected
// tree at once and a failure shows where two trees part:
//   paragraph[text"a" strong[text"b"]]  list(tight,start=3)[item[...]]
QString dump(const QList<BlockNode> &blocks);
QString dump(const QList<InlineNode> &inlines);

#include <ostream>

// Test failures show strings as text rather than as code units.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
