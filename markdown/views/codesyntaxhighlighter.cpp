#include "markdown/views/codesyntaxhighlighter.h"

CodeSyntaxHighlighter::~CodeSyntaxHighlighter() = default;

ui::Text PlainTextCodeSyntaxHighlighter::highlightCode(
    const QString &code, const std::optional<QString> &) const
{
    return ui::Text(code);
}
