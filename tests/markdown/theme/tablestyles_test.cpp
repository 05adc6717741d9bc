#include "markdown/theme/tablestyles.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

namespace {

// A 2 × 2 table with 1-point borders: cells 50 and 40 wide, rows 20 and 30 high, each
// gap and the outer band 1 point.
TableBounds twoByTwo()
{
    TableBounds table(2, 2, QRectF(0, 0, 93, 53));
    table.include(0, 0, QRectF(1, 1, 50, 20));
    table.include(0, 1, QRectF(52, 1, 40, 20));
    table.include(1, 0, QRectF(1, 22, 50, 30));
    table.include(1, 1, QRectF(52, 22, 40, 30));
    return table;
}

struct SelectorCase
{
    const char *name;
    TableBorderSelector selector;
    std::vector<QRectF> rectangles;
};

void PrintTo(const SelectorCase &c, std::ostream *out)
{
    *out << c.name;
}

class BorderSelectors : public testing::TestWithParam<SelectorCase>
{
};

const QRectF between(0, 21, 93, 1); // the gap between the rows, edge to edge
const QRectF divider(51, 0, 1, 53); // the gap between the columns, top to bottom
const QRectF frame(0, 0, 93, 53);

} // namespace

TEST_P(BorderSelectors, placeTheirLinesInTheGapsOfATwoByTwoTable)
{
    EXPECT_EQ(GetParam().selector.rectangles(twoByTwo(), 1), GetParam().rectangles);
}

INSTANTIATE_TEST_SUITE_P(TableStyles, BorderSelectors,
    testing::Values(SelectorCase { "all", TableBorderSelector::allBorders(), { between, divider, frame } },
        SelectorCase { "horizontal", TableBorderSelector::horizontalBorders(),
            { QRectF(0, 0, 93, 1), QRectF(0, 52, 93, 1), between } },
        SelectorCase { "outside", TableBorderSelector::outsideBorders(), { frame } },
        SelectorCase { "inside", TableBorderSelector::insideBorders(), { between, divider } },
        SelectorCase { "insideHorizontal", TableBorderSelector::insideHorizontalBorders(), { between } },
        SelectorCase { "insideVertical", TableBorderSelector::insideVerticalBorders(), { divider } }),
    [](const testing::TestParamInfo<SelectorCase> &info) { return std::string(info.param.name); });

TEST(TableStyles, aHeaderOnlyTableHasNoLinesBetweenRows)
{
    TableBounds header(1, 2, QRectF(0, 0, 93, 22));
    header.include(0, 0, QRectF(1, 1, 50, 20));
    header.include(0, 1, QRectF(52, 1, 40, 20));
    EXPECT_TRUE(TableBorderSelector::insideHorizontalBorders().rectangles(header, 1).empty());
    EXPECT_EQ(TableBorderSelector::horizontalBorders().rectangles(header, 1),
        (std::vector<QRectF> { QRectF(0, 0, 93, 1), QRectF(0, 21, 93, 1) }));
    EXPECT_EQ(TableBorderSelector::allBorders().rectangles(header, 1),
        (std::vector<QRectF> { QRectF(51, 0, 1, 22), QRectF(0, 0, 93, 22) }));
}

TEST(TableStyles, rowsAndColumnsTakeTheirLargestCellAndUnreportedOnesDrawNothing)
{
    TableBounds table(2, 1, QRectF(0, 0, 60, 40));
    table.include(0, 0, QRectF(1, 3, 50, 12));
    table.include(0, 0, QRectF(1, 1, 58, 10));
    EXPECT_EQ(table.cellRect(0, 0), QRectF(1, 1, 58, 12));
    EXPECT_FALSE(table.hasReported(1, 0));
    // Row 1 has not reported: the line below row 0 still follows row 0 alone.
    EXPECT_EQ(TableBorderSelector::insideHorizontalBorders().rectangles(table, 1),
        (std::vector<QRectF> { QRectF(0, 13, 60, 1) }));

    TableBounds settling(2, 2, QRectF(0, 0, 93, 53));
    const auto lines = TableBorderSelector::insideBorders().rectangles(settling, 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].isEmpty() && lines[1].isEmpty()) << "no line before any cell reports";
}

TEST(TableStyles, alternatingRowsGiveTheHeaderItsOwnStyleOrTheFirst)
{
    const ui::Color a = ui::Color::red(), b = ui::Color::blue(), h = ui::Color::green();
    const TableBackgroundStyle plain = TableBackgroundStyle::alternatingRows(a, b);
    const TableBackgroundStyle headed = TableBackgroundStyle::alternatingRows(a, b, h);
    const std::vector<ui::Color> expectedPlain { a, a, b, a, b };
    const std::vector<ui::Color> expectedHeaded { h, a, b, a, b };
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(plain.background(row, column), expectedPlain[size_t(row)]) << row;
            EXPECT_EQ(headed.background(row, column), expectedHeaded[size_t(row)]) << row;
        }
    }
    EXPECT_EQ(TableBackgroundStyle::clear().background(0, 0), ui::Color::clear());
}
