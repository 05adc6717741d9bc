// The preview of a note held against Qt's own rich-text document doing the same work,
// interleaved note by note on the same notes, each timed until its first frame is drawn.
// The preview: the note set in the preview as the notes pane sets it, laid out, and its
// first 800 by 600 viewport painted. The document: the same text through setMarkdown
// (GitHub dialect), laid out at 800 points to the last block, and its first 800 by 600
// drawn. Freeing what the frame no longer needs comes after it on both sides. Bare
// cmark-gfm to HTML is the floor.
//
// Targets: over a few hundred ordinary notes (0.1 to 10 KB, as a vault holds them) the
// median note takes no longer in the preview than in the document; long notes (256 KB,
// 1 MB) stay ahead of it. Notes of 16 to 64 KB take no longer on the path the preview
// takes than laid out and painted on the calling thread alone, both right after another
// note and after the global pool's threads expired. The summary prints
// each figure beside its target.
#include "appbench.h"
#include "guibenchmain.h"
#include "ordinarynotes.h"

#include "markdown/model/markdownparser.h"
#include "preview/notepreviewview.h"

#include "ui/hostingview.h"
#include "ui/viewtree.h"

#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QThreadPool>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int noteCount = 300;
constexpr int viewportWidth = 800;
constexpr int viewportHeight = 600;

struct Fixture : NotesAppBench
{
    std::unique_ptr<NotePreviewView> preview;
    QImage canvas { viewportWidth, viewportHeight, QImage::Format_ARGB32_Premultiplied };
    int opened = 0;

    NotesManager &notes() { return appState->notesManager(); }

    QUrl url(int index) const
    {
        return QUrl::fromLocalFile(vault + QStringLiteral("/Note %1.md").arg(index));
    }
};

// Made on first use, gone before the application object.
std::unique_ptr<Fixture> shared;

Fixture &fixture()
{
    if (shared)
        return *shared;
    shared = std::make_unique<Fixture>();
    Fixture *f = shared.get();
    f->vault = QDir(f->dir.path()).canonicalPath() + QStringLiteral("/Vault");
    QDir().mkpath(f->vault);
    for (int i = 0; i < noteCount; ++i) {
        QFile file(QStringLiteral("%1/Note %2.md").arg(f->vault).arg(i));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the bench vault");
        file.write("text");
    }
    f->startNotes();
    f->preview = std::make_unique<NotePreviewView>(f->notes(), f->workspace);
    f->preview->resize(viewportWidth, viewportHeight);
    f->preview->show();
    return *shared;
}

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The note set in the preview as the notes pane sets it (a long one goes to a worker),
// laid out, and the first viewport painted.
double previewTime(Fixture &f, const QString &text)
{
    f.canvas.fill(Qt::transparent);
    NotePreviewView &preview = *f.preview;
    const Clock::time_point start = Clock::now();
    // Every note is another note of the vault, so the memo never answers.
    preview.setNote(text, f.url(f.opened++ % noteCount));
    while (preview.isRendering())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    preview.host().flush();
    QPainter painter(&f.canvas);
    preview.host().tree().paint(painter, QRectF(0, 0, viewportWidth, viewportHeight));
    painter.end();
    const double elapsed = millisecondsSince(start);
    // The frame is up: what the program does on its next turns (the widget's own paint,
    // freeing the elements the note replaced) is not waited for.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return elapsed;
}

// The same work on the calling thread alone: rewritten, cut, parsed, resolved, laid
// out and painted, without a worker.
double oneThreadTime(Fixture &f, const QString &text)
{
    f.canvas.fill(Qt::transparent);
    const ui::EnvironmentValues environment = f.preview->host().treeEnvironment();
    const double width = f.preview->host().viewportWidth(true);
    const Clock::time_point start = Clock::now();
    const QUrl note = f.url(f.opened++ % noteCount);
    const NotePreviewView::Rendering rendering
        = NotePreviewView::render(text, ObsidianContext::fromVault(f.notes(), note));
    // Freed once the frame is drawn, as the preview frees the note it replaced.
    auto tree = std::make_unique<ui::ViewTree>(f.preview->body(rendering), environment);
    tree->rebuild(width);
    QPainter painter(&f.canvas);
    tree->paint(painter, QRectF(0, 0, viewportWidth, viewportHeight));
    painter.end();
    return millisecondsSince(start);
}

