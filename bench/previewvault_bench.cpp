// The preview of a linked note at vault scale. Each preview builds a fresh context
// from the vault's published lists (as the notes pane does) and rewrites the note,
// or asks the memo. Targets, at 1,000, 5,000 and 20,000 notes: a note with one link
// rewrites in under 50 us whatever the vault's size; a 5 KB note with 20 links
// rewrites in no more time than its Markdown parse takes; a memo hit costs under
// 10 us. The summary prints each figure beside its target.
#include "markdown/model/markdownparser.h"
#include "preview/notepreviewmemoizer.h"
#include "preview/obsidianprocessor.h"

#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

constexpr int vaultSizes[] = { 1000, 5000, 20000 };

// The lists as a scan publishes them: notes spread over folders, some at the root,
// a few names shared by two folders, images beside them.
struct Vault
{
    QList<NoteFile> files;
    QList<QUrl> media;
    QUrl vaultURL;
};

const Vault &vaultOf(int notes)
{
    static std::map<int, Vault> vaults;
    auto found = vaults.find(notes);
    if (found != vaults.end())
        return found->second;
    Vault vault;
    vault.vaultURL = QUrl::fromLocalFile(QStringLiteral("/home/me/Vault"));
    for (int i = 0; i < notes; ++i) {
        std::optional<QString> folder;
        if (i % 8 != 0)
            folder = QStringLiteral("Folder %1").arg(i % 40);
        // Every 50th name repeats an earlier one, in another folder.
        const QString name = QStringLiteral("Note %1").arg(i % 50 == 49 ? i - 7 : i);
        const QString path = folder ? QStringLiteral("/home/me/Vault/%1/%2.md").arg(*folder, name)
                                    : QStringLiteral("/home/me/Vault/%1.md").arg(name);
        const QUrl url = QUrl::fromLocalFile(path);
        vault.files.append(NoteFile { url, name, url, folder, QDateTime() });
    }
    for (int i = 0; i < notes / 10; ++i)
        vault.media.append(
            QUrl::fromLocalFile(QStringLiteral("/home/me/Vault/Folder %1/img-%2.png").arg(i % 40).arg(i)));
    return vaults.emplace(notes, std::move(vault)).first->second;
}

ObsidianContext contextOf(const Vault &vault)
{
    ObsidianContext context;
    context.allFiles = vault.files;
    context.allMedia = vault.media;
    context.currentNoteURL = vault.files.front().url;
    context.vaultURL = vault.vaultURL;
    return context;
}

QString oneLinkNote(int notes)
{
    return QStringLiteral("# Daily\n\nMet about [[Note %1]] today; nothing else to say.\n").arg(notes / 2);
}

// About 5 KB of ordinary writing with 20 links among the vault's notes (some with a
// folder, a heading or an alias, one missing) and two images.
QString linkedNote(int notes)
{
    QString text = QStringLiteral("---\ntags: [daily]\n---\n# Week\n\n");
    for (int n = 0; n < 20; ++n) {
        const int target = (n * 977) % notes;
        QString link;
        switch (n % 4) {
        case 0:
            link = QStringLiteral("[[Note %1]]").arg(target);
            break;
        case 1:
            link = QStringLiteral("[[Folder %1/Note %2]]").arg(target % 40).arg(target);
            break;
        case 2:
            link = QStringLiteral("[[Note %1#Plan|the plan]]").arg(target);
            break;
        default:
            link = n == 19 ? QStringLiteral("[[Nowhere]]") : QStringLiteral("[[note %1]]").arg(target);
        }
        text += QStringLiteral("Paragraph %1 walks through what happened, with *some emphasis*, `code`, "
                               "a ==highlight== and a link to %2 for the details. More words follow "
                               "so that the note reads like a real one.\n\n")
                    .arg(n)
                    .arg(link);
        if (n % 10 == 5)
            text += QStringLiteral("![[img-%1.png|300]]\n\n").arg(n);
    }
    return text;
}

// What the preview computes when the memo misses: the rewrite, then the simplified tables.
LargeTablePreviewSimplifier::Result preview(const QString &text, const Vault &vault)
{
    const ObsidianContext context = contextOf(vault);
    return LargeTablePreviewSimplifier::simplify(ObsidianProcessor::process(text, context), 1000, 500, 3);
}

void quietLogs()
{
    // Unresolved links log at debug level; the bench measures the rewrite, not the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*.debug=false"));
}

