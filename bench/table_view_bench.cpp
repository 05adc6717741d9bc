// A large table through the Markdown view: 1,000 rows of 5 columns resolve and lay out
// at 800 points, with their cell bounds, backgrounds and borders, in under 100 ms.
// Larger tables reach the preview only as a summary card.
#include "bench/guibenchmain.h"
#include "markdown/model/markdowncontent.h"
#include "markdown/theme/theme.h"
#include "markdown/views/markdown.h"
#include "ui/viewtree.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int rowCount = 1000;
constexpr int columnCount = 5;

MarkdownContent largeTable()
{
    QString text = QStringLiteral("| Name | Kind | Size | Modified | Notes |\n|---|:-:|--:|---|---|\n");
    for (int row = 0; row < rowCount; ++row) {
        text
            += QStringLiteral("| item %1 | *kind %2* | %3 kB | 2026-12-%4 | a note with `code` and words |\n")
                   .arg(row)
                   .arg(row % 7)
                   .arg(row * 37 % 1000)
                   .arg(row % 28 + 1);
    }
    const MarkdownContent content(text);
    Q_ASSERT_X(content.blocks().size() == 1, "largeTable", "the text is one table");
    return content;
}

void layOut(benchmark::State &state, const Theme &theme)
{
    const MarkdownContent table = largeTable();
    ui::EnvironmentValues env;
    env.set<ThemeKey>(theme);
    for (auto _ : state) {
        auto tree = std::make_unique<ui::ViewTree>(ui::View(Markdown(table)).padding(), env);
        tree->rebuild(800);
        benchmark::DoNotOptimize(tree->contentSize());
        // Closing the note is not part of showing it; its memory goes back to the heap
        // for the next one, as in the running program.
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}

void basicTheme(benchmark::State &state)
{
    layOut(state, Theme::basic());
}
BENCHMARK(basicTheme)->Unit(benchmark::kMillisecond);

// Alternating row backgrounds: a fill behind every cell.
void gitHubTheme(benchmark::State &state)
{
    layOut(state, Theme::gitHub());
}
BENCHMARK(gitHubTheme)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
