#pragma once

#include "markdown/theme/blockstyle.h"
#include "markdown/theme/liststyles.h"
#include "markdown/theme/textstyle.h"

#include "ui/color.h"

#include <array>
#include <initializer_list>
#include <optional>

// The whole look of a rendered document: six text styles for inline content and one
// block style per kind of block. A plain value: builder calls return a changed copy,
// so a theme is written as a chain from Theme() or a built-in theme, and copying one
// copies shared pointers to its styles, never the state of their functions.
class Theme
{
public:
    template<class Configuration> using Style = BlockStyle<Configuration>;
    template<class Configuration> using Body = typename BlockStyle<Configuration>::Body;
    // A slot written one at a time (by the block-style modifier): its setter.
    template<class Configuration> using BlockStyleSetter = void (Theme::*)(BlockStyle<Configuration>);
    using TextStyleSetter = void (Theme::*)(AnyTextStyle);

    // Code monospaced, emphasis italic, strong semibold, strikethrough a single line,
    // text and links unchanged; every block its label unchanged, the thematic break a
    // divider, the default list and task-list markers.
    Theme();

    // The built-in themes, each built once per process; every call returns a copy.
    static Theme basic();
    static Theme gitHub();
    static Theme docC();

    const AnyTextStyle &text() const { return m_text; }
    const AnyTextStyle &code() const { return m_code; }
    const AnyTextStyle &emphasis() const { return m_emphasis; }
    const AnyTextStyle &strong() const { return m_strong; }
    const AnyTextStyle &strikethrough() const { return m_strikethrough; }
    const AnyTextStyle &link() const { return m_link; }
    void setText(AnyTextStyle style) { m_text = std::move(style); }
    void setCode(AnyTextStyle style) { m_code = std::move(style); }
    void setEmphasis(AnyTextStyle style) { m_emphasis = std::move(style); }
    void setStrong(AnyTextStyle style) { m_strong = std::move(style); }
    void setStrikethrough(AnyTextStyle style) { m_strikethrough = std::move(style); }
    void setLink(AnyTextStyle style) { m_link = std::move(style); }
    // Each replaces that text style with the block of styles, in written order.
    Theme text(std::initializer_list<AnyTextStyle> styles) const { return with(&Theme::setText, styles); }
    Theme code(std::initializer_list<AnyTextStyle> styles) const { return with(&Theme::setCode, styles); }
    Theme emphasis(std::initializer_list<AnyTextStyle> styles) const
    {
        return with(&Theme::setEmphasis, styles);
    }
    Theme strong(std::initializer_list<AnyTextStyle> styles) const { return with(&Theme::setStrong, styles); }
    Theme strikethrough(std::initializer_list<AnyTextStyle> styles) const
    {
        return with(&Theme::setStrikethrough, styles);
    }
    Theme link(std::initializer_list<AnyTextStyle> styles) const { return with(&Theme::setLink, styles); }

    // Index 0 is level 1; always six.
    const std::array<Style<BlockConfiguration>, 6> &headings() const { return m_headings; }
    // The style of headings of `level` 1 to 6.
    const Style<BlockConfiguration> &heading(int level) const;
    void setHeading(int level, Style<BlockConfiguration> style);
    Theme heading(int level, Body<BlockConfiguration> body) const;

    const Style<BlockConfiguration> &heading1() const { return heading(1); }
    const Style<BlockConfiguration> &heading2() const { return heading(2); }
    const Style<BlockConfiguration> &heading3() const { return heading(3); }
    const Style<BlockConfiguration> &heading4() const { return heading(4); }
    const Style<BlockConfiguration> &heading5() const { return heading(5); }
    const Style<BlockConfiguration> &heading6() const { return heading(6); }
    void setHeading1(Style<BlockConfiguration> style) { setHeading(1, std::move(style)); }
    void setHeading2(Style<BlockConfiguration> style) { setHeading(2, std::move(style)); }
    void setHeading3(Style<BlockConfiguration> style) { setHeading(3, std::move(style)); }
    void setHeading4(Style<BlockConfiguration> style) { setHeading(4, std::move(style)); }
    void setHeading5(Style<BlockConfiguration> style) { setHeading(5, std::move(style)); }
    void setHeading6(Style<BlockConfiguration> style) { setHeading(6, std::move(style)); }
    Theme heading1(Body<BlockConfiguration> body) const { return heading(1, std::move(body)); }
    Theme heading2(Body<BlockConfiguration> body) const { return heading(2, std::move(body)); }
    Theme heading3(Body<BlockConfiguration> body) const { return heading(3, std::move(body)); }
    Theme heading4(Body<BlockConfiguration> body) const { return heading(4, std::move(body)); }
    Theme heading5(Body<BlockConfiguration> body) const { return heading(5, std::move(body)); }
    Theme heading6(Body<BlockConfiguration> body) const { return heading(6, std::move(body)); }

