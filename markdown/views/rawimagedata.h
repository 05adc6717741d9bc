#pragma once

#include "markdown/model/inlinenode.h"

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// One image as the document wrote it, the reference every image view is made from.
struct RawImageData
{
    QString source; // as written, not resolved
    QString alt; // the plain text of the image's description
    std::optional<QString> destination; // of the link around the image; absent without one

    bool operator==(const RawImageData &) const = default;
};

size_t qHash(const RawImageData &data, size_t seed = 0);

// The image a node stands for: an image, or a link whose only child stands for one
// (the outermost link's destination wins). Nothing for any other node.
std::optional<RawImageData> imageData(const InlineNode &node);

// The text of the nodes without their formatting: texts, code and inline HTML as
// written, a soft break as one space and a line break as a line feed, each node's
// children before its own text.
QString plainText(const QList<InlineNode> &nodes);
