#include "ui/layout.h"

#include <algorithm>
#include <numeric>

namespace ui {

namespace {

// Rows of cells in shared columns: a column is as wide as its widest cell and a row as
// tall as its tallest. Offered a width, the columns share it like the subviews of a
// horizontal stack (least flexible first); rows keep their natural heights.
class GridElement final : public Element
{
public:
    GridElement(Alignment alignment, double horizontalSpacing, double verticalSpacing)
        : m_alignment(alignment)
        , m_horizontalSpacing(horizontalSpacing)
        , m_verticalSpacing(verticalSpacing)
    { }

    void addRow(std::vector<Element *> cells, std::optional<VerticalAlignment> alignment)
    {
        m_rows.push_back({ std::move(cells), alignment });
        m_columnCount = std::max(m_columnCount, m_rows.back().cells.size());
    }

protected:
    QSizeF measure(const ProposedSize &proposal) override
    {
        const Metrics metrics = compute(proposal);
        return metrics.size;
    }

    // Rows keep their natural heights whatever height is offered.
    ProposalAxes proposalAxes() override { return { true, false }; }

    void childReplaced(Element &old, Element &replacement) override
    {
        for (Row &row : m_rows)
            std::replace(row.cells.begin(), row.cells.end(), &old, &replacement);
    }

    void placeChildren(const ProposedSize &proposal) override
    {
        const Metrics metrics = compute(proposal);
        double y = m_frame.y();
        for (size_t r = 0; r < m_rows.size(); ++r) {
            const Row &row = m_rows[r];
            double x = m_frame.x();
            VerticalAlignment vertical = row.alignment.value_or(m_alignment.vertical);
            if (vertical == VerticalAlignment::FirstTextBaseline
                || vertical == VerticalAlignment::LastTextBaseline)
                vertical = VerticalAlignment::Top;
            for (size_t c = 0; c < m_columnCount; ++c) {
                const double width = metrics.columnWidths[c];
                if (c < row.cells.size()) {
                    Element &cell = *row.cells[c];
                    const ProposedSize offer { width, metrics.rowHeights[r] };
                    const QSizeF size = cell.sizeThatFits(offer);
                    const QPointF origin(x + alignOffset(columnAlignment(c), width, size.width()),
                        y + alignOffset(vertical, metrics.rowHeights[r], size.height()));
                    cell.place(QRectF(origin, size), offer);
                }
                x += width + m_horizontalSpacing;
            }
            y += metrics.rowHeights[r] + m_verticalSpacing;
        }
    }

private:
    struct Row
    {
        std::vector<Element *> cells;
        std::optional<VerticalAlignment> alignment;
    };
    struct Metrics
    {
        std::vector<double> columnWidths;
        std::vector<double> rowHeights;
        QSizeF size;
    };

    // A cell's column alignment sets the alignment of its whole column.
    HorizontalAlignment columnAlignment(size_t column) const
    {
        for (const Row &row : m_rows) {
            if (column < row.cells.size()) {
                if (auto alignment = row.cells[column]->gridColumnAlignment())
                    return *alignment;
            }
        }
        return m_alignment.horizontal;
    }

    double columnExtent(size_t column, std::optional<double> width) const
    {
        double extent = 0;
        for (const Row &row : m_rows) {
            if (column < row.cells.size())
                extent = std::max(extent, row.cells[column]->sizeThatFits({ width, std::nullopt }).width());
        }
        return extent;
    }

    // Columns that fit side by side at their ideal widths take them: only a grid wider
    // than its offer shares the width out, wrapping the most flexible columns first.
    // Asking the narrowest width of every cell is what a share-out costs most, so a
    // grid that fits never does. False, with `widths` undefined, when they don't fit.
    bool fitIdealWidths(double available, std::vector<double> &widths) const
    {
        double total = 0;
        for (size_t c = 0; c < widths.size(); ++c) {
            widths[c] = columnExtent(c, infinity);
            total += widths[c];
            if (total > available)
                return false;
        }
        return true;
    }

    Metrics compute(const ProposedSize &proposal) const
    {
        Metrics metrics;
        const size_t columns = m_columnCount;
        metrics.columnWidths.assign(columns, 0);
        const double spacing = m_horizontalSpacing * double(columns > 0 ? columns - 1 : 0);
        if (!proposal.width) {
            for (size_t c = 0; c < columns; ++c)
                metrics.columnWidths[c] = columnExtent(c, std::nullopt);
        } else if (!fitIdealWidths(*proposal.width - spacing, metrics.columnWidths)) {
            std::vector<double> minimum(columns), flexibility(columns);
            for (size_t c = 0; c < columns; ++c) {
                minimum[c] = columnExtent(c, 0.0);
                flexibility[c] = columnExtent(c, infinity) - minimum[c];
            }
            std::vector<size_t> order(columns);
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(),
                [&](size_t a, size_t b) { return flexibility[a] < flexibility[b]; });
            double available = *proposal.width - spacing;
            for (size_t k = 0; k < columns; ++k) {
                const size_t c = order[k];
                const double share = std::max(0.0, available / double(columns - k));
                metrics.columnWidths[c] = columnExtent(c, share);
                available -= metrics.columnWidths[c];
            }
        }
        metrics.rowHeights.assign(m_rows.size(), 0);
        for (size_t r = 0; r < m_rows.size(); ++r) {
            for (size_t c = 0; c < m_rows[r].cells.size(); ++c) {
                const QSizeF size
                    = m_rows[r].cells[c]->sizeThatFits({ metrics.columnWidths[c], std::nullopt });
                metrics.rowHeights[r] = std::max(metrics.rowHeights[r], size.height());
            }
        }
        double width = spacing;
        for (double w : metrics.columnWidths)
            width += w;
        double height = m_verticalSpacing * double(m_rows.empty() ? 0 : m_rows.size() - 1);
        for (double h : metrics.rowHeights)
            height += h;
        metrics.size = QSizeF(columns ? width : 0, height);
        return metrics;
    }

    Alignment m_alignment;
    double m_horizontalSpacing;
    double m_verticalSpacing;
    std::vector<Row> m_rows;
    size_t m_columnCount = 0;
};

} // namespace

View Grid(std::vector<GridRow> rows, Alignment alignment, std::optional<double> horizontalSpacing,
    std::optional<double> verticalSpacing)
{
    return View::make([rows = std::move(rows), alignment, horizontalSpacing, verticalSpacing](
                          const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        EnvironmentValues inner = env;
        if (inner.get<StackAxisKey>())
            inner.set<StackAxisKey>(std::nullopt);
        auto grid = std::make_unique<GridElement>(
            alignment, horizontalSpacing.value_or(defaultSpacing), verticalSpacing.value_or(defaultSpacing));
        quint64 rowIndex = 0;
        for (const GridRow &row : rows) {
            const ResolveScope rowScope = scope.child(rowIndex++);
            std::vector<Element *> cells;
            quint64 column = 0;
            for (const View &cell : row.cells) {
                ElementPtr element = cell.resolve(inner, rowScope.child(column++));
                cells.push_back(element.get());
                grid->addChild(std::move(element));
            }
            grid->addRow(std::move(cells), row.alignment);
        }
        return grid;
    });
}

} // namespace ui
