#include "markdown/views/tableview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/tablestyles.h"
#include "markdown/theme/theme.h"
#include "markdown/views/markdown.h"
#include "markdown/views/markdownenvironment.h"
#include "tests/markdown/views/recordingimageprovider.h"
#include "tests/markdown/views/squareinlineimages.h"
#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QString cellTag(int row, int column)
{
    return u"cell %1 %2"_s.arg(row).arg(column);
}

// The basic theme with every cell tagged by its row and column and the table tagged
// "table", recording what the styles were given.
struct Probe
{
    Theme theme() const
    {
        const Theme basic = Theme::basic();
        return basic
            .tableCell([basic, rows = cellRows](const TableCellConfiguration &c) {
                rows->push_back(c.row);
                return basic.tableCell().body(c).tag(cellTag(c.row, c.column));
            })
            .table([basic, contents = tableContents](const BlockConfiguration &c) {
                contents->push_back(c.content);
                return basic.table().body(c).tag(u"table"_s);
            });
    }
    std::shared_ptr<std::vector<int>> cellRows = std::make_shared<std::vector<int>>();
    std::shared_ptr<std::vector<MarkdownContent>> tableContents
        = std::make_shared<std::vector<MarkdownContent>>();
};

// Wraps a selector so that a test sees the table geometry it was last given (the
// final layout) and what it returned for it.
struct Recorder
{
    TableBorderSelector wrap(TableBorderSelector inner) const
    {
        return { [inner, bounds = bounds, rectangles = rectangles](const TableBounds &table, double width) {
            *bounds = table;
            *rectangles = inner.rectangles(table, width);
            return *rectangles;
        } };
    }
    std::shared_ptr<TableBounds> bounds = std::make_shared<TableBounds>();
    std::shared_ptr<std::vector<QRectF>> rectangles = std::make_shared<std::vector<QRectF>>();
};

struct RenderedTable
{
    RenderedTable(const MarkdownContent &content,
        TableBorderSelector selector = TableBorderSelector::allBorders(), double borderWidth = 1,
        double width = 600, std::optional<TableBackgroundStyle> background = std::nullopt)
    {
        ui::EnvironmentValues env;
        env.set<ThemeKey>(probe.theme());
        env.set<TableBorderStyleKey>(
            TableBorderStyle(recorder.wrap(selector), ui::Color::red(), borderWidth));
        if (background)
            env.set<TableBackgroundStyleKey>(*background);
        env.set<InlineImageProviderKey>(std::make_shared<SquareInlineImages>(images));
        env.set<ImageProviderKey>(AnyImageProvider(blockImages));
        tree = std::make_unique<ui::ViewTree>(ui::View(Markdown(content)).padding(), env);
        tree->rebuild(width);
    }
    RenderedTable(const QString &markdown, TableBorderSelector selector = TableBorderSelector::allBorders(),
        double borderWidth = 1)
        : RenderedTable(MarkdownContent(markdown), selector, borderWidth)
    { }

    QRectF table() const { return tree->frameOfTag(u"table"_s); }
    // A cell's frame in the table's own space, where the border geometry is.
    QRectF cell(int row, int column) const
    {
        return tree->frameOfTag(cellTag(row, column)).translated(-table().topLeft());
    }
    QRectF column(int c) const
    {
        const TableBounds::Column &column = recorder.bounds->columns.at(size_t(c));
        return QRectF(column.minX, 0, column.width, recorder.bounds->bounds.height());
    }
    // Painted as the preview shows it, two pixels per point, white behind.
    QImage paint() const
    {
        const QSizeF size = tree->contentSize();
        QImage image((size * scale).toSize(), QImage::Format_ARGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        QPainter painter(&image);
        tree->paint(painter, QRectF(QPointF(0, 0), size));
        return image;
    }
    // The colour in the middle of the device pixel at `point` of the table's space.
    static QColor at(const QImage &image, QPointF point)
    {
        return image.pixelColor((point * scale).toPoint());
    }
    static constexpr double scale = 2;

    Probe probe;
    Recorder recorder;
    SquareInlineImages images;
    RecordingImageProvider blockImages;
    std::unique_ptr<ui::ViewTree> tree;
};

const QString twoByTwo = u"| Name | Value |\n|---|---|\n| alpha | 1 |\n"_s;

} // namespace

