// Parsing through the bridge into the document model, side by side with a bare parse of
// the same bytes by the library alone (same extensions, tree freed). The bridge should
// stay within 1.5 times the bare parse; the summary at the end prints each ratio.
#include "markdown/model/markdownparser.h"

#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <QString>
#include <QStringList>

#include <cstdio>
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

// A long project README of the usual shape: badges, sections, nested lists, task lists,
// code samples, tables, quotes and links.
QString readme()
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
        { "readme", readme() } };
    return all;
}

void bareParse(benchmark::State &state, const std::string &name)
{
    MarkdownParser::registerExtensions();
    const QByteArray bytes = inputs().at(name).toUtf8();
    for (auto _ : state) {
        cmark_parser *parser = cmark_parser_new(CMARK_OPT_DEFAULT);
        for (const char *extension : { "autolink", "strikethrough", "tagfilter", "tasklist", "table" })
            cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(extension));
        cmark_parser_feed(parser, bytes.constData(), size_t(bytes.size()));
        cmark_node *document = cmark_parser_finish(parser);
        benchmark::DoNotOptimize(document);
        cmark_node_free(document);
        cmark_parser_free(parser);
    }
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

// Prints the usual table, then bridge time over bare time for each input.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto &[name, _] : inputs()) {
            const double bare = m_times["bare/" + name];
            const double bridge = m_times["bridge/" + name];
            if (bare > 0)
                std::printf("%-10s bridge/bare = %.2f (target <= 1.50)\n", name.c_str(), bridge / bare);
        }
    }

private:
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
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