    const Style<BlockConfiguration> &paragraph() const { return m_paragraph; }
    const Style<BlockConfiguration> &blockquote() const { return m_blockquote; }
    const Style<CodeBlockConfiguration> &codeBlock() const { return m_codeBlock; }
    const Style<BlockConfiguration> &image() const { return m_image; }
    const Style<BlockConfiguration> &list() const { return m_list; }
    const Style<BlockConfiguration> &listItem() const { return m_listItem; }
    const Style<TaskListMarkerConfiguration> &taskListMarker() const { return m_taskListMarker; }
    const Style<ListMarkerConfiguration> &bulletedListMarker() const { return m_bulletedListMarker; }
    const Style<ListMarkerConfiguration> &numberedListMarker() const { return m_numberedListMarker; }
    const Style<BlockConfiguration> &table() const { return m_table; }
    const Style<TableCellConfiguration> &tableCell() const { return m_tableCell; }
    const Style<void> &thematicBreak() const { return m_thematicBreak; }

    void setParagraph(Style<BlockConfiguration> style) { m_paragraph = std::move(style); }
    void setBlockquote(Style<BlockConfiguration> style) { m_blockquote = std::move(style); }
    void setCodeBlock(Style<CodeBlockConfiguration> style) { m_codeBlock = std::move(style); }
    void setImage(Style<BlockConfiguration> style) { m_image = std::move(style); }
    void setList(Style<BlockConfiguration> style) { m_list = std::move(style); }
    void setListItem(Style<BlockConfiguration> style) { m_listItem = std::move(style); }
    void setTaskListMarker(Style<TaskListMarkerConfiguration> style) { m_taskListMarker = std::move(style); }
    void setBulletedListMarker(Style<ListMarkerConfiguration> style)
    {
        m_bulletedListMarker = std::move(style);
    }
    void setNumberedListMarker(Style<ListMarkerConfiguration> style)
    {
        m_numberedListMarker = std::move(style);
    }
    void setTable(Style<BlockConfiguration> style) { m_table = std::move(style); }
    void setTableCell(Style<TableCellConfiguration> style) { m_tableCell = std::move(style); }
    void setThematicBreak(Style<void> style) { m_thematicBreak = std::move(style); }

    // Each returns a copy with that block style made from `body`, called each time a
    // block of the kind is drawn.
    Theme paragraph(Body<BlockConfiguration> body) const
    {
        return with(&Theme::setParagraph, std::move(body));
    }
    Theme blockquote(Body<BlockConfiguration> body) const
    {
        return with(&Theme::setBlockquote, std::move(body));
    }
    Theme codeBlock(Body<CodeBlockConfiguration> body) const
    {
        return with(&Theme::setCodeBlock, std::move(body));
    }
    Theme image(Body<BlockConfiguration> body) const { return with(&Theme::setImage, std::move(body)); }
    Theme list(Body<BlockConfiguration> body) const { return with(&Theme::setList, std::move(body)); }
    Theme listItem(Body<BlockConfiguration> body) const { return with(&Theme::setListItem, std::move(body)); }
    Theme taskListMarker(Body<TaskListMarkerConfiguration> body) const
    {
        return with(&Theme::setTaskListMarker, std::move(body));
    }
    Theme bulletedListMarker(Body<ListMarkerConfiguration> body) const
    {
        return with(&Theme::setBulletedListMarker, std::move(body));
    }
    Theme numberedListMarker(Body<ListMarkerConfiguration> body) const
    {
        return with(&Theme::setNumberedListMarker, std::move(body));
    }
    Theme table(Body<BlockConfiguration> body) const { return with(&Theme::setTable, std::move(body)); }
    Theme tableCell(Body<TableCellConfiguration> body) const
    {
        return with(&Theme::setTableCell, std::move(body));
    }
    Theme thematicBreak(Body<void> body) const { return with(&Theme::setThematicBreak, std::move(body)); }
    // The marker slots also take ready styles (ListMarkers::dash(), …).
    Theme taskListMarker(Style<TaskListMarkerConfiguration> style) const
    {
        return with(&Theme::setTaskListMarker, std::move(style));
    }
    Theme bulletedListMarker(Style<ListMarkerConfiguration> style) const
    {
        return with(&Theme::setBulletedListMarker, std::move(style));
    }
    Theme numberedListMarker(Style<ListMarkerConfiguration> style) const
    {
        return with(&Theme::setNumberedListMarker, std::move(style));
    }

