// The note rewrite runs on the main thread before every preview of a changed note,
// so it has to stay cheaper than the Markdown parse that follows it. Each text is
// measured both ways in one run: "rewrite" against "parse" on the same 1 MB note.
#include "preview/obsidianprocessor.h"

#include <QLoggingCategory>

#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

namespace {

constexpr qsizetype noteSize = 1 << 20;

ObsidianContext benchVault()
{
    ObsidianContext context;
    for (int i = 0; i < 500; ++i) {
        const QString folder = QStringLiteral("Folder %1").arg(i % 10);
        const QString name = QStringLiteral("Note %1").arg(i);
        const QUrl url = QUrl::fromLocalFile(QStringLiteral("/home/me/Vault/%1/%2.md").arg(folder, name));
        context.allFiles.append(NoteFile { url, name, url, folder, QDateTime() });
    }
    for (int i = 0; i < 100; ++i)
        context.allMedia.append(
            QUrl::fromLocalFile(QStringLiteral("/home/me/Vault/media/image-%1.png").arg(i)));
    context.currentNoteURL = context.allFiles.front().url;
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/home/me/Vault"));
    return context;
}

// Every convention, resolved and unresolved, around ordinary Markdown.
QString richNote()
{
    QString text = QStringLiteral("---\ntitle: Bench\ntags: [a, b]\n---\n");
    for (int n = 0; text.size() < noteSize; ++n) {
        text += QStringLiteral(
            "## Section %1\n\n"
            "Intro with a ==highlight== and a [[Note %2]] link, an alias [[Note %3#Plan|the plan]], "
            "a [[Folder 3/Note 13]] and a [[Missing page]].\nA line with a block id ^block-%1\n"
            "%% a hidden comment\nover two lines %%\n"
            "![[image-%4.png|300]] and ![[media/image-%5.png]] and ![[gone.png]]\n\n"
            "> [!warning] Careful with [[Note %4]]\n> Body of the callout with ==marks== too.\n\n"
            "- item one ^li-%1\n- item two with `code == here` and [a link](https://example.com/?q=1)\n\n"
            "| a | b |\n|---|---|\n| 1 | 2 |\n\n")
                    .arg(n)
                    .arg(n % 500)
                    .arg((n * 7) % 500)
                    .arg(n % 100)
                    .arg((n * 3) % 100);
    }
    return text;
}

QString prose()
{
    QString text;
    for (int n = 0; text.size() < noteSize; ++n) {
        text += QStringLiteral(
            "Paragraph %1 tells of a walk along the river, where the water ran fast and clear over "
            "the stones; nothing in it needs rewriting, and the rewrite should notice that quickly. "
            "It has *emphasis*, `code`, and a [plain link](https://example.org/page-%1).\n\n")
                    .arg(n);
    }
    return text;
}

const QString &textFor(int which)
{
    static const QString rich = richNote();
    static const QString plain = prose();
    return which == 0 ? rich : plain;
}

void BM_Rewrite(benchmark::State &state)
{
    // Unresolved links log at debug level; the bench measures the rewrite, not the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*.debug=false"));
    const QString &text = textFor(int(state.range(0)));
    const ObsidianContext context = benchVault();
    for (auto _ : state)
        benchmark::DoNotOptimize(ObsidianProcessor::process(text, context));
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
    state.SetLabel(state.range(0) == 0 ? "rich note" : "plain prose");
}

void BM_Parse(benchmark::State &state)
{
    cmark_gfm_core_extensions_ensure_registered();
    const QByteArray bytes = textFor(int(state.range(0))).toUtf8();
    for (auto _ : state) {
        cmark_parser *parser = cmark_parser_new(CMARK_OPT_DEFAULT);
        for (const char *name : { "table", "strikethrough", "autolink", "tagfilter", "tasklist" })
            cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
        cmark_parser_feed(parser, bytes.constData(), size_t(bytes.size()));
        cmark_node *document = cmark_parser_finish(parser);
        benchmark::DoNotOptimize(document);
        cmark_node_free(document);
        cmark_parser_free(parser);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.SetLabel(state.range(0) == 0 ? "rich note" : "plain prose");
}

} // namespace

BENCHMARK(BM_Rewrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
