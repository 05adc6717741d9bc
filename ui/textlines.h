#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>

#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

// The lines of a text exactly as a QTextDocument without margins lays them out (one
// block per paragraph, wrapped at word boundaries or anywhere, leading included, a
// fixed distance below every line), worked out over one QTextLayout per paragraph
// without building the document. Building and laying out a document costs several
// times what breaking the lines costs, and most texts are measured far more often than
// they are drawn: the document is left to what draws and hit-tests.
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
    TextLines(std::vector<Paragraph> paragraphs, double lineSpacing, Qt::Alignment alignment);
    ~TextLines();
    TextLines(const TextLines &) = delete;
    TextLines &operator=(const TextLines &) = delete;

    // Qt lays no line out wider than this many points (it keeps positions in 1/64 of a
    // point in an int, and overflows past it): a wider offer is this width.
    static constexpr double widestLine = std::numeric_limits<int>::max() / 256;

    // The lines broken for `width` (unbounded when absent: only line separators break).
    Metrics measure(std::optional<double> width) const;

private:
    // Shaped once and kept shaped: QTextLayout keeps its glyphs with caching on, and
    // lines made after clearLayout() break over them, where beginLayout() would
    // shape the text again (most of what laying out costs).
    std::vector<std::unique_ptr<QTextLayout>> m_layouts;
    mutable bool m_shaped = false;
    double m_lineSpacing;
    Qt::Alignment m_alignment;
};

} // namespace ui
