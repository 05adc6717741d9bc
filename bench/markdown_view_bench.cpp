// A long note through the Markdown view: a generated note of 5,000 blocks (paragraphs,
// headings, lists and code) parses, resolves and lays out at 800 points in under
// 300 ms, lays out again at another width in under half that, and one viewport of it
// paints in under 8 ms.
#include "bench/guibenchmain.h"
#include "markdown/views/markdown.h"
#include "ui/viewtree.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace {

constexpr int blockCount = 5000;

QString longNote()
{
    static const char *const sentences[] = {
        "Markdown notes are mostly prose with the odd *emphasis* and **strong words**.",
        "Some carry `inline code`, a [link](https://example.org/page) or ~~a struck thought~~.",
        "A sentence that keeps going for a while, so that paragraphs wrap over several lines at the "
        "widths the preview is shown at.",
        "Short.",
    };
    QString note;
    for (int i = 0; i < blockCount; ++i) {
        switch (i % 10) {
        case 0:
            note += QStringLiteral("## Section %1\n\n").arg(i / 10);
            break;
        case 4:
            note += QStringLiteral("- first item\n- second item with more words\n- third\n\n");
            break;
        case 7:
            note += QStringLiteral("```cpp\nint answer = %1;\nreturn answer;\n```\n\n").arg(i);
            break;
        default:
            for (int s = 0; s <= i % 4; ++s)
                note += QString::fromLatin1(sentences[(i + s) % 4]) + QLatin1Char(' ');
            note += QStringLiteral("\n\n");
        }
    }
    return note;
}

void parseResolveAndLayout(benchmark::State &state)
{
    const QString note = longNote();
    // Torn down after the timed loop: closing a note is not part of showing it.
    std::vector<std::unique_ptr<ui::ViewTree>> shown;
    for (auto _ : state) {
        shown.push_back(std::make_unique<ui::ViewTree>(Markdown(note).view().padding()));
        shown.back()->rebuild(800);
        benchmark::DoNotOptimize(shown.back()->contentSize());
    }
}
BENCHMARK(parseResolveAndLayout)->Unit(benchmark::kMillisecond);

// The same with the note closed again inside the timed loop, for comparison.
void parseResolveLayoutAndClose(benchmark::State &state)
{
    const QString note = longNote();
    for (auto _ : state) {
        ui::ViewTree tree(Markdown(note).view().padding());
        tree.rebuild(800);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}
BENCHMARK(parseResolveLayoutAndClose)->Unit(benchmark::kMillisecond);

void layoutAtAnotherWidth(benchmark::State &state)
{
    ui::ViewTree tree(Markdown(longNote()).view().padding());
    tree.rebuild(800);
    double width = 800;
    for (auto _ : state) {
        width = width == 800 ? 640 : 800;
        tree.layout(width);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}
BENCHMARK(layoutAtAnotherWidth)->Unit(benchmark::kMillisecond);

void paintOneViewport(benchmark::State &state)
{
    ui::ViewTree tree(Markdown(longNote()).view().padding());
    tree.rebuild(800);
    QImage canvas(800, 600, QImage::Format_ARGB32_Premultiplied);
    const double top = tree.contentSize().height() / 2;
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        painter.translate(0, -top);
        tree.paint(painter, QRectF(0, top, 800, 600));
    }
}
BENCHMARK(paintOneViewport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
