#include "preview/notepreviewview.h"

#include "markdown/theme/blockmargin.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/views/markdown.h"
#include "markdown/views/markdownenvironment.h"
#include "notes/notesmanager.h"
#include "platform/heap.h"
#include "platform/mainqueue.h"
#include "platform/workspace.h"
#include "preview/obsidianprocessor.h"
#include "preview/simplifiedtableplaceholderview.h"
#include "preview/vaultimageprovider.h"

#include "ui/hostingview.h"
#include "ui/layout.h"
#include "ui/viewtree.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QScrollBar>
#include <QThreadPool>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

// Frees a tree, except once the program is ending: seconds spent freeing a long
// note's tree would only hold up the end, which waits for the pool.
void dispose(std::unique_ptr<ui::ViewTree> &tree)
{
    if (ui::CancellationToken::isAllCancelled()) {
        (void)tree.release();
        return;
    }
    tree.reset();
    // A long note's tree was made on worker threads and freed into their arenas, where
    // the allocator would keep tens of megabytes for good.
    Heap::giveBackFreeMemory();
}

// The preview's cut: a table of this many body cells or rows becomes a card that
// keeps its first few rows.
constexpr qsizetype cellThreshold = 1000;
constexpr qsizetype rowThreshold = 500;
constexpr qsizetype previewRowCount = 3;

const QString noteScheme = QStringLiteral("quorvane");
const QString noteHost = QStringLiteral("note");

using Weight = FontProperties::Weight;

Theme::Body<BlockConfiguration> heading(Weight weight, double size, double top, double bottom)
{
    return [weight, size, top, bottom](const BlockConfiguration &c) {
        return c.label.modifier(markdownTextStyle({ FontWeight(weight), FontSize(size) }))
            .modifier(markdownMargin(top, bottom));
    };
}

AnyTextStyle monospaced()
{
    return FontFamilyVariant(FontProperties::FamilyVariant::Monospaced);
}

Theme buildPreviewTheme()
{
    return Theme()
        .text({ ForegroundColor(ui::Color::primary()), FontSize(13) })
        .code({ monospaced(), FontSize(12), BackgroundColor(ui::Color::textBackground().opacity(0.3)) })
        .link({ ForegroundColor(ui::Color::accent()), UnderlineStyle(ui::LineStyle::single()) })
        .heading1(heading(Weight::Bold, 20, 16, 8))
        .heading2(heading(Weight::Bold, 17, 14, 6))
        .heading3(heading(Weight::Semibold, 15, 12, 4))
        .codeBlock([](const CodeBlockConfiguration &c) {
            // Long lines scroll sideways in their box rather than wrap.
            return ui::ScrollView(ui::Axis::Horizontal,
                c.label.fixedSize(false, true)
                    .modifier(markdownTextStyle({ monospaced(), FontSize(12) }))
                    .padding(12),
                true)
                .background(ui::Color::textBackground().opacity(0.5))
                .clipShape(ui::Shape::roundedRectangle(6, ui::RoundedCornerStyle::Continuous))
                .modifier(markdownMargin(8.0, 8.0));
        });
}

// Desktop entries and programs: the desktop would run them rather than show them.
bool isProgramType(const QMimeType &type)
{
    static const QStringList programs = {
        QStringLiteral("application/x-desktop"),
        QStringLiteral("application/x-executable"),
        QStringLiteral("application/x-pie-executable"),
        QStringLiteral("application/x-sharedlib"),
        QStringLiteral("application/x-ms-dos-executable"),
        QStringLiteral("application/x-msdownload"),
        QStringLiteral("application/vnd.microsoft.portable-executable"),
        QStringLiteral("application/x-shellscript"),
        QStringLiteral("application/x-java-archive"),
        QStringLiteral("application/x-appimage"),
    };
    for (const QString &program : programs) {
        if (type.inherits(program))
            return true;
    }
    return false;
}

