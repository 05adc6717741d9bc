#include "markdown/theme/markdownstyle.h"

#include "markdown/theme/markdownstyle_p.h"

MarkdownStyle blankMarkdownStyle()
{
    return MarkdownStyle();
}

ui::ViewModifier markdownStyle(const MarkdownStyle &)
{
    return [](const ui::View &view) { return view; };
}