double documentTime(Fixture &f, const QString &text)
{
    f.canvas.fill(Qt::transparent);
    const Clock::time_point start = Clock::now();
    // Freed once the frame is drawn, as the preview frees the note it replaced.
    auto document = std::make_unique<QTextDocument>();
    document->setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    document->setTextWidth(viewportWidth);
    benchmark::DoNotOptimize(document->documentLayout()->documentSize());
    QPainter painter(&f.canvas);
    document->drawContents(&painter, QRectF(0, 0, viewportWidth, viewportHeight));
    painter.end();
    return millisecondsSince(start);
}

double cmarkTime(const QString &text)
{
    const Clock::time_point start = Clock::now();
    const QByteArray bytes = text.toUtf8();
    cmark_parser *parser = cmark_parser_new(CMARK_OPT_DEFAULT);
    for (const char *extension : { "autolink", "strikethrough", "tagfilter", "tasklist", "table" })
        cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(extension));
    cmark_parser_feed(parser, bytes.constData(), size_t(bytes.size()));
    cmark_node *document = cmark_parser_finish(parser);
    char *html = cmark_render_html(document, CMARK_OPT_DEFAULT, cmark_parser_get_syntax_extensions(parser));
    benchmark::DoNotOptimize(html);
    free(html);
    cmark_node_free(document);
    cmark_parser_free(parser);
    return millisecondsSince(start);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// What the summary prints, by benchmark.
std::map<std::string, std::string> &summary()
{
    static std::map<std::string, std::string> lines;
    return lines;
}

// Every note through the three in turn on each pass; each note's time is its best
// over the passes (the machine is shared: the best is the least disturbed).
void BM_OrdinaryNotes(benchmark::State &state)
{
    Fixture &f = fixture();
    static const std::vector<QString> notes = ordinarynotes::ordinaryNotes(noteCount);
    std::vector<double> preview(notes.size(), 1e9), document(notes.size(), 1e9), cmark(notes.size(), 1e9);
    bool previewFirst = true;
    for (auto _ : state) {
        for (size_t i = 0; i < notes.size(); ++i) {
            // Each side goes first on every other pass: what one leaves behind (memory
            // freed, caches filled) falls on the other alike.
            if (!previewFirst)
                document[i] = std::min(document[i], documentTime(f, notes[i]));
            preview[i] = std::min(preview[i], previewTime(f, notes[i]));
            if (previewFirst)
                document[i] = std::min(document[i], documentTime(f, notes[i]));
            cmark[i] = std::min(cmark[i], cmarkTime(notes[i]));
        }
        previewFirst = !previewFirst;
    }
    std::vector<double> ratios;
    // By upper bound in bytes: the notes' ratios, preview times and document times.
    std::map<int, std::array<std::vector<double>, 3>> bands;
    for (size_t i = 0; i < notes.size(); ++i) {
        ratios.push_back(preview[i] / document[i]);
        const qsizetype bytes = notes[i].toUtf8().size();
        const int band = bytes < 500 ? 500 : bytes < 1000 ? 1000 : bytes < 3000 ? 3000 : 11000;
        bands[band][0].push_back(preview[i] / document[i]);
        bands[band][1].push_back(preview[i]);
        bands[band][2].push_back(document[i]);
    }
    const double previewMedian = median(preview);
    const double documentMedian = median(document);
    const double cmarkMedian = median(cmark);
    state.counters["previewMs"] = previewMedian;
    state.counters["documentMs"] = documentMedian;
    state.counters["cmarkMs"] = cmarkMedian;
    state.counters["ratio"] = median(ratios);
    QString line = QStringLiteral("%1 notes: median preview %2 ms, document %3 ms, cmark %4 ms; "
                                  "median of the notes' ratios %5 (target <= 1), ratio of medians %6, "
                                  "over cmark %7; by size band:")
                       .arg(notes.size())
                       .arg(previewMedian, 0, 'f', 3)
                       .arg(documentMedian, 0, 'f', 3)
                       .arg(cmarkMedian, 0, 'f', 3)
                       .arg(median(ratios), 0, 'f', 2)
                       .arg(previewMedian / documentMedian, 0, 'f', 2)
                       .arg(previewMedian / cmarkMedian, 0, 'f', 1);
    for (const auto &[band, values] : bands) {
        line += QStringLiteral(" <%1 B %2 (%3 against %4 ms, %5 notes)")
                    .arg(band)
                    .arg(median(values[0]), 0, 'f', 2)
                    .arg(median(values[1]), 0, 'f', 3)
                    .arg(median(values[2]), 0, 'f', 3)
                    .arg(values[0].size());
    }
    summary()["ordinary"] = line.toStdString();
}
BENCHMARK(BM_OrdinaryNotes)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_LongNote(benchmark::State &state)
{
    Fixture &f = fixture();
    const qsizetype bytes = state.range(0);
    const QString note = ordinarynotes::longNote(bytes, 1000);
    const QString other = ordinarynotes::longNote(bytes, 2000);
    double preview = 1e9, document = 1e9;
    for (auto _ : state) {
        // The other note first: the preview never shows the same note twice in a row.
        previewTime(f, other);
        preview = std::min(preview, previewTime(f, note));
        document = std::min(document, documentTime(f, note));
    }
    state.counters["previewMs"] = preview;
    state.counters["documentMs"] = document;
    summary()["long " + std::to_string(bytes / 1024)]
        = QStringLiteral("%1 KB note: preview %2 ms, document %3 ms, ratio %4 (target < 1)")
              .arg(bytes / 1024)
              .arg(preview, 0, 'f', 1)
              .arg(document, 0, 'f', 1)
              .arg(preview / document, 0, 'f', 2)
              .toStdString();
}
BENCHMARK(BM_LongNote)->Unit(benchmark::kMillisecond)->Arg(256 * 1024)->Arg(1024 * 1024)->Iterations(3);

