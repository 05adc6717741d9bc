#include "preview/largetablepreviewsimplifier.h"

#include <gtest/gtest.h>

// Readable failures: a section prints as its text or its summary.
void PrintTo(const LargeTablePreviewSimplifier::Section &section, std::ostream *out)
{
    if (section.isMarkdown()) {
        *out << "markdown " << ::testing::PrintToString(section.markdownText().toStdString());
        return;
    }
    const auto &table = section.table();
    *out << "table of " << table.summary.bodyRows << " rows, " << table.summary.columns << " columns, "
         << table.summary.bodyCells << " cells, " << table.omittedBodyRows << " omitted, preview "
         << ::testing::PrintToString(table.previewLines.join(u'/').toStdString());
}

void PrintTo(const LargeTablePreviewSimplifier::Summary &summary, std::ostream *out)
{
    *out << summary.bodyRows << " rows, " << summary.columns << " columns, " << summary.bodyCells << " cells";
}

namespace {

using Simplifier = LargeTablePreviewSimplifier;
using Section = Simplifier::Section;

// The preview's own numbers.
Simplifier::Result simplify(const QString &text)
{
    return Simplifier::simplify(text, 1000, 500, 3);
}

// A pipe table: header "| h0 | h1 |…", delimiter, then rows "| r0c0 | r0c1 |…",
// each line with `prefix` in front and `lineEnd` after it (none after the last).
QString table(
    int columns, int rows, const QString &prefix = QString(), const QString &lineEnd = QStringLiteral("\n"))
{
    QStringList lines;
    QStringList header, delimiter;
    for (int c = 0; c < columns; ++c) {
        header << QStringLiteral("h%1").arg(c);
        delimiter << QStringLiteral("---");
    }
    lines << prefix + QStringLiteral("| ") + header.join(QStringLiteral(" | ")) + QStringLiteral(" |");
    lines << prefix + QStringLiteral("|") + delimiter.join(QStringLiteral("|")) + QStringLiteral("|");
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << QStringLiteral("r%1c%2").arg(r).arg(c);
        lines << prefix + QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
    }
    return lines.join(lineEnd);
}

Section markdown(const QString &text)
{
    return Section::markdown(text);
}

Section summary(qsizetype rows, qsizetype columns, QStringList previewLines, qsizetype omitted)
{
    return Section::simplifiedTable({ { rows, columns, rows * columns }, std::move(previewLines), omitted });
}

bool isWholeMarkdown(const QString &text)
{
    return simplify(text) == Simplifier::Result { { markdown(text) } };
}

TEST(LargeTablePreviewSimplifierTest, textWithoutLargeTablesIsOneMarkdownSection)
{
    EXPECT_TRUE(simplify(QString()).sections.isEmpty());
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("\n\n\n")));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("   ")));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("# Title\n\n") + table(2, 3) + QStringLiteral("\n\nText\n\n")
        + table(3, 2) + QStringLiteral("\nend")));
}

TEST(LargeTablePreviewSimplifierTest, aTableIsLargeFromFiveHundredRowsOrAThousandCells)
{
    EXPECT_FALSE(simplify(table(2, 500)).sections.front().isMarkdown());
    EXPECT_FALSE(simplify(table(10, 100)).sections.front().isMarkdown());
    EXPECT_TRUE(isWholeMarkdown(table(2, 499)));
    EXPECT_TRUE(isWholeMarkdown(table(10, 99)));

    EXPECT_EQ(
        simplify(table(10, 100)).sections.front().table().summary, (Simplifier::Summary { 100, 10, 1000 }));
    // Thresholds of zero make every recognised table large.
    EXPECT_FALSE(Simplifier::simplify(table(1, 0), 0, 0, 3).sections.front().isMarkdown());
}

TEST(LargeTablePreviewSimplifierTest, aSummaryKeepsTheHeaderTheDelimiterAndTheFirstRows)
{
    EXPECT_EQ(Simplifier::simplify(table(2, 2), 1, 1, 3).sections,
        (QList<Section> { summary(2, 2,
            { QStringLiteral("| h0 | h1 |"), QStringLiteral("|---|---|"), QStringLiteral("| r0c0 | r0c1 |"),
                QStringLiteral("| r1c0 | r1c1 |") },
            0) }));
    EXPECT_EQ(simplify(table(2, 600)).sections,
        (QList<Section> { summary(600, 2,
            { QStringLiteral("| h0 | h1 |"), QStringLiteral("|---|---|"), QStringLiteral("| r0c0 | r0c1 |"),
                QStringLiteral("| r1c0 | r1c1 |"), QStringLiteral("| r2c0 | r2c1 |") },
            597) }));
}

