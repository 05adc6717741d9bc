// The table scan runs on the main thread whenever a changed note is previewed.
// It must stay linear (compare the 10,000- and 20,000-row notes of one run) and
// take well under 20 ms for a 20,000-row table or 1 MB of prose.
#include "preview/largetablepreviewsimplifier.h"

#include <benchmark/benchmark.h>

namespace {

QString tableNote(int rows)
{
    QString text = QStringLiteral(
        "# Export\n\nThe whole table:\n\n| id | name | amount | date |\n|---:|:---|---:|---|\n");
    for (int r = 0; r < rows; ++r)
        text += QStringLiteral("| %1 | item number %1 | %2.50 | 2024-05-%3 |\n")
                    .arg(r)
                    .arg(r * 7)
                    .arg(r % 28 + 1);
    text += QStringLiteral("\nThat was all.\n");
    return text;
}

QString proseNote()
{
    QString text;
    for (int n = 0; text.size() < (1 << 20); ++n) {
        text += QStringLiteral(
            "## Part %1\n\nA paragraph about part %1, long enough to wrap in the pane; it has "
            "*emphasis*, `code` and a [link](https://example.org/%1).\n\n"
            "- a list item\n- another one\n\n```\nsome code %1\n```\n\n")
                    .arg(n);
    }
    return text;
}

void BM_SimplifyTable(benchmark::State &state)
{
    const QString text = tableNote(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(LargeTablePreviewSimplifier::simplify(text, 1000, 500, 3));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
}

void BM_SimplifyProse(benchmark::State &state)
{
    const QString text = proseNote();
    for (auto _ : state)
        benchmark::DoNotOptimize(LargeTablePreviewSimplifier::simplify(text, 1000, 500, 3));
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
}

} // namespace

BENCHMARK(BM_SimplifyTable)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_SimplifyProse)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