    // The older forms of the builders above, whose body is given only the block's label.
    Theme heading1(LabelBody body) const { return with(&Theme::setHeading1, std::move(body)); }
    Theme heading2(LabelBody body) const { return with(&Theme::setHeading2, std::move(body)); }
    Theme heading3(LabelBody body) const { return with(&Theme::setHeading3, std::move(body)); }
    Theme heading4(LabelBody body) const { return with(&Theme::setHeading4, std::move(body)); }
    Theme heading5(LabelBody body) const { return with(&Theme::setHeading5, std::move(body)); }
    Theme heading6(LabelBody body) const { return with(&Theme::setHeading6, std::move(body)); }
    Theme paragraph(LabelBody body) const { return with(&Theme::setParagraph, std::move(body)); }
    Theme blockquote(LabelBody body) const { return with(&Theme::setBlockquote, std::move(body)); }
    Theme codeBlock(LabelBody body) const { return with(&Theme::setCodeBlock, std::move(body)); }
    Theme image(LabelBody body) const { return with(&Theme::setImage, std::move(body)); }
    Theme list(LabelBody body) const { return with(&Theme::setList, std::move(body)); }
    Theme listItem(LabelBody body) const { return with(&Theme::setListItem, std::move(body)); }
    Theme table(LabelBody body) const { return with(&Theme::setTable, std::move(body)); }

    // The background colour the text style sets, read from an otherwise empty
    // container (so font styles inside it play no part); absent when it sets none.
    std::optional<ui::Color> textBackgroundColor() const;

private:
    template<class Configuration>
    Theme with(BlockStyleSetter<Configuration> setter, Body<Configuration> body) const
    {
        return with(setter, Style<Configuration>(std::move(body)));
    }
    template<class Configuration> Theme with(BlockStyleSetter<Configuration> setter, LabelBody body) const
    {
        return with(setter, passingLabel<Configuration>(std::move(body)));
    }
    template<class Configuration>
    Theme with(BlockStyleSetter<Configuration> setter, Style<Configuration> style) const
    {
        Theme copy = *this;
        (copy.*setter)(std::move(style));
        return copy;
    }
    Theme with(TextStyleSetter setter, std::initializer_list<AnyTextStyle> styles) const;

    AnyTextStyle m_text;
    AnyTextStyle m_code;
    AnyTextStyle m_emphasis;
    AnyTextStyle m_strong;
    AnyTextStyle m_strikethrough;
    AnyTextStyle m_link;
    std::array<Style<BlockConfiguration>, 6> m_headings;
    Style<BlockConfiguration> m_paragraph;
    Style<BlockConfiguration> m_blockquote;
    Style<CodeBlockConfiguration> m_codeBlock;
    Style<BlockConfiguration> m_image;
    Style<BlockConfiguration> m_list;
    Style<BlockConfiguration> m_listItem;
    Style<TaskListMarkerConfiguration> m_taskListMarker;
    Style<ListMarkerConfiguration> m_bulletedListMarker;
    Style<ListMarkerConfiguration> m_numberedListMarker;
    Style<BlockConfiguration> m_table;
    Style<TableCellConfiguration> m_tableCell;
    Style<void> m_thematicBreak;
};

// The theme the block views draw with; Theme::basic() unless a view above sets one.
struct ThemeKey
{
    using Value = Theme;
    static Value defaultValue() { return Theme::basic(); }
};

ui::ViewModifier markdownTheme(Theme theme);

// Writes one member of the theme in force through its setter for everything inside the
// modified view: the theme outside it, and every other member inside it, stay as they were.
template<class Value> ui::ViewModifier markdownThemeMember(void (Theme::*setter)(Value), Value value)
{
    return [setter, value](const ui::View &view) {
        return view.transformEnvironment<ThemeKey>([setter, value](Theme &theme) { (theme.*setter)(value); });
    };
}

// Replaces one block style of the theme in force, as markdownThemeMember does.
template<class Configuration>
ui::ViewModifier markdownBlockStyle(
    Theme::BlockStyleSetter<Configuration> slot, Theme::Body<Configuration> body)
{
    return markdownThemeMember(slot, Theme::Style<Configuration>(std::move(body)));
}

// The older form, whose body is given only the block's label.
ui::ViewModifier markdownBlockStyle(Theme::BlockStyleSetter<BlockConfiguration> slot, LabelBody body);
ui::ViewModifier markdownBlockStyle(Theme::BlockStyleSetter<CodeBlockConfiguration> slot, LabelBody body);