TEST(TableView, cellsAreAsFarApartAndAsFarInFromTheEdgeAsTheBorderIsWide)
{
    for (const auto &[given, width] : { std::pair { 1.0, 1.0 }, { 4.0, 4.0 }, { 0.0, 0.0 }, { -2.0, 0.0 } }) {
        SCOPED_TRACE(given);
        const RenderedTable rendered(twoByTwo, TableBorderSelector::allBorders(), given);
        const TableBounds &bounds = *rendered.recorder.bounds;
        ASSERT_EQ(bounds.rows.size(), 2u);
        ASSERT_EQ(bounds.columns.size(), 2u);
        EXPECT_EQ(bounds.bounds, QRectF(QPointF(0, 0), rendered.table().size()));
        EXPECT_EQ(bounds.columns[0].minX, width);
        EXPECT_EQ(bounds.rows[0].minY, width);
        EXPECT_EQ(bounds.columns[1].minX - (bounds.columns[0].minX + bounds.columns[0].width), width);
        EXPECT_EQ(bounds.rows[1].minY - (bounds.rows[0].minY + bounds.rows[0].height), width);
        EXPECT_EQ(bounds.bounds.right() - (bounds.columns[1].minX + bounds.columns[1].width), width);
        EXPECT_EQ(bounds.bounds.bottom() - (bounds.rows[1].minY + bounds.rows[1].height), width);
        // The widest cell of a column spans it: bounds are the cells', not the slots'.
        EXPECT_EQ(rendered.cell(1, 0).left(), width);
        EXPECT_LT(rendered.cell(1, 1).width(), bounds.columns[1].width)
            << "a narrower cell keeps its own width";
    }
}

TEST(TableView, allBordersOfATwoByTwoTableAreTheLinesBetweenThenTheFrame)
{
    const RenderedTable rendered(twoByTwo);
    const TableBounds &bounds = *rendered.recorder.bounds;
    const QRectF b = bounds.bounds;
    const double belowHeader = bounds.rows[0].minY + bounds.rows[0].height;
    const double rightOfFirst = bounds.columns[0].minX + bounds.columns[0].width;
    EXPECT_EQ(*rendered.recorder.rectangles,
        (std::vector<QRectF> {
            QRectF(0, belowHeader, b.width(), 1), QRectF(rightOfFirst, 0, 1, b.height()), b }));

    // Drawn as measured: red in the gaps and the band, not inside the cells.
    const QImage image = rendered.paint();
    const QPointF origin = rendered.table().topLeft();
    auto at
        = [&](double x, double y) { return RenderedTable::at(image, origin + QPointF(x + 0.25, y + 0.25)); };
    const QColor red = ui::Color::red().resolve(ui::ColorScheme::Light);
    EXPECT_EQ(at(b.width() / 4, belowHeader), red);
    EXPECT_EQ(at(rightOfFirst, b.height() - 3), red);
    EXPECT_EQ(at(0, b.height() / 2), red);
    EXPECT_EQ(at(b.width() - 1, b.height() / 2), red);
    EXPECT_EQ(at(2, 2), QColor(Qt::white)) << "the line stays in the one-point band";
    EXPECT_EQ(at(-3, belowHeader), QColor(Qt::white)) << "no line reaches past the table";
    EXPECT_EQ(at(rightOfFirst, b.height() + 2), QColor(Qt::white));
    EXPECT_EQ(at(rightOfFirst + 2, belowHeader + 2), QColor(Qt::white));
}

