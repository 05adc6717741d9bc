#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>

#include <limits>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QRectF;

namespace ui {

// The lines of a text exactly as a QTextDocument without margins lays them out (one
// block per paragraph, wrapped at word boundaries or anywhere, leading included, a
// fixed distance below every line), worked out over one QTextLayout per paragraph
// without building the document. Building and laying out a document costs several
// times what breaking the lines costs, and most texts are measured far more often than
// they are drawn: the lines are drawn as they are, and the document is left to what
// hit-tests.
class TextLines
{
public:
    struct Paragraph
    {
        QString text;
        QList<QTextLayout::FormatRange> formats; // covering the whole text
        QFont font; // the block's own font: the height of a line without text
    };

    struct Metrics
    {
        double idealWidth = 0; // the widest line
        double height = 0; // before rounding up
        std::optional<double> firstBaseline; // of the first paragraph's first line
        std::optional<double> lastBaseline; // of the last paragraph's last line
    };

    // `lineSpacing` is the distance added below each line (none when not above zero);
    // `alignment` is the paragraphs' alignment, which moves no line break.
    TextLines(const std::vector<Paragraph> &paragraphs, double lineSpacing, Qt::Alignment alignment);
    ~TextLines();
    TextLines(const TextLines &) = delete;
    TextLines &operator=(const TextLines &) = delete;

    // Works out now what a format works out the first time it is asked (its font, its
    // hash), writing to what its copies share: a format is settled before copies of it
    // go to other threads, so that they only read it.
    static void settle(const QTextCharFormat &format);

    // Qt lays no line out wider than this many points (it keeps positions in 1/64 of a
    // point in an int, and overflows past it): a wider offer is this width.
    static constexpr double widestLine = std::numeric_limits<int>::max() / 256;

    // A selection in the text's positions, counted as the document counts them: the end
    // of a paragraph takes one.
    struct Selection
    {
        int start = 0;
        int end = 0; // none when not past start
        QTextCharFormat format;
    };

    // Both only on the thread that made the lines (see ThreadShaped): they are shaped
    // with that thread's fonts.
    // The lines broken for `width` (unbounded when absent: only line separators break).
    Metrics measure(std::optional<double> width) const;
    // Draws the lines broken for `width` with the text's top left at the painter's
    // origin, as the document draws itself there: what `clip` (in the painter's
    // coordinates) leaves out may be skipped.
    void draw(
        QPainter &painter, std::optional<double> width, const QRectF &clip, const Selection &selection) const;

private:
    // Shaped once and kept shaped: QTextLayout keeps its glyphs with caching on, and
    // lines made after clearLayout() break over them, where beginLayout() would
    // shape the text again (most of what laying out costs).
    std::vector<std::unique_ptr<QTextLayout>> m_layouts;
    // The colour of a paragraph shaped without its format, none where it has formats.
    std::vector<QBrush> m_pens;
    mutable bool m_shaped = false;
    // What the lines are broken for now, and the text's size as broken.
    mutable std::optional<std::optional<double>> m_brokenFor;
    mutable QSizeF m_size;
    double m_lineSpacing;
    Qt::Alignment m_alignment;
    quint64 m_shapedOn; // the thread that made the lines, the only one to use them
};

} // namespace ui
