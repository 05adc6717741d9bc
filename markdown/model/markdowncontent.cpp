#include "markdown/model/markdowncontent.h"

#include "markdown/model/markdownparser.h"

namespace {

QString withoutFinalNewline(QString text)
{
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

MarkdownContent::MarkdownContent(const QString &markdown)
    : m_blocks(MarkdownParser::parseMarkdownBlocks(markdown).value_or(QList<BlockNode>()))
{ }

QString MarkdownContent::renderMarkdown() const
{
    return withoutFinalNewline(MarkdownParser::renderBlocksAsCommonMark(m_blocks));
}

QString MarkdownContent::renderPlainText() const
{
    return withoutFinalNewline(MarkdownParser::renderBlocksAsPlainText(m_blocks));
}

QString MarkdownContent::renderHTML() const
{
    return MarkdownParser::renderBlocksAsHTML(m_blocks);
}

std::optional<MarkdownContent> MarkdownContent::childContent() const
{
    QList<BlockNode> children;
    for (const BlockNode &block : m_blocks)
        children.append(block.blockChildren());
    if (children.isEmpty())
        return std::nullopt;
    return MarkdownContent(std::move(children));
}
