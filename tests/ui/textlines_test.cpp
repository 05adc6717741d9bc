#include "ui/textlines.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using namespace ui;

namespace {

struct Run
{
    QString text;
    QTextCharFormat format;
};

QTextCharFormat formatOf(
    int pixelSize, bool bold = false, const QString &family = {}, double letterSpacing = 0)
{
    QFont font = family.isEmpty() ? QFont() : QFont(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    if (letterSpacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    return format;
}

QTextCharFormat body()
{
    return formatOf(13);
}

QTextCharFormat heading()
{
    return formatOf(26, true);
}

QTextCharFormat code()
{
    return formatOf(12, false, QStringLiteral("monospace"));
}

QTextCharFormat link()
{
    QTextCharFormat format = body();
    format.setAnchor(true);
    format.setAnchorHref(QStringLiteral("0"));
    format.setForeground(Qt::blue);
    format.setFontUnderline(true);
    return format;
}

QTextCharFormat coloured(QTextCharFormat format, const QColor &colour)
{
    format.setForeground(colour);
    return format;
}

QTextCharFormat withBackground(QTextCharFormat format)
{
    format.setBackground(QColor(200, 200, 200, 120));
    return format;
}

QTextCharFormat struckOut()
{
    QTextCharFormat format = coloured(body(), Qt::darkGreen);
    format.setFontStrikeOut(true);
    return format;
}

bool startsBlock(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
}

// The paragraphs of `runs` as a document makes blocks of them: a line break starts a
// block whose own format is the run's.
std::vector<TextLines::Paragraph> paragraphsOf(const std::vector<Run> &runs, const QFont &base)
{
    std::vector<TextLines::Paragraph> paragraphs { { {}, {}, base } };
    for (const Run &run : runs) {
        // Each run a range of its own, even beside one of the same format.
        bool fresh = true;
        for (const QChar c : run.text) {
            if (startsBlock(c)) {
                paragraphs.push_back({ {}, {}, run.format.font() });
                fresh = true;
                continue;
            }
            TextLines::Paragraph &paragraph = paragraphs.back();
            if (fresh)
                paragraph.formats.append({ int(paragraph.text.size()), 0, run.format });
            fresh = false;
            ++paragraph.formats.back().length;
            paragraph.text += c;
        }
    }
    return paragraphs;
}

struct Measured
{
    double idealWidth;
    double height;
    std::optional<double> first;
    std::optional<double> last;
    bool operator==(const Measured &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Measured &measured)
{
    return out << "ideal " << measured.idealWidth << " height " << measured.height << " first "
               << measured.first.value_or(-1) << " last " << measured.last.value_or(-1);
}

// The document the text was drawn from before it was drawn from its lines.
std::unique_ptr<QTextDocument> documentOf(const std::vector<Run> &runs, const QFont &base, double lineSpacing,
    Qt::Alignment alignment, std::optional<double> width)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0);
    document->setDefaultFont(base);
    QTextOption option = document->defaultTextOption();
    option.setAlignment(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    QTextCursor cursor(document.get());
    QTextBlockFormat block;
    block.setAlignment(alignment);
    if (lineSpacing > 0)
        block.setLineHeight(lineSpacing, QTextBlockFormat::LineDistanceHeight);
    cursor.setBlockFormat(block);
    // Line feeds are blocks of their own: inserted text would take "\r\n" as one break.
    for (const Run &run : runs) {
        const QStringList lines = run.text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                cursor.insertBlock(block, run.format);
            cursor.insertText(lines[i], run.format);
        }
    }
    // Wider than Qt's widest line, the document's own arithmetic overflows: what it
    // gives for that line's width is what any wider offer means.
    document->setTextWidth(width ? std::min(*width, TextLines::widestLine) : -1);
    return document;
}

// What the document gives at `width`.
Measured documentMeasure(const std::vector<Run> &runs, const QFont &base, double lineSpacing,
    Qt::Alignment alignment, std::optional<double> width)
{
    const std::unique_ptr<QTextDocument> document = documentOf(runs, base, lineSpacing, alignment, width);
    auto baseline = [&document](bool last) -> std::optional<double> {
        const QTextBlock textBlock = last ? document->lastBlock() : document->begin();
        const QTextLayout *layout = textBlock.layout();
        const QTextLine line = last ? layout->lineAt(layout->lineCount() - 1) : layout->lineAt(0);
        return document->documentLayout()->blockBoundingRect(textBlock).y() + line.y() + line.ascent();
    };
    const double height = document->documentLayout()->documentSize().height();
    return { document->idealWidth(), height, baseline(false), baseline(true) };
}

struct Case
{
    const char *name;
    std::vector<Run> runs;
    double lineSpacing;
    Qt::Alignment alignment;
};

std::vector<Case> cases()
{
    const QString prose = QStringLiteral(
        "Markdown notes are mostly prose, and a sentence that keeps going wraps over several lines.");
    return {
        { "prose", { { prose, body() } }, 1.95, Qt::AlignLeft },
        { "styledRuns",
            { { QStringLiteral("Some "), body() }, { QStringLiteral("emphasis"), heading() },
                { QStringLiteral(", a "), body() }, { QStringLiteral("link"), link() },
                { QStringLiteral(" and code() "), code() }, { prose, body() } },
            2.6, Qt::AlignLeft },
        { "lineFeeds", { { QStringLiteral("line one\nline two\n\nline four"), body() } }, 0.333,
            Qt::AlignLeft },
        { "emptyBlockTakesTheRunsFont",
            { { QStringLiteral("big\n"), heading() }, { QStringLiteral("\nsmall"), body() } }, 0,
            Qt::AlignLeft },
        { "nothing", { { QString(), body() } }, 0, Qt::AlignLeft },
        { "carriageReturnAndParagraphSeparator",
            { { QStringLiteral("carriage\rreturn\u2029separator"), body() },
                { QStringLiteral("x\r\ny"), heading() } },
            1.5, Qt::AlignLeft },
        { "longWords",
            { { QStringLiteral("Supercalifragilisticexpialidocious antidisestablishmentarianism ok"),
                body() } },
            0, Qt::AlignLeft },
        { "tabs", { { QStringLiteral("tab\there\tand\tthere and\ttabs\tagain"), code() } }, 0,
            Qt::AlignLeft },
        { "rightToLeft",
            { { QStringLiteral(
                    "\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd and some english words here"),
                body() } },
            0, Qt::AlignLeft },
        { "lineSeparator", { { QStringLiteral("soft\u2028break inside one block of text"), body() } }, 1,
            Qt::AlignLeft },
        { "letterSpacing",
            { { QStringLiteral("spaced out text with letter spacing"), formatOf(13, false, {}, 1.3) },
                { QStringLiteral(" code()"), code() } },
            0, Qt::AlignLeft },
        { "kernedPairsSplitIntoRunsOfOneFormat",
            { { QStringLiteral("AVAT"), body() }, { QStringLiteral("AVAT"), body() },
                { QStringLiteral("Wa"), heading() }, { QStringLiteral("To"), heading() },
                { QStringLiteral("ff fi VA Ty"), body() } },
            0, Qt::AlignLeft },
        { "trailingSpaces", { { QStringLiteral("trailing spaces     "), body() } }, 0, Qt::AlignLeft },
        { "centred", { { prose, body() } }, 1.95, Qt::AlignHCenter },
        { "coloured", { { prose, coloured(body(), Qt::red) } }, 0, Qt::AlignLeft },
        // The first piece's font is not the block's: neither sets the lines' heights.
        { "firstRunInALargerFont",
            { { QStringLiteral("Big "), heading() }, { QStringLiteral("then small words, "), body() },
                { prose, code() } },
            0, Qt::AlignLeft },
        { "firstRunInASmallerFont",
            { { QStringLiteral("code() "), code() }, { QStringLiteral("before a heading"), heading() },
                { QStringLiteral("\n"), body() }, { QStringLiteral("tiny "), formatOf(8) },
                { prose, heading() } },
            1, Qt::AlignLeft },
        { "backgroundAndLinkRuns",
            { { QStringLiteral("code() with a background"), withBackground(code()) },
                { QStringLiteral("\n"), body() }, { QStringLiteral("a link alone"), link() },
                { QStringLiteral("\nstruck out"), struckOut() } },
            0, Qt::AlignLeft },
    };
}

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

class TextLinesTest : public testing::TestWithParam<Case>
{
};

// Widths in the order a stack asks and a window resizes: narrowest and unbounded first,
// then shares, wider and narrower again; one text measured at all of them in turn.
TEST_P(TextLinesTest, measuresEveryWidthAsTheDocumentLaysItOut)
{
    const Case &c = GetParam();
    const QFont base = body().font();
    const std::vector<TextLines::Paragraph> paragraphs = paragraphsOf(c.runs, base);
    const TextLines lines(paragraphs, c.lineSpacing, c.alignment);
    const std::optional<double> widths[]
        = { 0.5, std::nullopt, 1, 7.3, 63.333333, 123.456, 800.5, 333.3, 40, std::nullopt, 200, 1e9, 0.5 };
    for (const std::optional<double> &width : widths) {
        const TextLines::Metrics metrics = lines.measure(width);
        const Measured mine { metrics.idealWidth, metrics.height, metrics.firstBaseline,
            metrics.lastBaseline };
        EXPECT_EQ(mine, documentMeasure(c.runs, base, c.lineSpacing, c.alignment, width))
            << "at width " << width.value_or(-1);
    }
}

// Drawn from its lines, a text looks as its document drawn at the same width does:
// unselected, and with selections inside a line, across paragraphs and over all of it,
// on a canvas that shows all of it and on one that shows only a band across it.
TEST_P(TextLinesTest, drawsAsTheDocumentDrawsItself)
{
    const Case &c = GetParam();
    const QFont base = body().font();
    const TextLines lines(paragraphsOf(c.runs, base), c.lineSpacing, c.alignment);
    // Measured at another width last: drawing breaks the lines for its own.
    lines.measure(17);
    QTextCharFormat highlight;
    highlight.setBackground(QColor(80, 120, 255, 90));
    int length = 0;
    for (const auto &run : c.runs)
        length += int(run.text.size());
    const std::pair<int, int> selections[] = { { 0, 0 }, { 2, 9 }, { 5, length - 3 }, { 0, length + 1 } };
    for (const std::optional<double> width : { std::optional<double>(), std::optional<double>(40.5),
             std::optional<double>(123.456), std::optional<double>(800.5) }) {
        const std::unique_ptr<QTextDocument> document
            = documentOf(c.runs, base, c.lineSpacing, c.alignment, width);
        const QSizeF size = document->documentLayout()->documentSize();
        for (const auto &[start, end] : selections) {
            for (const QRectF &clip : { QRectF(-10, -10, 1000, 400), QRectF(3, 14, 60, 9) }) {
                QImage mine(840, 380, QImage::Format_ARGB32_Premultiplied);
                mine.fill(Qt::white);
                QImage theirs = mine;
                {
                    QPainter painter(&mine);
                    painter.translate(7, 5);
                    lines.draw(painter, width, clip,
                        TextLines::Selection { start, std::min(end, length), highlight });
                }
                {
                    QPainter painter(&theirs);
                    painter.translate(7, 5);
                    QAbstractTextDocumentLayout::PaintContext context;
                    context.clip = clip;
                    if (end > start) {
                        QAbstractTextDocumentLayout::Selection selection;
                        selection.cursor = QTextCursor(document.get());
                        selection.cursor.setPosition(start);
                        selection.cursor.setPosition(std::min(end, length), QTextCursor::KeepAnchor);
                        selection.format = highlight;
                        context.selections.append(selection);
                    }
                    document->documentLayout()->draw(&painter, context);
                }
                EXPECT_TRUE(mine == theirs)
                    << "at width " << width.value_or(-1) << ", selected from " << start << " to " << end
                    << ", clipped to " << clip.y() << "+" << clip.height() << " in a text of " << size.width()
                    << " by " << size.height();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, TextLinesTest, testing::ValuesIn(cases()),
    [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

#if !defined(QT_NO_DEBUG) || defined(QUORVANE_THREAD_CHECKS)

// Lines are shaped with their thread's fonts: used on another thread, they stop the
// program where the checks are built in, so that a test that does so fails.
struct OtherThreadCase
{
    const char *name;
    void (*use)(const TextLines &lines);
};

void PrintTo(const OtherThreadCase &row, std::ostream *out)
{
    *out << row.name;
}

class TextLinesOnAnotherThreadDeathTest : public testing::TestWithParam<OtherThreadCase>
{
};

TEST_P(TextLinesOnAnotherThreadDeathTest, stopsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const TextLines lines(
        paragraphsOf({ { QStringLiteral("Some words to break"), formatOf(13) } }, QFont()), 0, Qt::AlignLeft);
    lines.measure(60);
    EXPECT_DEATH(std::thread([&] { GetParam().use(lines); }).join(), "another thread's fonts");
}

INSTANTIATE_TEST_SUITE_P(Uses, TextLinesOnAnotherThreadDeathTest,
    testing::Values(OtherThreadCase { "measured", [](const TextLines &lines) { lines.measure(40); } },
        OtherThreadCase { "drawn",
            [](const TextLines &lines) {
                QImage image(100, 100, QImage::Format_ARGB32);
                QPainter painter(&image);
                lines.draw(painter, 60, QRectF(), {});
            } }),
    [](const testing::TestParamInfo<OtherThreadCase> &info) { return std::string(info.param.name); });

#endif

} // namespace