void rewrite(benchmark::State &state, const QString &text)
{
    quietLogs();
    const Vault &vault = vaultOf(int(state.range(0)));
    for (auto _ : state) {
        const ObsidianContext context = contextOf(vault);
        benchmark::DoNotOptimize(ObsidianProcessor::process(text, context));
    }
}

void BM_RewriteOneLink(benchmark::State &state)
{
    rewrite(state, oneLinkNote(int(state.range(0))));
}

void BM_RewriteLinkedNote(benchmark::State &state)
{
    rewrite(state, linkedNote(int(state.range(0))));
}

// The parse of the same note after its rewrite: what the rewrite is held against.
void BM_ParseLinkedNote(benchmark::State &state)
{
    quietLogs();
    const int notes = int(state.range(0));
    const QString markdown = ObsidianProcessor::process(linkedNote(notes), contextOf(vaultOf(notes)));
    for (auto _ : state)
        benchmark::DoNotOptimize(MarkdownParser::parseMarkdownBlocks(markdown));
}

// The preview asks the memo on every evaluation of the pane; the note and the vault
// are unchanged, so each ask is a hit.
void BM_MemoHit(benchmark::State &state)
{
    quietLogs();
    const Vault &vault = vaultOf(int(state.range(0)));
    const QString text = linkedNote(int(state.range(0)));
    NotePreviewMemoizer memo;
    const auto compute = [&] { return preview(text, vault); };
    {
        const ObsidianContext context = contextOf(vault);
        memo.value(NotePreviewKey(text, &context), compute);
    }
    for (auto _ : state) {
        const ObsidianContext context = contextOf(vault);
        benchmark::DoNotOptimize(memo.value(NotePreviewKey(text, &context), compute));
    }
}

// After a rescan that found the vault as it was (every showing of the panel rescans),
// the lists are new but equal: the first ask compares them entry by entry, and the
// asks after it are hits again at once. Measures that first ask.
void BM_MemoHitAfterRescan(benchmark::State &state)
{
    quietLogs();
    const Vault &vault = vaultOf(int(state.range(0)));
    const QString text = linkedNote(int(state.range(0)));
    NotePreviewMemoizer memo;
    const auto compute = [&] { return preview(text, vault); };
    for (auto _ : state) {
        state.PauseTiming();
        // A rescan's lists: new lists of equal notes, whose texts share their data.
        ObsidianContext rescanned = contextOf(vault);
        rescanned.allFiles = QList<NoteFile>(vault.files.begin(), vault.files.end());
        rescanned.allMedia = QList<QUrl>(vault.media.begin(), vault.media.end());
        state.ResumeTiming();
        benchmark::DoNotOptimize(memo.value(NotePreviewKey(text, &rescanned), compute));
    }
}

// Prints the usual table, then each figure beside its target.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            m_us[run.benchmark_name()] = run.GetAdjustedRealTime() * toMicroseconds(run.time_unit);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const int notes : vaultSizes) {
            const std::string n = "/" + std::to_string(notes);
            std::printf("%6d notes: one-link rewrite %8.1f us (target < 50); 5 KB rewrite %8.1f us, "
                        "its parse %7.1f us (target: rewrite <= parse); memo hit %8.2f us (target < 10), "
                        "first after a rescan %8.1f us\n",
                notes, m_us["BM_RewriteOneLink" + n], m_us["BM_RewriteLinkedNote" + n],
                m_us["BM_ParseLinkedNote" + n], m_us["BM_MemoHit" + n], m_us["BM_MemoHitAfterRescan" + n]);
        }
    }

private:
    static double toMicroseconds(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-3;
        case benchmark::kMicrosecond:
            return 1;
        case benchmark::kMillisecond:
            return 1e3;
        case benchmark::kSecond:
            return 1e6;
        }
        return 1;
    }

    std::map<std::string, double> m_us;
};

} // namespace

int main(int argc, char **argv)
{
    for (const auto &[name, function] :
        std::initializer_list<std::pair<const char *, void (*)(benchmark::State &)>> {
            { "BM_RewriteOneLink", BM_RewriteOneLink },
            { "BM_RewriteLinkedNote", BM_RewriteLinkedNote },
            { "BM_ParseLinkedNote", BM_ParseLinkedNote },
            { "BM_MemoHit", BM_MemoHit },
            { "BM_MemoHitAfterRescan", BM_MemoHitAfterRescan },
        }) {
        auto *bench = benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMicrosecond);
        for (const int notes : vaultSizes)
            bench->Arg(notes);
    }
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
