// Parsing through the bridge into the document model, side by side with a bare parse of
// the same bytes by the library alone (same extensions, tree freed). The bridge should
// stay within 1.5 times the bare parse; the summary at the end prints each ratio.
//
// Hostile input (deep nesting, ragged tables, broken bytes, a 10 MB document) must parse
// in time linear in its size: each kind runs at a small and a large size, through the
// bridge and through the library alone, and the summary prints how the time per byte grows.
#include "markdown/model/markdownparser.h"
#include "markdown/model/parseguard.h"

#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

QString prose()
{
    QString text;
    for (int i = 0; i < 2000; ++i) {
        text += QStringLiteral(
            "Paragraph %1 talks about *emphasis*, **strong words**, `inline code` and a "
            "[link to somewhere](https://example.org/page/%1). It wraps over\n"
            "a second line with ~~struck~~ text and an address https://example.com/%1 too.\n\n")
                    .arg(i);
    }
    return text;
}

QString table()
{
    QString text = QStringLiteral("| Name | Size | Kind | Notes |\n|:--|--:|:-:|---|\n");
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("| file-%1.txt | %2 | *text* | `n/a` and [ref](#r%1) |\n").arg(i).arg(i * 37);
    return text;
}

// A project's real README, as people write them: badges, a long table of contents, nested
// lists, reference links, raw HTML and code samples.
QString readme()
{
    QFile file(QStringLiteral(QV_BENCH_DATA_DIR "/long_readme.md"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Cannot read %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll());
}

// Every block kind of the model in the shape a README has: sections with nested lists,
// task lists, code samples, tables, quotes and links.
QString mixed()
{
    QString text = QStringLiteral("# Project\n\n[![build](https://img.example/b.svg)](https://ci.example) "
                                  "![licence](https://img.example/l.svg)\n\n> A short tagline with a "
                                  "[link](https://example.org).\n\n");
    for (int section = 0; section < 150; ++section) {
        text += QStringLiteral(
            "## Section %1\n\nSome introduction with *emphasis*, **bold**, `code`, and "
            "<kbd>Ctrl</kbd>+<kbd>C</kbd>.\nA soft break, then a hard one  \nand the end.\n\n"
            "- First point\n  - nested *detail*\n  - another [link](https://x.org/%1)\n"
            "- Second point\n\n1. Step one\n2. Step two\n3. Step three\n\n"
            "- [x] done task\n- [ ] open task\n\n"
            "```cpp\nint main(int argc, char **argv)\n{\n    return %1;\n}\n```\n\n"
            "| Option | Default | Meaning |\n|---|:-:|--:|\n| `--fast` | off | goes fast |\n"
            "| `--size` | %1 | the size |\n\n---\n\n")
                    .arg(section);
    }
    return text;
}

const std::map<std::string, QString> &inputs()
{
    static const std::map<std::string, QString> all { { "prose", prose() }, { "table5000", table() },
        { "readme", readme() }, { "mixed", mixed() } };
    return all;
}

// The library alone, with the same extensions, its tree freed.
void parseBare(const QByteArray &bytes)
{
    cmark_parser *parser = cmark_parser_new(CMARK_OPT_DEFAULT);
    for (const char *extension : { "autolink", "strikethrough", "tagfilter", "tasklist", "table" })
        cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(extension));
    cmark_parser_feed(parser, bytes.constData(), size_t(bytes.size()));
    cmark_node *document = cmark_parser_finish(parser);
    benchmark::DoNotOptimize(document);
    cmark_node_free(document);
    cmark_parser_free(parser);
}

