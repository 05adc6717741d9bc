// Notes crafted to be slow, through the chain the preview runs on every note: the
// vault rewrite, the large-table simplifier, then the Markdown parse of each section.
// Each shape runs at 64 KB, 256 KB and 1 MB and reports its time and the peak of the
// heap above where it started (as a multiple of the note's size), and the part of it the
// parsed model alone holds. Targets: within 1 s at 1 MB, a peak within 20 times the
// note's size, and time growing no more than 5 times from 256 KB to 1 MB. The summary prints each figure
// beside its target.
#include "markdown/model/markdownparser.h"
#include "preview/largetablepreviewsimplifier.h"
#include "preview/obsidianprocessor.h"

#include <QFile>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

// The heap's high-water mark: every allocation of the process passes through here on
// its way to the C library's allocator, and is counted by the size it really got.
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);
void __libc_free(void *);
}

namespace {

std::atomic<long long> heapInUse { 0 };
std::atomic<long long> heapPeak { 0 };

void *counted(void *memory)
{
    if (memory) {
        const long long now = heapInUse += (long long)malloc_usable_size(memory);
        long long peak = heapPeak.load(std::memory_order_relaxed);
        while (now > peak && !heapPeak.compare_exchange_weak(peak, now))
            ;
    }
    return memory;
}

void uncount(void *memory)
{
    if (memory)
        heapInUse -= (long long)malloc_usable_size(memory);
}

} // namespace

extern "C" {
void *malloc(size_t size)
{
    return counted(__libc_malloc(size));
}
void *calloc(size_t count, size_t size)
{
    return counted(__libc_calloc(count, size));
}
void *realloc(void *memory, size_t size)
{
    uncount(memory);
    void *moved = __libc_realloc(memory, size);
    if (!moved && size != 0) {
        counted(memory); // the old block stays
        return nullptr;
    }
    return counted(moved);
}
void free(void *memory)
{
    uncount(memory);
    __libc_free(memory);
}
void *memalign(size_t alignment, size_t size)
{
    return counted(__libc_memalign(alignment, size));
}
void *aligned_alloc(size_t alignment, size_t size)
{
    return counted(__libc_memalign(alignment, size));
}
int posix_memalign(void **memory, size_t alignment, size_t size)
{
    *memory = counted(__libc_memalign(alignment, size));
    return *memory || size == 0 ? 0 : 12; // ENOMEM
}
}

