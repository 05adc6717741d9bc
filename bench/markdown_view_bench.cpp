// A long note through the Markdown view: a generated note of 5,000 blocks (paragraphs,
// headings, lists and code) parses, resolves and lays out at 800 points in under
// 300 ms, lays out again at another width (one seen before, or a new one) in under half
// that, and one viewport of it paints in under 8 ms. An image arriving in a note of
// 5,000 paragraphs reaches a painted frame in under 20 ms. A single paragraph of 1 MB
// shows its first viewport in time linear in its length.
#include "bench/guibenchmain.h"
#include "bench/imagearrival.h"
#include "bench/treelayout.h"
#include "markdown/views/imageprovider.h"
#include "markdown/views/markdown.h"
#include "markdown/views/markdownenvironment.h"
#include "ui/viewtree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

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
    measureLayoutAtAnotherWidth(state, Markdown(longNote()).view().padding());
}
BENCHMARK(layoutAtAnotherWidth)->Unit(benchmark::kMillisecond);

// The same at a width not seen before on every pass.
void layoutAtNewWidths(benchmark::State &state)
{
    measureLayoutAtNewWidths(state, Markdown(longNote()).view().padding());
}
BENCHMARK(layoutAtNewWidths)->Unit(benchmark::kMillisecond);

void paintOneViewport(benchmark::State &state)
{
    measureViewportPaint(state, Markdown(longNote()).view().padding(), QColor(Qt::white));
}
BENCHMARK(paintOneViewport)->Unit(benchmark::kMillisecond);

// Block images whose arrival the benchmark decides: the image's place keeps its
// picture as state, and writing that state is what a finished load does.
class HeldImageProvider final : public ImageProvider
{
public:
    explicit HeldImageProvider(std::shared_ptr<ui::State<QImage>> held)
        : m_held(std::move(held))
    { }

    ui::View makeImage(const std::optional<QUrl> &) const override
    {
        return ui::withState<QImage>(QImage(), [held = m_held](ui::State<QImage> picture) {
            *held = picture;
            // Nothing to see before it arrives, as the default provider shows it.
            const ui::View content = picture->isNull() ? ui::View(ui::Color::clear()).frame(0, 0)
                                                       : ui::View(ui::Image(*picture));
            return content.tag(QStringLiteral("picture"));
        });
    }

private:
    std::shared_ptr<ui::State<QImage>> m_held;
};

void imageArrivesInALongNote(benchmark::State &state)
{
    QString note;
    for (int i = 0; i < blockCount; ++i) {
        if (i == blockCount / 2)
            note += QStringLiteral("![A picture](picture.png)\n\n");
        note += QStringLiteral(
            "Paragraph %1 keeps going for a while, so that it wraps over a line or two at the "
            "width the preview is shown at, with *emphasis* here and there.\n\n")
                    .arg(i);
    }
    auto held = std::make_shared<ui::State<QImage>>();
    measureImageArrival(state,
        Markdown(note).view().padding().modifier(markdownImageProvider(HeldImageProvider(held))),
        [held](const QImage &image) { held->set(image); });
}
BENCHMARK(imageArrivesInALongNote)->Unit(benchmark::kMillisecond);

// One paragraph of `state.range(0)` KB, shown and its first viewport painted: the cost
// grows with the text, not with its square (a hostile note is one long line).
void longParagraph(benchmark::State &state)
{
    QString note;
    while (note.size() < state.range(0) * 1024)
        note += QStringLiteral("word *emph* and more words ");
    QImage canvas(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ui::ViewTree tree(Markdown(note).view().padding());
        tree.rebuild(800);
        QPainter painter(&canvas);
        tree.paint(painter, QRectF(0, 0, 800, 600));
        benchmark::DoNotOptimize(tree.contentSize());
    }
}
BENCHMARK(longParagraph)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}
