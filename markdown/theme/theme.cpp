#include "markdown/theme/theme.h"

#include "markdown/theme/textstyles.h"

Theme::Theme()
    : m_text(EmptyTextStyle())
    , m_code(FontFamilyVariant(FontProperties::FamilyVariant::Monospaced))
    , m_emphasis(FontStyle(FontProperties::Style::Italic))
    , m_strong(FontWeight(FontProperties::Weight::Semibold))
    , m_strikethrough(StrikethroughStyle(ui::LineStyle::single()))
    , m_link(EmptyTextStyle())
    , m_taskListMarker(TaskListMarkers::checkmarkSquare())
    , m_bulletedListMarker(ListMarkers::discCircleSquare())
    , m_numberedListMarker(ListMarkers::decimal())
{ }

const Theme::Style<BlockConfiguration> &Theme::heading(int level) const
{
    Q_ASSERT_X(level >= 1 && level <= 6, "Theme::heading", "heading levels run from 1 to 6");
    return m_headings.at(size_t(level - 1));
}

void Theme::setHeading(int level, Style<BlockConfiguration> style)
{
    Q_ASSERT_X(level >= 1 && level <= 6, "Theme::setHeading", "heading levels run from 1 to 6");
    m_headings.at(size_t(level - 1)) = std::move(style);
}

Theme Theme::heading(int level, Body<BlockConfiguration> body) const
{
    Theme copy = *this;
    copy.setHeading(level, Style<BlockConfiguration>(std::move(body)));
    return copy;
}

Theme Theme::with(TextStyleSetter setter, std::initializer_list<AnyTextStyle> styles) const
{
    Theme copy = *this;
    (copy.*setter)(TextStyleBuilder::block(styles));
    return copy;
}

std::optional<ui::Color> Theme::textBackgroundColor() const
{
    return m_text.attributes().value<ui::BackgroundColorAttribute>();
}

ui::ViewModifier markdownTheme(Theme theme)
{
    return [theme = std::move(theme)](const ui::View &view) { return view.environment<ThemeKey>(theme); };
}

ui::ViewModifier markdownBlockStyle(Theme::BlockStyleSetter<BlockConfiguration> slot, LabelBody body)
{
    return markdownBlockStyle<BlockConfiguration>(slot, passingLabel<BlockConfiguration>(std::move(body)));
}

ui::ViewModifier markdownBlockStyle(Theme::BlockStyleSetter<CodeBlockConfiguration> slot, LabelBody body)
{
    return markdownBlockStyle<CodeBlockConfiguration>(
        slot, passingLabel<CodeBlockConfiguration>(std::move(body)));
}
