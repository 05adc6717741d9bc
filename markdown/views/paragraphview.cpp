#include "markdown/views/paragraphview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/theme.h"
#include "markdown/views/imageflow.h"
#include "markdown/views/imageview.h"
#include "markdown/views/inlinetext.h"

namespace {

ui::View labelOf(const QList<InlineNode> &content)
{
    if (std::optional<ui::View> image = ImageView(content))
        return *image;
    if (std::optional<ui::View> flow = ImageFlow(content))
        return *flow;
    return InlineText(content);
}

} // namespace

ui::View ParagraphView(const QList<InlineNode> &content)
{
    return ui::EnvironmentReader([content](const ui::EnvironmentValues &env) {
        return env.get<ThemeKey>().paragraph().body(
            BlockConfiguration { labelOf(content), MarkdownContent({ BlockNode::paragraph(content) }) });
    });
}
