#pragma once

#include "preview/obsidiancontext.h"

#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

// Rewrites a vault note's own conventions (front matter, %% comments %%, block
// ids, ==highlights==, ![[embeds]], > [!callouts] and [[wiki links]]) into plain
// Markdown that the renderer understands. Pure text to text; the only side effect
// is a debug line for each embed or link that matches nothing in the vault.
//
// Every step rewrites the whole text, code included: the renderer has not parsed
// anything yet, so there is no notion of "inside code" here.
class ObsidianProcessor
{
public:
    ObsidianProcessor() = delete;

    struct EmbedTarget
    {
        QString target;
        std::optional<QString> size; // "300" or "300x200", as written

        friend bool operator==(const EmbedTarget &, const EmbedTarget &) = default;
    };

    struct WikiLink
    {
        QString target;
        std::optional<QString> heading; // present even when empty ("[[Note#]]")
        std::optional<QString> alias; // present even when empty ("[[Note|]]")

        friend bool operator==(const WikiLink &, const WikiLink &) = default;
    };

    // The whole rewrite: front matter, comments, block ids, highlights, image
    // embeds, callouts, wiki links, in that order, each on the previous output.
    // A stray UTF-16 surrogate half comes out as U+FFFD.
    static QString process(const QString &text, const ObsidianContext &context);

    static QString stripFrontMatter(const QString &text);
    static QString processImageEmbeds(const QString &text, const ObsidianContext &context);
    static QString processCallouts(const QString &text);
    static QString processWikiLinks(const QString &text, const ObsidianContext &context);

    // `inner` is the text between "![[" and "]]".
    static EmbedTarget parseEmbedTarget(QStringView inner);
    static bool isImageSizeSpec(QStringView text);
    // The first media file that the target names; none when nothing matches.
    // Here and for notes, names match ignoring case and Unicode normalisation.
    static std::optional<QUrl> resolveMediaURL(const QString &target, const ObsidianContext &context);

    // `inner` is the text between "[[" and "]]".
    static WikiLink parseWikiLink(QStringView inner);
    // The URL of the first note that the target names; none when nothing matches.
    static std::optional<QUrl> resolveNoteURL(const QString &target, const ObsidianContext &context);

    // "quorvane://note?path=" and the absolute path, percent-encoded so that the
    // link survives a Markdown parse and its "path" query item decodes back to
    // exactly `path`.
    static QString noteLinkURL(const QString &path);
    static QString noteLinkPrefix() { return QStringLiteral("quorvane://note?path="); }
};