TEST(TableView, alternatingRowsPaintTheHeaderAndFirstRowAlikeAndTheSecondApart)
{
    const QColor a(200, 0, 0), b(0, 0, 200);
    const RenderedTable rendered(
        MarkdownContent(u"| h | h |\n|---|---|\n| 1 | 1 |\n| 2 | 2 |\n| 3 | 3 |\n"_s),
        TableBorderSelector::allBorders(), 1, 600, TableBackgroundStyle::alternatingRows(a, b));
    const QImage image = rendered.paint();
    const QColor expected[] = { a, a, b, a };
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 2; ++column) {
            // Inside the cell's padding, clear of its text.
            const QPointF corner = rendered.tree->frameOfTag(cellTag(row, column)).topLeft() + QPointF(2, 2);
            EXPECT_EQ(RenderedTable::at(image, corner), expected[row])
                << "row " << row << " column " << column;
        }
    }
}

TEST(TableView, aRowShorterThanTheTableShowsEmptyCellsThatReportTheirBounds)
{
    const auto cell = [](const QString &text) { return RawTableCell { { InlineNode::text(text) } }; };
    const QList<RawTableColumnAlignment> columns(3, RawTableColumnAlignment::None);
    const MarkdownContent ragged({ BlockNode::table(columns,
        { RawTableRow { { cell(u"a"_s), cell(u"b"_s), cell(u"c"_s) } }, RawTableRow { { cell(u"only"_s) } },
            RawTableRow {},
            RawTableRow { { cell(u"1"_s), cell(u"2"_s), cell(u"3"_s), cell(u"beyond"_s) } } }) });
    const RenderedTable rendered(ragged);
    const TableBounds &bounds = *rendered.recorder.bounds;
    ASSERT_EQ(bounds.rows.size(), 4u);
    ASSERT_EQ(bounds.columns.size(), 3u);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_TRUE(bounds.hasReported(row, column)) << row << ", " << column;
            EXPECT_FALSE(rendered.cell(row, column).isNull()) << row << ", " << column;
        }
    }
    EXPECT_TRUE(rendered.cell(3, 3).isNull()) << "a cell beyond the last column is not shown";
    EXPECT_GT(bounds.rows[2].height, 0) << "an empty row keeps the cells' padding";
    // The table style is handed the table as it was given, short rows and all.
    ASSERT_EQ(rendered.probe.tableContents->size(), 1u);
    EXPECT_EQ(rendered.probe.tableContents->front(), ragged);
}

TEST(TableView, columnAlignmentsPlaceTheCellsOfTheirColumn)
{
    const RenderedTable rendered(
        u"| none column | left column | center column | right column |\n|---|:--|:-:|--:|\n| x | x | x | x |\n"_s);
    const struct
    {
        const char *name;
        std::function<double(const QRectF &)> edge;
    } cases[] = {
        { "none", [](const QRectF &r) { return r.left(); } },
        { "left", [](const QRectF &r) { return r.left(); } },
        { "center", [](const QRectF &r) { return r.center().x(); } },
        { "right", [](const QRectF &r) { return r.right(); } },
    };
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(cases[c].name);
        const QRectF body = rendered.cell(1, c);
        EXPECT_LT(body.width(), rendered.column(c).width() - 10) << "the body cell is the narrower one";
        EXPECT_DOUBLE_EQ(cases[c].edge(body), cases[c].edge(rendered.column(c)));
    }
    // Header cells come to the cell style as row 0.
    const std::vector<int> &rows = *rendered.probe.cellRows;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), 0), 4);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), 1), 4);
}

TEST(TableView, aTableWiderThanTheViewWrapsItsCellsToFit)
{
    QString wide = u"| a | b | c |\n|---|---|---|\n"_s;
    const QString words = u"words that keep going for a while "_s.repeated(4);
    wide += u"| %1 | %1 | %1 |\n"_s.arg(words);
    const RenderedTable rendered(wide);
    EXPECT_LE(rendered.table().width(), 600);
    EXPECT_GT(rendered.cell(1, 0).height(), 2.5 * rendered.cell(0, 0).height()) << "the long cells wrap";
}

