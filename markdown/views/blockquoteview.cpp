#include "markdown/views/blockquoteview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/theme.h"
#include "markdown/views/blockview.h"

// Sets nothing in the environment: a quote inside a tight list item stacks tight, and a
// list inside a quote continues the enclosing list level.
ui::View BlockquoteView(const QList<BlockNode> &children)
{
    return ui::EnvironmentReader([children](const ui::EnvironmentValues &env) {
        return env.get<ThemeKey>().blockquote().body(BlockConfiguration {
            BlockSequence(children), MarkdownContent({ BlockNode::blockquote(children) }) });
    });
}