namespace {

QString repeatedTo(const QString &unit, qsizetype size)
{
    return unit.repeated(std::max<qsizetype>(1, size / unit.size()));
}

// A unit with a counter in it ("%1"), repeated with the counter going up until the text
// holds about `size` bytes: no word or address comes twice.
QString countedTo(const QString &unit, qsizetype size)
{
    QString text;
    for (qsizetype i = 0; text.size() < size; ++i)
        text += unit.arg(i);
    return text;
}

QString readme()
{
    QFile file(QStringLiteral(QV_BENCH_DATA_DIR "/long_readme.md"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Cannot read %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll()) + QStringLiteral("\n\n");
}

// More notes than the parser's tables can tell apart.
constexpr int variedNotes = 5000;

// A shape of hostile note: its text at about a given size in bytes.
using Shape = std::function<QString(qsizetype)>;

const std::map<std::string, Shape> &shapes()
{
    static const std::map<std::string, Shape> all {
        // A table in a list item, 500 columns wide, whose rows hold one cell each.
        { "tableInListItem",
            [](qsizetype n) {
                return QStringLiteral("- ") + QStringLiteral("| c ").repeated(500) + QStringLiteral("|\n  ")
                    + QStringLiteral("|---").repeated(500) + QStringLiteral("|\n")
                    + repeatedTo(QStringLiteral("  | x |\n"), n - 4000);
            } },
        // The same in a quote: the simplifier reads quotes, so this one is summarised.
        { "tableInQuote",
            [](qsizetype n) {
                return QStringLiteral("> ") + QStringLiteral("| c ").repeated(500) + QStringLiteral("|\n> ")
                    + QStringLiteral("|---").repeated(500) + QStringLiteral("|\n")
                    + repeatedTo(QStringLiteral("> | x |\n"), n - 4000);
            } },
        // A header row and its delimiter row, no body.
        { "headerOnlyTable",
            [](qsizetype n) {
                return repeatedTo(QStringLiteral("|a"), n / 2) + QStringLiteral("|\n")
                    + repeatedTo(QStringLiteral("|-"), n / 2) + QStringLiteral("|\n");
            } },
        // One paragraph mixing emphasis and links.
        { "emphasisAndLinks", [](qsizetype n) { return repeatedTo(QStringLiteral("*b* [d](u)\n"), n); } },
        // Ordinary-looking lines without blank lines between them: the rewrite turns the
        // wiki links and highlights into links and strong emphasis of one paragraph.
        { "wikiLinksAndHighlights",
            [](qsizetype n) { return repeatedTo(QStringLiteral("text [[Note]] ==hi== text.\n"), n); } },
        // The same three with every word and address different, so that nothing of the
        // model can be shared; the vault holds variedNotes notes, each linked to in turn.
        { "emphasisAndLinksVaried",
            [](qsizetype n) { return countedTo(QStringLiteral("*b%1* [d%1](u%1)\n"), n); } },
        { "wikiLinksAndHighlightsVaried",
            [](qsizetype n) {
                QString text;
                for (qsizetype i = 0; text.size() < n; ++i)
                    text += QStringLiteral("text%1 [[Note %2]] ==hi%1== text.\n").arg(i).arg(i % variedNotes);
                return text;
            } },
        { "longLineVaried",
            [](qsizetype n) { return countedTo(QStringLiteral("lorem%1 *ipsum%1* dolor "), n); } },
        { "deepQuotes", [](qsizetype n) { return QString(n, u'>') + QStringLiteral(" deep"); } },
        { "deepLists",
            [](qsizetype n) { return repeatedTo(QStringLiteral("- "), n) + QStringLiteral("leaf"); } },
        { "openBrackets", [](qsizetype n) { return QString(n, u'[') + QStringLiteral("a"); } },
        // Every "@" may end the local part of an address that runs on over the others.
        { "atSigns", [](qsizetype n) { return repeatedTo(QStringLiteral("a@"), n); } },
        { "nestedLinks",
            [](qsizetype n) {
                return QString(n / 5, u'[') + QStringLiteral("a")
                    + repeatedTo(QStringLiteral("](u)"), n * 4 / 5);
            } },
        { "longLine", [](qsizetype n) { return repeatedTo(QStringLiteral("lorem *ipsum* dolor "), n); } },
        // For comparison, two notes that are not hostile at all: what the library needs
        // for ordinary writing, and for a real project README.
        { "ordinaryProse",
            [](qsizetype n) {
                return repeatedTo(QStringLiteral("A paragraph about the river, where the water ran fast and "
                                                 "clear over the stones, with *some emphasis*, `code` and a "
                                                 "[link](https://example.org/page).\nIt wraps onto a second "
                                                 "line and ends.\n\n"),
                    n);
            } },
        { "readme", [](qsizetype n) { return repeatedTo(readme(), n); } },
        { "longTableRow",
            [](qsizetype n) {
                return QStringLiteral("| a | b |\n|---|---|\n") + repeatedTo(QStringLiteral("| x "), n);
            } },
    };
    return all;
}

ObsidianContext vault()
{
    ObsidianContext context;
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/home/me/Vault/Note.md"));
    context.allFiles = { NoteFile { url, QStringLiteral("Note"), url, std::nullopt, QDateTime() } };
    for (int i = 0; i < variedNotes; ++i) {
        const QString name = QStringLiteral("Note %1").arg(i);
        const QUrl other = QUrl::fromLocalFile(QStringLiteral("/home/me/Vault/%1.md").arg(name));
        context.allFiles.append(NoteFile { other, name, other, std::nullopt, QDateTime() });
    }
    context.currentNoteURL = url;
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/home/me/Vault"));
    return context;
}

// What the preview does with a note: rewrite, cut out large tables, parse the rest. Gives
// the heap the parsed sections hold, which the preview keeps.
long long preview(const QString &text, const ObsidianContext &context)
{
    const LargeTablePreviewSimplifier::Result result
        = LargeTablePreviewSimplifier::simplify(ObsidianProcessor::process(text, context), 1000, 500, 3);
    std::vector<QList<BlockNode>> parsed;
    const long long before = heapInUse.load();
    for (const LargeTablePreviewSimplifier::Section &section : result.sections) {
        if (section.isMarkdown())
            parsed.push_back(
                MarkdownParser::parseMarkdownBlocks(section.markdownText()).value_or(QList<BlockNode>()));
    }
    return heapInUse.load() - before;
}

void hostile(benchmark::State &state, const std::string &name)
{
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*.debug=false"));
    MarkdownParser::registerExtensions();
    const QString text = shapes().at(name)(qsizetype(state.range(0)));
    const ObsidianContext context = vault();
    const double bytes = double(text.toUtf8().size());
    long long peak = 0;
    long long model = 0;
    for (auto _ : state) {
        const long long before = heapInUse.load();
        heapPeak = before;
        model = preview(text, context);
        peak = std::max(peak, heapPeak.load() - before);
    }
    state.counters["bytes"] = bytes;
    state.counters["peakMB"] = double(peak) / (1 << 20);
    state.counters["peakXsize"] = double(peak) / bytes;
    // The part of the peak that is the parsed model itself, which the preview keeps.
    state.counters["modelXsize"] = double(model) / bytes;
}

constexpr qsizetype sizes[] = { 64 * 1024, 256 * 1024, 1024 * 1024 };

class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            m_seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e3; // run in milliseconds
            m_peak[run.benchmark_name()] = run.counters.at("peakXsize").value;
            m_model[run.benchmark_name()] = run.counters.at("modelXsize").value;
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto &[name, _] : shapes()) {
            const std::string at256 = name + "/" + std::to_string(sizes[1]);
            const std::string at1M = name + "/" + std::to_string(sizes[2]);
            if (!m_seconds.count(at1M))
                continue;
            const double growth = m_seconds.count(at256) ? m_seconds[at1M] / m_seconds[at256] : 0;
            std::printf("%-24s 1 MB: %7.3f s (target <= 1), peak %5.1f x size (target <= 20; the model "
                        "alone %4.1f), 256 KB -> 1 MB time x%.1f (target <= 5)\n",
                name.c_str(), m_seconds[at1M], m_peak[at1M], m_model[at1M], growth);
        }
    }

private:
    std::map<std::string, double> m_seconds;
    std::map<std::string, double> m_peak;
    std::map<std::string, double> m_model;
};

} // namespace

int main(int argc, char **argv)
{
    for (const auto &[name, _] : shapes()) {
        auto *bench
            = benchmark::RegisterBenchmark(name.c_str(), hostile, name)->Unit(benchmark::kMillisecond);
        for (const qsizetype size : sizes)
            bench->Arg(size);
    }
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
