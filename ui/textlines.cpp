#include "ui/textlines.h"

#include "ui/threadshaped.h"

#include <QPainter>
#include <QPalette>
#include <QTextOption>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace ui {

namespace {

// The document keeps positions in 1/64 of a point and cuts off what is finer: sums
// made the same way come out the same to the last bit. Beyond the widest line the
// product would not fit an int.
int fixed(double value)
{
    if (!(value < TextLines::widestLine))
        return int(TextLines::widestLine * 64);
    if (!(value > -TextLines::widestLine))
        return int(-TextLines::widestLine * 64);
    return int(value * 64);
}

// Heights are sums over every line, which may pass what one position holds.
double real(qint64 value)
{
    return double(value) / 64.0;
}

// What the document offers a line that may be as long as it likes.
constexpr int unboundedWidth = std::numeric_limits<int>::max() / 256;

// A document block's direction when nothing sets it: that of its first strong character.
Qt::LayoutDirection directionOf(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (QChar::direction(c)) {
        case QChar::DirL:
            return Qt::LeftToRight;
        case QChar::DirR:
        case QChar::DirAL:
            return Qt::RightToLeft;
        default:
            break;
        }
    }
    return Qt::LeftToRight;
}

// A block aligned to its leading edge, as the document aligns it: a paragraph read from
// right to left stands at the right.
Qt::Alignment visualAlignment(Qt::Alignment alignment, Qt::LayoutDirection direction)
{
    if (!(alignment & Qt::AlignHorizontal_Mask))
        alignment |= Qt::AlignLeft;
    if (!(alignment & Qt::AlignAbsolute) && (alignment & (Qt::AlignLeft | Qt::AlignRight))) {
        if (direction == Qt::RightToLeft)
            alignment ^= Qt::AlignLeft | Qt::AlignRight;
        alignment |= Qt::AlignAbsolute;
    }
    return alignment;
}

// Unbounded, the document makes every line as wide as its text: none moves aside.
constexpr Qt::Alignment unboundedAlignment = Qt::AlignLeft | Qt::AlignAbsolute;

// The document shapes neighbouring text of one format together, across the runs it
// was inserted in; a layout shapes each range apart (kerning and ligatures stop at
// their ends): ranges of one format that touch become one.
QList<QTextLayout::FormatRange> joined(const QList<QTextLayout::FormatRange> &ranges)
{
    QList<QTextLayout::FormatRange> result;
    result.reserve(ranges.size());
    for (const QTextLayout::FormatRange &range : ranges) {
        if (!result.isEmpty() && result.back().start + result.back().length == range.start
            && result.back().format == range.format)
            result.back().length += range.length;
        else
            result.append(range);
    }
    return result;
}

// A format that draws as a font and a pen of one colour do. Asked of every paragraph:
// its properties are counted rather than listed.
bool countsAsFontAndColour(const QTextCharFormat &format)
{
    int known = 0;
    for (int property = QTextFormat::FirstFontProperty; property <= QTextFormat::LastFontProperty; ++property)
        known += format.hasProperty(property);
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        if (format.foreground().style() != Qt::SolidPattern)
            return false;
        ++known;
    }
    // Setting a font sets this too, to the font's underline.
    if (format.hasProperty(QTextFormat::TextUnderlineStyle)) {
        const bool underlined = format.boolProperty(QTextFormat::FontUnderline);
        if (format.underlineStyle()
            != (underlined ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline))
            return false;
        ++known;
    }
    return known == format.propertyCount();
}

// Texts share a few formats: the answers for the last few are kept (per thread, as the
// texts are made), and a format shared with one of them is known at once.
bool isFontAndColour(const QTextCharFormat &format)
{
    constexpr size_t remembered = 8;
    thread_local std::vector<std::pair<QTextCharFormat, bool>> answers;
    for (const auto &[known, answer] : answers) {
        if (known == format)
            return answer;
    }
    const bool answer = countsAsFontAndColour(format);
    if (answers.size() >= remembered)
        answers.erase(answers.begin());
    // Kept here, it may be compared while the text it came from is drawn on another thread.
    TextLines::settle(format);
    answers.emplace_back(format, answer);
    return answer;
}

} // namespace

TextLines::TextLines(const std::vector<Paragraph> &paragraphs, double lineSpacing, Qt::Alignment alignment)
    : m_lineSpacing(std::max(0.0, lineSpacing))
    , m_alignment(alignment)
    , m_shapedOn(ThreadShapedSlot::threadNumber())
{
    m_layouts.reserve(paragraphs.size());
    m_pens.reserve(paragraphs.size());
    for (const Paragraph &paragraph : paragraphs) {
        // One format over the whole text that sets nothing but a font and a colour is
        // shaped as its font alone would, and drawn in its colour as the pen: formats
        // cost a collection of their own.
        const QList<QTextLayout::FormatRange> &formats = paragraph.formats;
        const bool oneFont = formats.size() == 1 && formats[0].start == 0
            && formats[0].length == paragraph.text.size() && isFontAndColour(formats[0].format);
        // Qt finds each formatted piece's font engine anew unless the piece's font is the
        // layout's own: the layout takes the first piece's.
        auto layout = std::make_unique<QTextLayout>(
            paragraph.text, formats.isEmpty() ? paragraph.font : formats[0].format.font());
        if (!oneFont)
            layout->setFormats(formats.size() > 1 ? joined(formats) : formats);
        layout->setCacheEnabled(true);
        m_layouts.push_back(std::move(layout));
        m_pens.push_back(oneFont ? formats[0].format.foreground() : QBrush());
    }
}

