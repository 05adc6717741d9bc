// Rendering the inlines of a 1 MB note into Text (every paragraph, heading, list item
// and table cell, with the default inline styles, soft breaks as line breaks and links
// resolved against a base) should cost less than parsing the note. Both run here on the
// same note; the summary prints render time over parse time.
#include "markdown/model/markdownparser.h"
#include "markdown/theme/textinlinerenderer.h"
#include "markdown/theme/textstyles.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <map>
#include <string>

namespace {

// About 1 MB of what notes hold: prose with every inline construct, lists, task lists,
// quotes and a table per section.
QString note()
{
    QString text;
    for (int section = 0; text.size() < 1024 * 1024; ++section) {
        text += QStringLiteral(
            "## Section %1 with `code`\n\n"
            "Paragraph %1 talks about *emphasis*, **strong words**, `inline code` and a "
            "[link to a note](notes/page %1.md). It wraps over\n"
            "a second line with ~~struck~~ text, a break<br>  and an address https://example.com/%1.\n"
            "An image ![alt](img/%1.png) sits inline, and **nested *emphasis* in [a link](#s%1)**.\n\n"
            "- First point with *detail*\n  - nested [link](https://x.org/%1)\n- [x] done task\n"
            "- [ ] open task with `code`\n\n"
            "> A quote with **strong** text\n> over two lines.\n\n"
            "| Option | Default | Meaning |\n|---|:-:|--:|\n| `--fast` | *off* | goes [fast](#f) |\n"
            "| `--size` | %1 | the **size** |\n\n")
                    .arg(section);
    }
    return text;
}

const QString &theNote()
{
    static const QString text = note();
    return text;
}

// Every run of inlines a view would render, in document order.
void collectInlines(const QList<BlockNode> &blocks, QList<QList<InlineNode>> &runs)
{
    for (const BlockNode &block : blocks) {
        if (const auto *paragraph = block.as<BlockNode::Paragraph>())
            runs.append(paragraph->content);
        else if (const auto *heading = block.as<BlockNode::Heading>())
            runs.append(heading->content);
        else if (const auto *table = block.as<BlockNode::Table>()) {
            for (const RawTableRow &row : table->rows)
                for (const RawTableCell &cell : row.cells)
                    runs.append(cell.content);
        } else
            collectInlines(block.blockChildren(), runs);
    }
}

void parse(benchmark::State &state)
{
    const QString &text = theNote();
    for (auto _ : state) {
        std::optional<QList<BlockNode>> blocks = MarkdownParser::parseMarkdownBlocks(text);
        benchmark::DoNotOptimize(blocks);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.toUtf8().size());
}

void render(benchmark::State &state)
{
    QList<QList<InlineNode>> runs;
    collectInlines(MarkdownParser::parseMarkdownBlocks(theNote()).value_or(QList<BlockNode>()), runs);
    const InlineTextStyles styles { FontFamilyVariant(FontProperties::FamilyVariant::Monospaced),
        FontStyle(FontProperties::Style::Italic), FontWeight(FontProperties::Weight::Semibold),
        StrikethroughStyle(ui::LineStyle::single()), EmptyTextStyle() };
    ui::AttributeContainer attributes;
    FontProperties().collectAttributes(attributes);
    const QUrl base(QStringLiteral("file:///home/user/vault/folder/note.md"));
    for (auto _ : state) {
        for (const QList<InlineNode> &run : runs) {
            ui::Text text
                = renderInlinesToText(run, base, styles, {}, SoftBreak::Mode::LineBreak, attributes);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * theNote().toUtf8().size());
    state.counters["runs"] = double(runs.size());
}

class SummaryReporter : public benchmark::ConsoleReporter
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
        if (m_times["parse"] > 0)
            std::printf("render/parse = %.2f (target < 1)\n", m_times["render"] / m_times["parse"]);
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    // Fonts are resolved to descriptions only, but the view layer's types expect the
    // application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::RegisterBenchmark("parse", parse)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("render", render)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
