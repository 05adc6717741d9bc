#pragma once

#include "markdown/model/markdowncontent.h"

#include <gtest/gtest.h>

// The inline content of `markdown`, which must parse to one paragraph (a failure
// of the test otherwise, with nothing returned).
inline QList<InlineNode> paragraphContent(const QString &markdown)
{
    const QList<BlockNode> blocks = MarkdownContent(markdown).blocks();
    if (blocks.size() != 1 || !blocks.front().as<BlockNode::Paragraph>()) {
        ADD_FAILURE() << "not one paragraph: " << markdown.toStdString();
        return {};
    }
    return blocks.front().as<BlockNode::Paragraph>()->content;
}