TEST(LargeTablePreviewSimplifierTest, theTextAroundALargeTableBecomesSectionsOfItsOwn)
{
    const QString big = table(2, 500);
    const Section bigSummary = simplify(big).sections.front();

    EXPECT_EQ(simplify(QStringLiteral("First\n\n") + big + QStringLiteral("\n\nSecond")).sections,
        (QList<Section> {
            markdown(QStringLiteral("First\n\n")), bigSummary, markdown(QStringLiteral("\n\nSecond")) }));
    // The text right under the table still starts on a blank line of its own.
    EXPECT_EQ(simplify(big + QStringLiteral("\nnot a row")).sections,
        (QList<Section> { bigSummary, markdown(QStringLiteral("\nnot a row")) }));
    EXPECT_EQ(simplify(QStringLiteral("First\n\n") + big).sections,
        (QList<Section> { markdown(QStringLiteral("First\n\n")), bigSummary }));
    EXPECT_EQ(simplify(QStringLiteral("First\n\n") + big + u'\n').sections,
        (QList<Section> { markdown(QStringLiteral("First\n\n")), bigSummary }));
    EXPECT_EQ(simplify(big + QStringLiteral("\n \n\t\n")).sections,
        (QList<Section> { bigSummary, markdown(QStringLiteral(" \n\t\n")) }));
    EXPECT_EQ(simplify(big + u'\n' + big).sections.size(), 1) << "the second header reads as a body row";
    EXPECT_EQ(simplify(big + QStringLiteral("\n\n") + big).sections,
        (QList<Section> { bigSummary, markdown(QStringLiteral("\n\n")), bigSummary }));
}

TEST(LargeTablePreviewSimplifierTest, tablesInsideFencedCodeAreNeverRecognised)
{
    const QString big = table(2, 500);
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("```\n") + big + QStringLiteral("\n```\n")));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("   ~~~~ info `x`\n") + big));
    // Only a fence of the same character, at least as long, with nothing after
    // it, closes the block.
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("```\n~~~\n") + big));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("````\n```\n") + big));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("```\n``` a\n") + big));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("~~~\n    ~~~\n") + big));
    EXPECT_FALSE(simplify(QStringLiteral("```\n````\n") + big).sections.back().isMarkdown());
    EXPECT_FALSE(simplify(QStringLiteral("~~~~\n  ~~~~~ \t\n") + big).sections.back().isMarkdown());
    // Not fences: two backticks, four spaces of indentation, a quoted fence.
    EXPECT_FALSE(simplify(QStringLiteral("``\n") + big).sections.back().isMarkdown());
    EXPECT_FALSE(simplify(QStringLiteral("    ```\n\n") + big).sections.back().isMarkdown());
    EXPECT_FALSE(simplify(QStringLiteral("> ```\n") + big).sections.back().isMarkdown());
}

TEST(LargeTablePreviewSimplifierTest, quotedTablesAreRecognisedAndIndentedOnesAreNot)
{
    const QString quoted = table(2, 500, QStringLiteral("> "));
    const Simplifier::Result result = simplify(quoted);
    ASSERT_EQ(result.sections.size(), 1);
    EXPECT_EQ(result.sections.front().table().previewLines.front(), QStringLiteral("> | h0 | h1 |"));
    EXPECT_EQ(result.sections.front().table().summary.bodyRows, 500);
    EXPECT_EQ(simplify(table(2, 500, QStringLiteral("> > "))).sections.front().table().summary.bodyRows, 500);
    EXPECT_EQ(simplify(table(2, 500, QStringLiteral("   "))).sections.front().table().summary.bodyRows, 500);

    EXPECT_TRUE(isWholeMarkdown(table(2, 500, QStringLiteral("    "))));
    EXPECT_TRUE(isWholeMarkdown(table(2, 500, QStringLiteral("\t"))));
    EXPECT_TRUE(isWholeMarkdown(table(2, 500, QStringLiteral(">     "))));
}

// A table in a list item starts on the item's marker line and its other rows are
// indented to the item's content; the Markdown renderer pads such a table's rows
// like any other's, so a large one is summarised like any other.
TEST(LargeTablePreviewSimplifierTest, tablesInListItemsAreRecognisedWhereTheRendererSeesThem)
{
    struct Row
    {
        const char *name;
        QString header; // before the header row
        QString rows; // before the delimiter and body rows
        qsizetype bodyRows; // -1: no table
    };
    const Row rows[] = {
        { "bullet", QStringLiteral("- "), QStringLiteral("  "), 500 },
        { "otherBullets", QStringLiteral("* "), QStringLiteral("  "), 500 },
        { "ordered", QStringLiteral("12. "), QStringLiteral("    "), 500 },
        { "orderedWithParenthesis", QStringLiteral("1) "), QStringLiteral("   "), 500 },
        { "nestedItemsOnOneLine", QStringLiteral("- 1. "), QStringLiteral("     "), 500 },
        { "itemInAQuote", QStringLiteral("> - "), QStringLiteral(">   "), 500 },
        { "rowsIndentedDeeperStillCount", QStringLiteral("- "), QStringLiteral("   "), 500 },
        { "rowsOutsideTheItemAreNoTable", QStringLiteral("- "), QString(), -1 },
        { "rowsIndentedTooLittleAreNoTable", QStringLiteral("12. "), QStringLiteral("  "), -1 },
        { "codeInTheItemIsNoTable", QStringLiteral("- "), QStringLiteral("      "), -1 },
        { "noSpaceAfterTheMarkerIsNoItem", QStringLiteral("-"), QStringLiteral(" "), -1 },
    };
    for (const Row &row : rows) {
        const QString body = QStringLiteral("\n%1| 1 |").arg(row.rows).repeated(500);
        const QString text = row.header + QStringLiteral("| a | b |\n") + row.rows
            + QStringLiteral("|---|---|") + body + QStringLiteral("\n\nAfter");
        const Simplifier::Result result = simplify(text);
        if (row.bodyRows < 0) {
            EXPECT_TRUE(isWholeMarkdown(text)) << row.name;
            continue;
        }
        ASSERT_EQ(result.sections.size(), 2) << row.name;
        EXPECT_EQ(result.sections[0].table().summary.bodyRows, row.bodyRows) << row.name;
        EXPECT_EQ(result.sections[0].table().previewLines.front(), row.header + QStringLiteral("| a | b |"))
            << row.name;
        EXPECT_EQ(result.sections[1], markdown(QStringLiteral("\n\nAfter"))) << row.name;
    }

    // The item's rows end at the first line indented less than its content.
    const QString shortTable = QStringLiteral("- | a | b |\n  |---|---|\n  | 1 |\n| 2 |\n")
        + QStringLiteral("| 3 |\n").repeated(600);
    EXPECT_TRUE(isWholeMarkdown(shortTable));
}

