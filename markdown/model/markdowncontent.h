#pragma once

#include "markdown/model/blocknode.h"

#include <QList>
#include <QString>

#include <optional>
#include <type_traits>
#include <utility>

// A Markdown document as a value: a sequence of blocks, made by parsing text or by code.
// Two contents are equal when their blocks are.
class MarkdownContent
{
public:
    MarkdownContent() = default;
    explicit MarkdownContent(QList<BlockNode> blocks)
        : m_blocks(std::move(blocks))
    { }
    // Parses Markdown text; text that gives no document gives the empty content.
    explicit MarkdownContent(const QString &markdown);
    // What a block builder closure gives (see blockcontent.h); the closure runs once.
    template<class F>
    requires std::is_invocable_r_v<MarkdownContent, F>
    explicit MarkdownContent(F &&build)
        : MarkdownContent(std::forward<F>(build)())
    { }

    // The content itself, so a document can stand among the blocks of a builder.
    MarkdownContent markdownContent() const { return *this; }

    const QList<BlockNode> &blocks() const { return m_blocks; }

    // CommonMark and plain text lose the one newline the renderers end with (a second one
    // before it stays); HTML is returned as rendered. The empty content renders as "".
    QString renderMarkdown() const;
    QString renderPlainText() const;
    QString renderHTML() const;

    // The blocks one level down in every block (see BlockNode::blockChildren), in order;
    // no value when there are none.
    std::optional<MarkdownContent> childContent() const;

    bool operator==(const MarkdownContent &other) const { return m_blocks == other.m_blocks; }

private:
    QList<BlockNode> m_blocks;
};