// A note of 16 to 64 KB through the preview's own path against the same work on the
// calling thread. Cold: the global pool's threads are gone before each note, as after
// half a minute without work: a thread of it that takes the work starts with nothing
// cached.
void middleSized(benchmark::State &state, bool cold)
{
    Fixture &f = fixture();
    const qsizetype bytes = state.range(0);
    const QString note = ordinarynotes::longNote(bytes, 3000 + int(bytes / 1024));
    double preview = 1e9, alone = 1e9;
    bool previewFirst = true;
    for (auto _ : state) {
        if (cold)
            QThreadPool::globalInstance()->waitForDone();
        if (!previewFirst)
            alone = std::min(alone, oneThreadTime(f, note));
        preview = std::min(preview, previewTime(f, note));
        if (previewFirst)
            alone = std::min(alone, oneThreadTime(f, note));
        previewFirst = !previewFirst;
    }
    state.counters["previewMs"] = preview;
    state.counters["oneThreadMs"] = alone;
    summary()[(cold ? "mid cold " : "mid warm ") + std::to_string(100 + bytes / 1024)]
        = QStringLiteral("%1 KB note, worker threads %2: preview's path %3 ms, one thread %4 ms, "
                         "ratio %5 (target <= 1)")
              .arg(bytes / 1024)
              .arg(cold ? QStringLiteral("cold") : QStringLiteral("warm"))
              .arg(preview, 0, 'f', 1)
              .arg(alone, 0, 'f', 1)
              .arg(preview / alone, 0, 'f', 2)
              .toStdString();
}

void BM_MiddleSizedWarm(benchmark::State &state)
{
    middleSized(state, false);
}
void BM_MiddleSizedCold(benchmark::State &state)
{
    middleSized(state, true);
}
BENCHMARK(BM_MiddleSizedWarm)
    ->Unit(benchmark::kMillisecond)
    ->DenseRange(16 * 1024, 64 * 1024, 8 * 1024)
    ->Iterations(8);
BENCHMARK(BM_MiddleSizedCold)
    ->Unit(benchmark::kMillisecond)
    ->DenseRange(16 * 1024, 64 * 1024, 8 * 1024)
    ->Iterations(8);

} // namespace

int main(int argc, char **argv)
{
    MarkdownParser::registerExtensions();
    return runGuiBenchmarks<QApplication>(argc, argv, [] {
        shared.reset();
        for (const auto &[name, line] : summary())
            std::printf("%s\n", line.c_str());
    });
}