TEST(TableView, anImageArrivingInACellMovesTheLinesWithTheRowItGrew)
{
    RenderedTable rendered(u"| a | b |\n|---|---|\n| x ![i](http://h/i.png) | y |\n| z | w |\n"_s);
    const double before = rendered.recorder.bounds->rows[1].height;
    ASSERT_FALSE(rendered.images.pending->empty());
    rendered.images.answerAll();
    ASSERT_TRUE(rendered.tree->needsRebuild());
    rendered.tree->update();

    const TableBounds &bounds = *rendered.recorder.bounds;
    EXPECT_GE(bounds.rows[1].height, 60);
    EXPECT_GT(bounds.rows[1].height, before);
    EXPECT_EQ(bounds.bounds.size(), rendered.table().size());
    EXPECT_EQ(bounds.rows[2].minY, bounds.rows[1].minY + bounds.rows[1].height + 1)
        << "the rows below moved down";
    EXPECT_EQ(rendered.cell(2, 0).top(), bounds.rows[2].minY);
    EXPECT_EQ(rendered.recorder.rectangles->back(), bounds.bounds) << "the frame follows the grown table";
}

TEST(TableView, aCellOfNothingButImagesIsAnImageFlowAndAnyTextMakesItText)
{
    const struct
    {
        const char *name;
        QString cell;
        size_t blockImages;
        size_t inlineImages;
    } cases[] = {
        { "one image", u"![i](http://h/i.png)"_s, 1, 0 },
        { "a linked image and another side by side",
            u"[![i](http://h/i.png)](http://h/)![j](http://h/j.png)"_s, 2, 0 },
        { "two images a space apart", u"![i](http://h/i.png) ![j](http://h/j.png)"_s, 0, 2 },
        { "an image beside text", u"see ![i](http://h/i.png)"_s, 0, 1 },
        { "nothing", u""_s, 0, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RenderedTable rendered(u"| head |\n|---|\n| %1 |\n"_s.arg(c.cell));
        EXPECT_EQ(rendered.blockImages.asked->size(), c.blockImages);
        EXPECT_EQ(rendered.images.pending->size(), c.inlineImages);
        EXPECT_TRUE(rendered.recorder.bounds->hasReported(1, 0));
    }
}

TEST(TableView, tablesWithoutRowsOrColumnsShowOnlyTheirFrame)
{
    const RawTableCell cell { { InlineNode::text(u"x"_s) } };
    const QList<RawTableColumnAlignment> two(2, RawTableColumnAlignment::None);
    const struct
    {
        const char *name;
        QList<RawTableColumnAlignment> columns;
        QList<RawTableRow> rows;
    } cases[] = {
        { "no rows", two, {} },
        { "no columns", {}, { RawTableRow { { cell, cell } }, RawTableRow { { cell } } } },
        { "rows without cells", two, { RawTableRow {}, RawTableRow {} } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const RenderedTable rendered(MarkdownContent({ BlockNode::table(c.columns, c.rows) }));
        const TableBounds &bounds = *rendered.recorder.bounds;
        EXPECT_EQ(bounds.rows.size(), size_t(c.rows.size()));
        EXPECT_EQ(bounds.columns.size(), size_t(c.columns.size()));
        EXPECT_TRUE(rendered.cell(0, 2).isNull());
        ASSERT_FALSE(rendered.recorder.rectangles->empty());
        EXPECT_EQ(rendered.recorder.rectangles->back(), bounds.bounds) << "the frame is last";
    }
}

TEST(TableView, aLinkInACellTakesThePointerThroughTheBordersDrawnOverIt)
{
    const RenderedTable rendered(u"| a |\n|---|\n| [link](https://h/) |\n"_s);
    const QRectF cell = rendered.tree->frameOfTag(cellTag(1, 0));
    ui::Element *hit = rendered.tree->root()->hitTest(cell.center());
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(cell.contains(hit->frame())) << "the cell's text, not the lines over the table";
}
