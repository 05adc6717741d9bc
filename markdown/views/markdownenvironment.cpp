#include "markdown/views/markdownenvironment.h"

namespace {

template<class Key> ui::ViewModifier writeEnvironment(typename Key::Value value)
{
    return [value](const ui::View &view) { return view.environment<Key>(value); };
}

} // namespace

ui::ViewModifier markdownSoftBreakMode(SoftBreak::Mode mode)
{
    return writeEnvironment<SoftBreakModeKey>(mode);
}

ui::ViewModifier markdownCodeSyntaxHighlighter(std::shared_ptr<const CodeSyntaxHighlighter> highlighter)
{
    return writeEnvironment<CodeSyntaxHighlighterKey>(std::move(highlighter));
}

ui::ViewModifier markdownImageProvider(AnyImageProvider provider)
{
    return writeEnvironment<ImageProviderKey>(std::move(provider));
}

ui::ViewModifier markdownInlineImageProvider(std::shared_ptr<const InlineImageProvider> provider)
{
    return writeEnvironment<InlineImageProviderKey>(std::move(provider));
}

ui::ViewModifier markdownTextStyle(Theme::TextStyleSetter member, AnyTextStyle style)
{
    return markdownThemeMember(member, std::move(style));
}

ui::ViewModifier markdownTaskListMarker(BlockStyle<TaskListMarkerConfiguration> style)
{
    return markdownThemeMember(&Theme::setTaskListMarker, std::move(style));
}

ui::ViewModifier markdownBulletedListMarker(BlockStyle<ListMarkerConfiguration> style)
{
    return markdownThemeMember(&Theme::setBulletedListMarker, std::move(style));
}

ui::ViewModifier markdownNumberedListMarker(BlockStyle<ListMarkerConfiguration> style)
{
    return markdownThemeMember(&Theme::setNumberedListMarker, std::move(style));
}

ui::ViewModifier onOpenMarkdownLink(std::function<void(const QUrl &)>)
{
    return [](const ui::View &view) { return view; };
}
