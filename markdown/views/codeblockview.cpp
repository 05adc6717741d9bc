#include "markdown/views/codeblockview.h"

#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/theme.h"
#include "markdown/views/markdownenvironment.h"

ui::View CodeBlockView(const std::optional<QString> &fenceInfo, const QString &content)
{
    return ui::EnvironmentReader([fenceInfo, content](const ui::EnvironmentValues &env) {
        // A highlighter installed as null must not take the code with it.
        const std::shared_ptr<const CodeSyntaxHighlighter> &installed = env.get<CodeSyntaxHighlighterKey>();
        const ui::Text highlighted = installed
            ? installed->highlightCode(content, fenceInfo)
            : PlainTextCodeSyntaxHighlighter().highlightCode(content, fenceInfo);
        // The font and colour are read where the style puts the label, so a style that
        // sets the code in its own text style sees it take effect.
        const ui::View label
            = highlighted.view().modifier(textStyleFont()).modifier(textStyleForegroundColor());
        return env.get<ThemeKey>().codeBlock().body(CodeBlockConfiguration { fenceInfo, content, label });
    });
}
