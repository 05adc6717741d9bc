#pragma once

#include "markdown/model/markdowncontent.h"

#include "ui/color.h"
#include "ui/view.h"

#include <QString>
#include <QUrl>

#include <concepts>
#include <optional>

// A Markdown document as a view: its blocks stacked with collapsing margins, each in
// the view for its kind, in the theme in force. Inside it the text style is the one
// around it, then the theme's text style, then the theme's base size (13 points when
// the style sets none) scaled with the user's text size; the theme's foreground and
// background colours apply to the whole document. Images meant only for the other
// colour scheme ("#gh-dark-mode-only", "#gh-light-mode-only") are left out.
//
// Link destinations are resolved against `baseURL`, image sources against
// `imageBaseURL`, which is `baseURL` unless given. Nothing fails: text that forms no
// document shows nothing.
class Markdown
{
public:
    explicit Markdown(MarkdownContent content, std::optional<QUrl> baseURL = std::nullopt,
        std::optional<QUrl> imageBaseURL = std::nullopt);
    // Parses `markdown` now, at every construction.
    explicit Markdown(const QString &markdown, std::optional<QUrl> baseURL = std::nullopt,
        std::optional<QUrl> imageBaseURL = std::nullopt);
    // Calls `content` once, now.
    template<class Builder>
    requires std::is_invocable_r_v<MarkdownContent, Builder> Markdown(
        std::optional<QUrl> baseURL, std::optional<QUrl> imageBaseURL, Builder content)
        : Markdown(MarkdownContent(content()), std::move(baseURL), std::move(imageBaseURL))
    { }

    const MarkdownContent &content() const { return m_content; }
    const std::optional<QUrl> &baseURL() const { return m_baseURL; }
    const std::optional<QUrl> &imageBaseURL() const { return m_imageBaseURL; }

    ui::View view() const;
    operator ui::View() const { return view(); }

private:
    MarkdownContent m_content;
    std::optional<QUrl> m_baseURL;
    std::optional<QUrl> m_imageBaseURL;
};

// Whether an image with this source is shown in `scheme`: not when the source forms no
// URL, nor when its fragment (in any letter case) names the other scheme's
// "gh-…-mode-only".
bool imageSourceMatchesColorScheme(const QString &source, ui::ColorScheme scheme);
// The blocks with every image that does not match the scheme taken out, at any depth;
// every block stays, so positions do not move.
QList<BlockNode> filterImagesForColorScheme(const QList<BlockNode> &blocks, ui::ColorScheme scheme);