// Whether handing the file to the desktop could start a program: a desktop entry
// (by name, also behind a symbolic link), an executable file, or a file whose type
// is a program. Folders only open a file manager.
bool launchesAProgram(const QString &path)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    for (const QString &name : { path, target }) {
        if (!name.isEmpty() && QFileInfo(name).suffix().compare(u"desktop", Qt::CaseInsensitive) == 0)
            return true;
    }
    if (info.isDir())
        return false;
    if (info.isExecutable())
        return true;
    return isProgramType(QMimeDatabase().mimeTypeForFile(info));
}

// Tearing down the tree of a long note takes a while: it is done on a worker. The
// tree holds nothing of the main thread (never shown, or handed back by the host).
void disposeOffThread(std::unique_ptr<ui::ViewTree> tree)
{
    auto doomed = std::make_shared<std::unique_ptr<ui::ViewTree>>(std::move(tree));
    ui::layoutThreads().start([doomed] { dispose(*doomed); });
}

} // namespace

NotePreviewView::NotePreviewView(NotesManager &vault, Workspace &workspace, QWidget *parent)
    : NotePreview(vault, parent)
    , m_workspace(workspace)
    , m_host(new ui::HostingView(this))
{
    setObjectName(QStringLiteral("NotePreviewView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_host);
    // On the panel's own background, as the editor is.
    m_host->viewport()->setAutoFillBackground(false);
    m_host->setRootView(body(m_shown));
    m_host->setAppearanceChangeHandler([this] { return appearanceChanged(); });
}

NotePreviewView::~NotePreviewView()
{
    // Nobody takes what is still being made.
    m_work.cancel();
    // The tree of a long note, made on a worker, takes seconds to free: once the
    // program is ending, it is left to the system instead.
    if (m_shownOffThread && ui::CancellationToken::isAllCancelled()) {
        auto empty = std::make_unique<ui::ViewTree>(ui::View(), m_host->treeEnvironment());
        (void)m_host->adoptTree(std::move(empty), m_host->environmentRevision()).release();
    }
}

NotePreviewFactory NotePreviewView::factory(Workspace &workspace)
{
    return [&workspace](NotesManager &vault, QWidget *parent) -> NotePreview * {
        return new NotePreviewView(vault, workspace, parent);
    };
}

const Theme &NotePreviewView::previewTheme()
{
    static const Theme theme = buildPreviewTheme();
    return theme;
}

NotePreviewView::Rendering NotePreviewView::render(
    const QString &content, const std::optional<ObsidianContext> &context)
{
    const QString markdown = context ? ObsidianProcessor::process(content, *context) : content;
    Rendering rendering;
    rendering.vaultURL = context ? context->vaultURL : std::nullopt;
    rendering.result
        = LargeTablePreviewSimplifier::simplify(markdown, cellThreshold, rowThreshold, previewRowCount);
    rendering.documents.reserve(rendering.result.sections.size());
    for (const LargeTablePreviewSimplifier::Section &section : rendering.result.sections) {
        if (section.isMarkdown())
            rendering.documents.append(MarkdownContent(section.markdownText()));
        else
            rendering.documents.append(std::nullopt);
    }
    return rendering;
}

NotePreviewView::Links NotePreviewView::links()
{
    const QPointer<NotePreviewView> self(this);
    Links links;
    links.openLink = [self](const QUrl &url) {
        if (self)
            self->openLink(url);
    };
    if (onOpenExternally) {
        links.openExternally = [self] {
            if (self && self->onOpenExternally)
                self->onOpenExternally();
        };
    }
    return links;
}

ui::View NotePreviewView::body(const Rendering &rendering, const Links &links)
{
    // Embedded images come only from the vault: no block image is fetched from the web.
    const VaultImageProvider images(rendering.vaultURL);

    std::vector<ui::View> rows;
    rows.reserve(rendering.result.sections.size());
    for (qsizetype i = 0; i < rendering.result.sections.size(); ++i) {
        const LargeTablePreviewSimplifier::Section &section = rendering.result.sections.at(i);
        if (!section.isMarkdown()) {
            rows.push_back(SimplifiedTablePlaceholderView(section.table(), links.openExternally));
            continue;
        }
        const MarkdownContent &document = *rendering.documents.at(i);
        rows.push_back(Markdown(document)
                           .view()
                           .modifier(markdownTheme(previewTheme()))
                           .modifier(markdownSoftBreakMode(SoftBreak::Mode::LineBreak))
                           .modifier(markdownImageProvider(images))
                           .onOpenUrl(links.openLink));
    }
    constexpr double infinity = std::numeric_limits<double>::infinity();
    return ui::VStack(ui::HorizontalAlignment::Leading, 12, std::move(rows))
        .textSelection(true)
        .padding(16)
        .frame(ui::FlexibleFrame().withMaxWidth(infinity).withAlignment(ui::Alignment::leading()));
}

void NotePreviewView::noteChanged()
{
    const ObsidianContext context = ObsidianContext::fromVault(vault(), currentNoteURL());
    const NotePreviewKey key(content(), &context);
    if (m_pending && *m_pending == key)
        return; // on its way already
    // Whatever is still being made is for an older text or vault now.
    ++m_generation;
    m_work.cancel();
    m_pending.reset();
    if (m_memo.holds(key)) {
        // What is shown is this very note, though an appearance change while another
        // was on its way may have left it in the old look.
        if (!m_host->showsCurrentEnvironment() && !appearanceChanged())
            m_host->setRootView(body(m_shown));
        return;
    }
    ++m_computations;
    if (content().size() < backgroundThreshold) {
        showRendering(render(content(), context), key, currentNoteURL());
        return;
    }
    renderOffThread(key, context);
}

void NotePreviewView::renderOffThread(const NotePreviewKey &key, const ObsidianContext &context)
{
    m_pending = key;
    buildOffThread([text = content(), context] { return render(text, context); },
        [key, note = currentNoteURL()](NotePreviewView &self, Rendering rendering,
            std::unique_ptr<ui::ViewTree> tree, quint64 environmentRevision) {
            self.m_pending.reset();
            self.showRendering(std::move(rendering), std::move(tree), environmentRevision, key, note);
        });
}

bool NotePreviewView::appearanceChanged()
{
    if (m_pending) {
        // The note on its way is made in the look it was started in: made again.
        ++m_generation;
        const NotePreviewKey key = *m_pending;
        renderOffThread(key, ObsidianContext::fromVault(vault(), currentNoteURL()));
        return true;
    }
    // A short note is resolved again at once by the host.
    if (!m_shownOffThread)
        return false;
    ++m_generation;
    buildOffThread([rendering = m_shown] { return rendering; },
        [](NotePreviewView &self, Rendering, std::unique_ptr<ui::ViewTree> tree,
            quint64 environmentRevision) {
            disposeOffThread(self.m_host->adoptTree(std::move(tree), environmentRevision));
            Q_EMIT self.rendered();
        });
    return true;
}

void NotePreviewView::buildOffThread(std::function<Rendering()> make, Built built)
{
    const quint64 generation = m_generation;
    // Work started before is for an older text or look: it stops where it is.
    m_work.cancel();
    m_work = ui::CancellationToken();
    // What the worker needs of the widgets is read here: it touches none of them.
    auto tree = std::make_shared<std::unique_ptr<ui::ViewTree>>(
        std::make_unique<ui::ViewTree>(ui::View(), m_host->treeEnvironment()));
    (*tree)->store().holdTasks();
    const quint64 environmentRevision = m_host->environmentRevision();
    const double scrollingWidth = m_host->viewportWidth(true);
    const double fittingWidth = m_host->viewportWidth(false);
    const double fittingHeight = m_host->viewportHeight();
    // Checked on the main thread only: the preview may be gone by the time the
    // rendering is ready.
    const QPointer<NotePreviewView> self(this);
    ui::layoutThreads().start([self, generation, make = std::move(make), built = std::move(built),
                                  links = links(), tree, environmentRevision, scrollingWidth, fittingWidth,
                                  fittingHeight, work = m_work] {
        const ui::CancellationToken::Scope cancellation(work);
        Rendering rendering = make();
        ui::ViewTree &made = **tree;
        made.setRoot(body(rendering, links));
        made.setParallelLayout(true);
        // A note this long almost always scrolls: laid out for the scroll bar first.
        made.rebuild(scrollingWidth);
        if (std::ceil(made.contentSize().height()) <= fittingHeight && fittingWidth != scrollingWidth)
            made.layout(fittingWidth);
        if (work.isCancelled()) {
            dispose(*tree); // cut short: nobody takes it
            return;
        }
        MainQueue::async(
            [self, generation, built, rendering = std::move(rendering), tree, environmentRevision]() mutable {
                if (!self || self->m_generation != generation) {
                    disposeOffThread(std::move(*tree));
                    return;
                }
                built(*self, std::move(rendering), std::move(*tree), environmentRevision);
            });
    });
}

void NotePreviewView::showRendering(Rendering rendering, const NotePreviewKey &key, const QUrl &note)
{
    m_host->setRootView(body(rendering));
    m_shownOffThread = false;
    shown(std::move(rendering), key, note);
}

void NotePreviewView::showRendering(Rendering rendering, std::unique_ptr<ui::ViewTree> tree,
    quint64 environmentRevision, const NotePreviewKey &key, const QUrl &note)
{
    disposeOffThread(m_host->adoptTree(std::move(tree), environmentRevision));
    m_shownOffThread = true;
    shown(std::move(rendering), key, note);
}

void NotePreviewView::shown(Rendering rendering, const NotePreviewKey &key, const QUrl &note)
{
    m_memo.value(key, [&rendering] { return rendering.result; });
    m_shown = std::move(rendering);
    // Another note starts at its top; the same note, rendered again, stays where
    // the reader is.
    if (note != m_shownNote)
        m_host->verticalScrollBar()->setValue(0);
    m_shownNote = note;
    Q_EMIT rendered();
}

NotePreviewView::LinkResult NotePreviewView::handleOpenURL(const QUrl &url)
{
    // QUrl keeps schemes and hosts in lower case, so every spelling of the note
    // scheme lands here: none of them is ever handed to the desktop.
    if (url.scheme() == noteScheme) {
        if (url.host() != noteHost)
            return LinkResult::Handled;
        const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
        for (const auto &[name, value] : items) {
            if (name != QLatin1String("path"))
                continue;
            const std::optional<QUrl> note = listedNote(value);
            if (note && onNavigateToNote)
                onNavigateToNote(*note);
            break; // only the first "path" counts
        }
        return LinkResult::Handled;
    }
    if (url.scheme().isEmpty())
        return LinkResult::Handled;
    if (url.isLocalFile() && launchesAProgram(url.toLocalFile()))
        return LinkResult::Handled;
    return LinkResult::SystemAction;
}

void NotePreviewView::openLink(const QUrl &url)
{
    if (handleOpenURL(url) == LinkResult::SystemAction)
        m_workspace.open(url);
}

std::optional<QUrl> NotePreviewView::listedNote(const QString &path) const
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return std::nullopt;
    const QString clean = QDir::cleanPath(path);
    // A listed note that is itself a symbolic link is listed under its own path;
    // a path that leads to a listed note through a link is followed.
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    const QList<NoteFile> notes = vault().allFiles();
    for (const QString &candidate : { clean, canonical }) {
        if (candidate.isEmpty())
            continue;
        for (const NoteFile &note : notes) {
            if (QDir::cleanPath(note.url.toLocalFile()) == candidate)
                return note.url;
        }
    }
    return std::nullopt;
}