TEST(LargeTablePreviewSimplifierTest, theDelimiterRowDecidesWhetherRowsAreATable)
{
    const QString body = QStringLiteral("\n| 1 | 2 |").repeated(500);
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("| a | b |\n|---|---|---|") + body));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("| a | b |\n|---|:|") + body));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("| a | b |\n|---|::|") + body));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("| a | b |\n|---|- -|") + body));
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("| a | b |\n|---||") + body));
    EXPECT_FALSE(simplify(QStringLiteral("| a | b |\n| :-- | --: |") + body).sections.front().isMarkdown());
    EXPECT_FALSE(simplify(QStringLiteral("| a | b |\n|:-:|-|") + body).sections.front().isMarkdown());
    EXPECT_FALSE(simplify(QStringLiteral("a | b\n--- | ---") + body).sections.front().isMarkdown());
    // An escaped pipe splits like any other.
    EXPECT_TRUE(isWholeMarkdown(QStringLiteral("| a \\| b |\n|---|") + body));
}

TEST(LargeTablePreviewSimplifierTest, bodyRowsCountWhateverTheirCellsAndEndAtTheFirstOtherLine)
{
    QString text = QStringLiteral("| a | b | c |\n|---|---|---|");
    for (int r = 0; r < 250; ++r)
        text += QStringLiteral("\n| 1 |\n1 | 2 | 3 | 4 | 5");
    text += QStringLiteral("\n\n| x | y | z |");
    const Simplifier::Result result = simplify(text);
    ASSERT_EQ(result.sections.size(), 2);
    EXPECT_EQ(result.sections[0].table().summary, (Simplifier::Summary { 500, 3, 1500 }));
    EXPECT_EQ(result.sections[0].table().previewLines.last(), QStringLiteral("| 1 |"));
    EXPECT_EQ(result.sections[1], markdown(QStringLiteral("\n\n| x | y | z |")));
}

TEST(LargeTablePreviewSimplifierTest, notesWithWindowsLineEndsAreCutLikeAnyOther)
{
    const QString text = QStringLiteral("Intro\r\n\r\n") + table(2, 10000, QString(), QStringLiteral("\r\n"))
        + QStringLiteral("\r\n\r\nOutro\r\n");
    const Simplifier::Result result = simplify(text);
    ASSERT_EQ(result.sections.size(), 3);
    EXPECT_EQ(result.sections[0], markdown(QStringLiteral("Intro\r\n\r\n")));
    EXPECT_EQ(result.sections[1].table().summary, (Simplifier::Summary { 10000, 2, 20000 }));
    EXPECT_EQ(result.sections[1].table().previewLines,
        (QStringList { QStringLiteral("| h0 | h1 |"), QStringLiteral("|---|---|"),
            QStringLiteral("| r0c0 | r0c1 |"), QStringLiteral("| r1c0 | r1c1 |"),
            QStringLiteral("| r2c0 | r2c1 |") }));
    EXPECT_EQ(result.sections[2], markdown(QStringLiteral("\n\r\nOutro\r\n")));

    // Fences close on their own line end, and a table right under a fenced
    // block is still found.
    EXPECT_TRUE(
        isWholeMarkdown(QStringLiteral("```\r\n") + table(2, 500, QString(), QStringLiteral("\r\n"))));
    EXPECT_FALSE(
        simplify(QStringLiteral("```\r\ncode\r\n```\r\n") + table(2, 500, QString(), QStringLiteral("\r\n")))
            .sections.back()
            .isMarkdown());
    // A line that is only a carriage return counts as blank.
    EXPECT_EQ(simplify(table(2, 500) + QStringLiteral("\n\r\n\r")).sections.size(), 2);
    EXPECT_EQ(simplify(table(2, 500) + QStringLiteral("\n\r\n\r")).sections.back(),
        markdown(QStringLiteral("\r\n\r")));
}

} // namespace