void bareParse(benchmark::State &state, const std::string &name)
{
    MarkdownParser::registerExtensions();
    const QByteArray bytes = inputs().at(name).toUtf8();
    for (auto _ : state)
        parseBare(bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

// The pass that keeps hostile shapes from the library, alone: its share of the bridge.
void guardPass(benchmark::State &state, const std::string &name)
{
    const QByteArray bytes = inputs().at(name).toUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseGuard::defused(bytes));
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

void bridgeParse(benchmark::State &state, const std::string &name)
{
    const QString &text = inputs().at(name);
    for (auto _ : state) {
        std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(text);
        benchmark::DoNotOptimize(blocks);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.toUtf8().size());
}

// Hostile inputs of about n bytes, as UTF-8 (some of them deliberately not valid UTF-8).
QByteArray repeatedTo(const QByteArray &unit, qsizetype n)
{
    return unit.repeated(std::max<qsizetype>(1, n / unit.size()));
}

// A kind of hostile input: its bytes at about a given size, and the two sizes it runs at.
struct HostileInput
{
    std::function<QByteArray(qsizetype)> make;
    qsizetype small = 64 * 1024;
    qsizetype large = 1024 * 1024;
};

const std::map<std::string, HostileInput> &hostileInputs()
{
    static const std::map<std::string, HostileInput> all {
        { "deepQuotes", { [](qsizetype n) { return QByteArray(n, '>') + " deep text"; } } },
        { "deepLists", { [](qsizetype n) { return repeatedTo("- ", n) + "leaf"; } } },
        { "deepNumberedLists", { [](qsizetype n) { return repeatedTo("1. ", n) + "leaf"; } } },
        { "raggedTable", { [](qsizetype n) {
             return "| a | b | c |\n|---|:-:|--:|\n" + repeatedTo("| 1 |\n| 1 | 2 | 3 | 4 | 5 |\n", n);
         } } },
        { "brokenBytes",
            { [](qsizetype n) { return repeatedTo(QByteArray("a\0b \xff\xfe *c* \xc3 ~~d~~\n", 20), n); } } },
        // Up to the 10 MB a very large note may reach: many ordinary blocks.
        { "largeDocument",
            { [](qsizetype n) {
                 return repeatedTo(
                     "# Title\n\nSome *text* with `code` and a [link](https://x.org).\n\n- a\n- b\n\n", n);
             },
                64 * 1024, 10 * 1024 * 1024 } },
        // The library's own weak spot, kept in view: one paragraph mixing emphasis and
        // links grows quadratically in the library alone.
        { "emphasisAndLinksInOneParagraph",
            { [](qsizetype n) { return repeatedTo("*b* [d](u)\n", n); }, 16 * 1024, 64 * 1024 } },
    };
    return all;
}

void hostileBare(benchmark::State &state, const std::string &name)
{
    MarkdownParser::registerExtensions();
    const QByteArray bytes = hostileInputs().at(name).make(qsizetype(state.range(0)));
    for (auto _ : state)
        parseBare(bytes);
    state.counters["bytes"] = double(bytes.size());
}

void hostileBridge(benchmark::State &state, const std::string &name)
{
    const QByteArray bytes = hostileInputs().at(name).make(qsizetype(state.range(0)));
    for (auto _ : state) {
        std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(QByteArrayView(bytes));
        benchmark::DoNotOptimize(blocks);
    }
    state.counters["bytes"] = double(bytes.size());
}

// Prints the usual table, then bridge time over bare time for each input, and for each
// hostile input how the time per byte grows from the small to the large size, through the
// bridge and in the library alone.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const auto bytes = run.counters.find("bytes");
            const double perByte = bytes == run.counters.end() ? 1.0 : 1.0 / bytes->second.value;
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime() * perByte;
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto &[name, _] : inputs()) {
            const double bare = m_times["bare/" + name];
            const double bridge = m_times["bridge/" + name];
            if (bare > 0)
                std::printf("%-30s bridge/bare = %.2f (target <= 1.50)\n", name.c_str(), bridge / bare);
        }
        for (const auto &[name, input] : hostileInputs()) {
            const double bridgeGrowth = growth("hostile/bridge/" + name, input);
            const double bareGrowth = growth("hostile/bare/" + name, input);
            if (bridgeGrowth > 0 && bareGrowth > 0)
                std::printf("%-30s time per byte at %lld times the size: bridge x%.1f, library alone x%.1f "
                            "(linear x1, quadratic x%lld; target: as the library)\n",
                    name.c_str(), static_cast<long long>(input.large / input.small), bridgeGrowth, bareGrowth,
                    static_cast<long long>(input.large / input.small));
        }
    }

private:
    double growth(const std::string &prefix, const HostileInput &input)
    {
        const double small = m_times[prefix + "/" + std::to_string(input.small)];
        return small > 0 ? m_times[prefix + "/" + std::to_string(input.large)] / small : 0;
    }

    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    for (const auto &[name, _] : inputs()) {
        benchmark::RegisterBenchmark(("bare/" + name).c_str(), bareParse, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("bridge/" + name).c_str(), bridgeParse, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("guard/" + name).c_str(), guardPass, name)
            ->Unit(benchmark::kMillisecond);
    }
    for (const auto &[name, input] : hostileInputs()) {
        benchmark::RegisterBenchmark(("hostile/bare/" + name).c_str(), hostileBare, name)
            ->Arg(input.small)
            ->Arg(input.large)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("hostile/bridge/" + name).c_str(), hostileBridge, name)
            ->Arg(input.small)
            ->Arg(input.large)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
