#include "markdown/views/blockview.h"

#include "markdown/views/blockquoteview.h"
#include "markdown/views/blocksequence.h"
#include "markdown/views/bulletedlistview.h"
#include "markdown/views/codeblockview.h"
#include "markdown/views/headingview.h"
#include "markdown/views/numberedlistview.h"
#include "markdown/views/paragraphview.h"
#include "markdown/views/tableview.h"
#include "markdown/views/tasklistview.h"
#include "markdown/views/thematicbreakview.h"

namespace {

// Exactly one final line feed goes: the parser ends code and HTML blocks with one.
QString withoutFinalLineFeed(const QString &text)
{
    return text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text;
}

struct Dispatch
{
    ui::View operator()(const BlockNode::Blockquote &block) const { return BlockquoteView(block.children); }
    ui::View operator()(const BlockNode::BulletedList &block) const
    {
        return BulletedListView(block.isTight, block.items);
    }
    ui::View operator()(const BlockNode::NumberedList &block) const
    {
        return NumberedListView(block.isTight, block.start, block.items);
    }
    ui::View operator()(const BlockNode::TaskList &block) const
    {
        return TaskListView(block.isTight, block.items);
    }
    ui::View operator()(const BlockNode::CodeBlock &block) const
    {
        return CodeBlockView(block.fenceInfo, withoutFinalLineFeed(block.content));
    }
    ui::View operator()(const BlockNode::HtmlBlock &block) const
    {
        return ParagraphView({ InlineNode::text(withoutFinalLineFeed(block.content)) });
    }
    ui::View operator()(const BlockNode::Paragraph &block) const { return ParagraphView(block.content); }
    ui::View operator()(const BlockNode::Heading &block) const
    {
        return HeadingView(block.level, block.content);
    }
    ui::View operator()(const BlockNode::Table &block) const
    {
        return TableView(block.columnAlignments, block.rows);
    }
    ui::View operator()(const BlockNode::ThematicBreak &) const { return ThematicBreakView(); }
};

} // namespace

ui::View BlockView(const BlockNode &block)
{
    return std::visit(Dispatch {}, block.payload());
}

ui::View BlockSequence(const QList<BlockNode> &blocks)
{
    return BlockSequence(blocks, [](qsizetype, const BlockNode &block) { return BlockView(block); });
}
