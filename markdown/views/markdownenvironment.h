#pragma once

#include "markdown/model/inlinecontent.h"
#include "markdown/theme/theme.h"
#include "markdown/views/codesyntaxhighlighter.h"
#include "markdown/views/imageprovider.h"
#include "markdown/views/inlineimageprovider.h"

#include "ui/view.h"

#include <QUrl>

#include <concepts>
#include <functional>
#include <memory>
#include <optional>

// What configures the rendering of a document, flowing down the view tree. The theme,
// the text style and the table styles have their keys beside their types in
// markdown/theme; the rest are here. Defaults that are not plain values are built once
// per process on first read.

// The base against which link destinations are resolved; written only by the
// Markdown view.
struct BaseURLKey
{
    using Value = std::optional<QUrl>;
    static Value defaultValue() { return std::nullopt; }
};

// The base against which image sources are resolved; written only by the Markdown view.
struct ImageBaseURLKey
{
    using Value = std::optional<QUrl>;
    static Value defaultValue() { return std::nullopt; }
};

// Plain text unless a view above installs another.
struct CodeSyntaxHighlighterKey
{
    using Value = std::shared_ptr<const CodeSyntaxHighlighter>;
    static Value defaultValue() { return std::make_shared<const PlainTextCodeSyntaxHighlighter>(); }
};

// Remote images unless a view above installs another.
struct ImageProviderKey
{
    using Value = AnyImageProvider;
    static Value defaultValue() { return AnyImageProvider(DefaultImageProvider()); }
};

struct InlineImageProviderKey
{
    using Value = std::shared_ptr<const InlineImageProvider>;
    static Value defaultValue() { return std::make_shared<const DefaultInlineImageProvider>(); }
};

// Soft breaks as spaces unless a view above says otherwise.
struct SoftBreakModeKey
{
    using Value = SoftBreak::Mode;
    static Value defaultValue() { return SoftBreak::Mode::Space; }
};

// How deep in lists a view stands: 0 outside any list, 1 for the items of a top-level
// list. Written only by the list views.
struct ListLevelKey
{
    using Value = int;
    static Value defaultValue() { return 0; }
};

// Inside a tight list a block sequence counts the previous block's bottom margin as 0.
// Written only by the list views.
struct TightSpacingEnabledKey
{
    using Value = bool;
    static Value defaultValue() { return false; }
};

ui::ViewModifier markdownSoftBreakMode(SoftBreak::Mode mode);
ui::ViewModifier markdownCodeSyntaxHighlighter(std::shared_ptr<const CodeSyntaxHighlighter> highlighter);
ui::ViewModifier markdownImageProvider(AnyImageProvider provider);
ui::ViewModifier markdownInlineImageProvider(std::shared_ptr<const InlineImageProvider> provider);

template<class Highlighter>
requires std::derived_from<Highlighter, CodeSyntaxHighlighter> ui::ViewModifier markdownCodeSyntaxHighlighter(
    Highlighter highlighter)
{
    return markdownCodeSyntaxHighlighter(std::make_shared<const Highlighter>(std::move(highlighter)));
}

template<class Provider>
requires std::derived_from<Provider, ImageProvider> ui::ViewModifier markdownImageProvider(Provider provider)
{
    return markdownImageProvider(AnyImageProvider(std::move(provider)));
}

template<class Provider>
requires std::derived_from<Provider, InlineImageProvider> ui::ViewModifier markdownInlineImageProvider(
    Provider provider)
{
    return markdownInlineImageProvider(std::make_shared<const Provider>(std::move(provider)));
}

// Each replaces one member of the theme in force below the modified view; every other
// member stays as the enclosing theme has it. A whole theme set nearer to the content
// replaces the change.
ui::ViewModifier markdownTextStyle(Theme::TextStyleSetter member, AnyTextStyle style);
ui::ViewModifier markdownTaskListMarker(BlockStyle<TaskListMarkerConfiguration> style);
ui::ViewModifier markdownBulletedListMarker(BlockStyle<ListMarkerConfiguration> style);
ui::ViewModifier markdownNumberedListMarker(BlockStyle<ListMarkerConfiguration> style);

// Accepted so that code written against the older link handling still builds: the view
// is returned unchanged and `perform` is never called; links open through the
// environment's open-URL action as before.
ui::ViewModifier onOpenMarkdownLink(std::function<void(const QUrl &)> perform);
