#pragma once

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/theme.h"
#include "notes/notepreview.h"
#include "preview/largetablepreviewsimplifier.h"
#include "preview/notepreviewmemoizer.h"
#include "preview/obsidiancontext.h"

#include "ui/cancellation.h"
#include "ui/view.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class Workspace;

namespace ui {
class HostingView;
class ViewTree;
} // namespace ui

// The rendered preview of the open note: its text rewritten from the vault's own
// conventions into plain Markdown, cut into sections where a table is too large to
// render, and each section drawn in the preview's theme (a Markdown view, or the
// card that stands in for the table). Links to other notes of the vault open them;
// other links go to the desktop, except those that would start a program.
//
// The rewrite, the cut and the parse run again only when the note's text or the
// vault's lists changed (the memo, kept as long as the view lives). For a long note
// they run on a worker thread, and so do resolving and laying out what they made:
// the main thread only swaps the finished tree in (also when the appearance changes:
// a long note is made again in the new look there). The previous rendering stays on
// screen until the new one is ready, and a result for a text that has changed since
// is dropped.
// Main thread only.
class NotePreviewView final : public NotePreview
{
    Q_OBJECT
public:
    // `vault` and `workspace` outlive the view; links that are not note links go to
    // `workspace`.
    NotePreviewView(NotesManager &vault, Workspace &workspace, QWidget *parent = nullptr);
    ~NotePreviewView() override;

    // A factory for the notes pane that makes previews over `workspace`, which
    // outlives every preview it makes.
    static NotePreviewFactory factory(Workspace &workspace);

    // One theme for the whole process, built on first use.
    static const Theme &previewTheme();

    // Texts of at least this many characters are rewritten, cut, parsed and laid out
    // on worker threads; shorter ones take about a frame and are done at once: below
    // this size the workers cost more than they save.
    static constexpr qsizetype backgroundThreshold = 32 * 1024;

    enum class LinkResult {
        Handled, // done here (a note opened), or refused
        SystemAction, // to be opened by the desktop
    };
    // What a click on a link in the preview does. A link of the program's note
    // scheme is always handled: it opens the note it names only when its decoded,
    // canonical path is a note listed in the vault. A link that would start a
    // program (a file that is executable or a desktop entry) or that has no scheme
    // (it would be resolved against the program's working folder) is refused.
    LinkResult handleOpenURL(const QUrl &url);
    // A click on a link: handled here, or handed to the desktop.
    void openLink(const QUrl &url);

    // The note's text, parsed into what the preview shows: one document per
    // Markdown section, none for a table summary. Pure; any thread.
    struct Rendering
    {
        LargeTablePreviewSimplifier::Result result;
        QList<std::optional<MarkdownContent>> documents; // parallel to result.sections
        std::optional<QUrl> vaultURL; // where images may be shown from
    };
    static Rendering render(const QString &content, const std::optional<ObsidianContext> &context);
    // What a click in the preview calls: made on the main thread, safe to call from
    // the views after the preview is gone.
    struct Links
    {
        ui::OpenUrlAction openLink;
        std::function<void()> openExternally; // empty: the card offers no button
    };
    Links links();
    // The whole preview of a rendering: a padded column with a row per section.
    static ui::View body(const Rendering &rendering, const Links &links);
    ui::View body(const Rendering &rendering) { return body(rendering, links()); }

    // Times the note was rewritten and cut: memo misses.
    int computations() const { return m_computations; }
    // A rendering is being made on a worker thread.
    bool isRendering() const { return m_pending.has_value(); }
    // The sections on screen.
    const LargeTablePreviewSimplifier::Result &shownSections() const { return m_shown.result; }
    ui::HostingView &host() const { return *m_host; }

Q_SIGNALS:
    // A new rendering is on screen (a short note is laid out on the next turn of the
    // event loop, a long one already was).
    void rendered();

protected:
    void noteChanged() override;

private:
    void showRendering(Rendering rendering, const NotePreviewKey &key, const QUrl &note);
    // Shows a rendering whose tree was resolved and laid out on a worker thread.
    void showRendering(Rendering rendering, std::unique_ptr<ui::ViewTree> tree, quint64 environmentRevision,
        const NotePreviewKey &key, const QUrl &note);
    void shown(Rendering rendering, const NotePreviewKey &key, const QUrl &note);
    // Renders the current text on a worker thread and shows it when it is ready.
    void renderOffThread(const NotePreviewKey &key, const ObsidianContext &context);
    // The host's appearance changed: a long note is made again in the new look on a
    // worker thread (true), a short one is left to the host (false).
    bool appearanceChanged();
    // Makes what `make` renders into a tree on a worker thread, resolved and laid out
    // for the host as it is now, and hands it to `built` on the main thread, unless the
    // generation moved on meanwhile (the tree is then torn down on a worker).
    using Built = std::function<void(NotePreviewView &, Rendering, std::unique_ptr<ui::ViewTree>, quint64)>;
    void buildOffThread(std::function<Rendering()> make, Built built);
    std::optional<QUrl> listedNote(const QString &path) const;

    Workspace &m_workspace;
    ui::HostingView *m_host;
    NotePreviewMemoizer m_memo;
    Rendering m_shown;
    QUrl m_shownNote;
    // The key of the rendering under way on a worker thread; its answer is taken
    // only while the generation is still the one it was started in.
    std::optional<NotePreviewKey> m_pending;
    quint64 m_generation = 0;
    ui::CancellationToken m_work; // of the rendering under way on a worker thread
    bool m_shownOffThread = false; // the shown tree was made on a worker thread
    int m_computations = 0;
};
