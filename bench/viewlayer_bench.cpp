// The view layer at document scale: 5,000 blocks of stacks, paddings and backgrounds
// resolve and lay out at 800 points in under 200 ms, a re-layout at another width costs
// less than the first layout, and painting one viewport stays under 8 ms.
#include "bench/guibenchmain.h"
#include "ui/layout.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

using namespace ui;

namespace {

constexpr int blockCount = 5000;

View block(int index)
{
    const View marker = Shape::circle().fill(Color::blue()).frame(8, 8);
    const View line = View(Color::gray().opacity(0.3))
                          .frame(FlexibleFrame().withMaxWidth(infinity))
                          .frame(std::nullopt, 12);
    const View body = VStack(HorizontalAlignment::Leading, 4,
        { HStack(VerticalAlignment::Center, 6, { marker, line }),
            View(Color::gray().opacity(0.2)).frame(std::nullopt, double(8 + index % 5)),
            HStack({ View(Color::red()).frame(40, 10), Spacer(), View(Color::green()).frame(30, 10) }) })
                          .padding(EdgeInsets { 6, 12, 6, 12 })
                          .background(Shape::roundedRectangle(4).fill(Color::yellow().opacity(0.2)));
    return body.padding(Edge::bottom, 8).id(index);
}

View document()
{
    std::vector<View> blocks;
    blocks.reserve(blockCount);
    for (int i = 0; i < blockCount; ++i)
        blocks.push_back(block(i));
    return VStack(HorizontalAlignment::Leading, 0, std::move(blocks)).padding();
}

void relayoutAtAnotherWidth(benchmark::State &state)
{
    ViewTree tree(document());
    tree.rebuild(800);
    double width = 800;
    for (auto _ : state) {
        width = width == 800 ? 640 : 800;
        tree.layout(width);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}
BENCHMARK(relayoutAtAnotherWidth)->Unit(benchmark::kMillisecond);

// The same scale with a wrapped paragraph of text in every block: what a long note
// costs, for comparison with the text-free tree above.
View textDocument()
{
    const QString words = QStringLiteral(
        "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut "
        "labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco.");
    std::vector<View> blocks;
    blocks.reserve(blockCount);
    for (int i = 0; i < blockCount; ++i)
        blocks.push_back(Text(words).view().padding(Edge::bottom, 8).id(i));
    return VStack(HorizontalAlignment::Leading, 0, std::move(blocks)).padding();
}

void resolveAndLayout(benchmark::State &state, View (*make)())
{
    const View view = make();
    for (auto _ : state) {
        ViewTree tree(view);
        tree.rebuild(800);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}
BENCHMARK_CAPTURE(resolveAndLayout, stacks, &document)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(resolveAndLayout, paragraphs, &textDocument)->Unit(benchmark::kMillisecond);

void paintOneViewport(benchmark::State &state)
{
    ViewTree tree(document());
    tree.rebuild(800);
    QImage canvas(800, 600, QImage::Format_ARGB32_Premultiplied);
    const double top = tree.contentSize().height() / 2;
    for (auto _ : state) {
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