TextLines::~TextLines() = default;

void TextLines::settle(const QTextCharFormat &format)
{
    format.font();
    // Compared with a format it shares nothing with, a format works its hash out.
    QTextCharFormat unequal;
    unequal.setObjectIndex(0);
    [[maybe_unused]] const bool equal = format == unequal;
}

TextLines::Metrics TextLines::measure(std::optional<double> width) const
{
    checkShapedHere(m_shapedOn == ThreadShapedSlot::threadNumber(), "TextLines::measure");
    const int right = width ? fixed(*width) : unboundedWidth;
    Metrics metrics;
    qint64 y = 0;
    qint64 widest = 0;
    for (size_t i = 0; i < m_layouts.size(); ++i) {
        QTextLayout &layout = *m_layouts[i];
        QTextOption option;
        const Qt::LayoutDirection direction = directionOf(layout.text());
        option.setAlignment(width ? visualAlignment(m_alignment, direction) : unboundedAlignment);
        option.setTextDirection(direction);
        option.setWrapMode(width ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::ManualWrap);
        layout.setTextOption(option);
        const qint64 top = y;
        layout.setPosition(QPointF(0, real(top)));
        QTextLine line;
        if (m_shaped) {
            layout.clearLayout();
            line = layout.createLine();
        }
        // Every paragraph has a line, even an empty one: none means Qt wants a layout
        // begun (a build that checks for one), which shapes the text afresh.
        const bool begun = !line.isValid();
        if (begun) {
            layout.beginLayout();
            line = layout.createLine();
        }
        for (; line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(real(right));
            // A piece wider than the whole line is broken anywhere, and the lines after
            // it at word boundaries only: that is how the document goes on.
            if (width && fixed(line.naturalTextWidth()) > right) {
                option.setWrapMode(QTextOption::WrapAnywhere);
                layout.setTextOption(option);
                line.setLineWidth(std::max(line.naturalTextWidth(), real(right)));
                option.setWrapMode(QTextOption::WordWrap);
                layout.setTextOption(option);
            }
            line.setPosition(QPointF(0, real(y - top)));
            y += fixed(line.height() + m_lineSpacing);
            widest = std::max<qint64>(widest, fixed(line.x() + line.naturalTextWidth()));
        }
        if (begun)
            layout.endLayout();
        if (layout.lineCount() == 0)
            continue;
        if (i == 0) {
            const QTextLine line = layout.lineAt(0);
            metrics.firstBaseline = real(top) + line.y() + line.ascent();
        }
        if (i + 1 == m_layouts.size()) {
            const QTextLine line = layout.lineAt(layout.lineCount() - 1);
            metrics.lastBaseline = real(top) + line.y() + line.ascent();
        }
    }
    m_shaped = true;
    metrics.idealWidth = real(widest);
    metrics.height = real(y);
    m_brokenFor = width;
    m_size = QSizeF(width ? real(right) : metrics.idealWidth, metrics.height);
    return metrics;
}

void TextLines::draw(
    QPainter &painter, std::optional<double> width, const QRectF &clip, const Selection &selection) const
{
    checkShapedHere(m_shapedOn == ThreadShapedSlot::threadNumber(), "TextLines::draw");
    // Spelled out: an optional compared with an absent width is equal while empty, and
    // lines never broken would be drawn as none.
    if (!m_brokenFor || *m_brokenFor != width)
        measure(width);
    // The document leaves out what lies beyond its bounds, and draws a block's lines
    // clipped to them.
    const QRectF bounds(QPointF(0, 0), m_size);
    if (clip.isValid()
        && (0 > clip.bottom() || bounds.bottom() < clip.top() || 0 > clip.right()
            || bounds.right() < clip.left()))
        return;
    const QRectF linesClip = clip.isValid() ? clip & bounds : bounds;
    const QColor text = QPalette().color(QPalette::Text);
    int position = 0;
    for (size_t i = 0; i < m_layouts.size(); ++i) {
        const QTextLayout *layout = m_layouts[i].get();
        const int length = int(layout->text().size()) + 1; // with the paragraph's end
        const QRectF rect = layout->boundingRect().translated(layout->position());
        const int start = selection.start - position;
        const int end = selection.end - position;
        position += length;
        if (clip.isValid() && (rect.bottom() < clip.y() || rect.top() > clip.bottom()))
            continue;
        QList<QTextLayout::FormatRange> selections;
        if (start < length && end > 0 && end > start)
            selections.append({ start, end - start, selection.format });
        const QPen pen = painter.pen();
        // As a format's colour would set it.
        painter.setPen(m_pens[i].style() == Qt::NoBrush ? QPen(text) : QPen(m_pens[i], 0));
        layout->draw(&painter, QPointF(0, 0), selections, linesClip);
        painter.setPen(pen);
    }
}

} // namespace ui
