#include "markdown/model/texttable.h"

#include "tests/markdown/model/modeldump.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace Qt::StringLiterals;

struct Person
{
    QString name;
    int age = 0;
    double height = 0;
    bool member = false;

    QString greeting() const { return u"hi "_s + name; }
};

using Column = TextTableColumn<Person>;
using Columns = TextTableColumnBuilder<Person>;

const std::vector<Person> people { { u"Ann"_s, 31, 1.7, true }, { u"**Bob**"_s, -4, 0.1, false } };

QString dumpTable(const TextTable &table)
{
    return dump(table.markdownContent().blocks());
}

TEST(TextTable, buildsWhatParsingTheEquivalentTableGives)
{
    const std::vector<Person> plain { { u"Ann"_s, 31 }, { u"Bob"_s, 4 } };
    const TextTable table(plain, [] {
        return Columns::buildBlock(Column(TextTableColumnAlignment::Leading, u"Name"_s, &Person::name),
            Column(TextTableColumnAlignment::Trailing, u"Age"_s, &Person::age),
            Column(TextTableColumnAlignment::Center, u"Note"_s,
                [](const Person &p) { return Emphasis(p.name).inlineContent(); }),
            Column(std::nullopt, u"Plain"_s, &Person::member));
    });
    const MarkdownContent parsed(
        u"| Name | Age | Note | Plain |\n|:--|--:|:-:|---|\n| Ann | 31 | *Ann* | false |\n| Bob | 4 | *Bob* | false |"_s);
    EXPECT_EQ(dump(table.markdownContent().blocks()), dump(parsed.blocks()));
    EXPECT_EQ(table.markdownContent(), parsed);
    EXPECT_EQ(MarkdownContent(table.markdownContent().renderMarkdown()), parsed);
}

struct ShapeCase
{
    const char *name;
    TextTable table;
    const char *dump;
};

void PrintTo(const ShapeCase &c, std::ostream *out)
{
    *out << c.name;
}

class TextTableShape : public ::testing::TestWithParam<ShapeCase>
{
};

TEST_P(TextTableShape, hasAHeaderRowThenOneRowPerValue)
{
    EXPECT_EQ(dumpTable(GetParam().table), QString::fromUtf8(GetParam().dump));
}

INSTANTIATE_TEST_SUITE_P(Shapes, TextTableShape,
    ::testing::Values(ShapeCase { "noValuesGiveTheHeaderOnly",
                          TextTable(std::vector<Person>(),
                              [] {
                                  return Columns::buildBlock(
                                      Column(TextTableColumnAlignment::Center, u"A"_s, &Person::age),
                                      Column(std::nullopt, u"B"_s, &Person::name));
                              }),
                          R"(table(c-)[row[cell[text"A"] cell[text"B"]]])" },
        ShapeCase { "noColumnsGiveEmptyRows", TextTable(people, [] { return Columns::buildBlock(); }),
            "table()[row[] row[] row[]]" },
        ShapeCase { "membersShowTheirLosslessTextLiterally",
            TextTable(people,
                [] {
                    return Columns::buildBlock(Column(std::nullopt, u"n"_s, &Person::name),
                        Column(std::nullopt, u"a"_s, &Person::age),
                        Column(std::nullopt, u"h"_s, &Person::height),
                        Column(std::nullopt, u"m"_s, &Person::member),
                        Column(std::nullopt, u"g"_s, &Person::greeting));
                }),
            R"(table(-----)[row[cell[text"n"] cell[text"a"] cell[text"h"] cell[text"m"] cell[text"g"]] )"
            R"(row[cell[text"Ann"] cell[text"31"] cell[text"1.7"] cell[text"true"] cell[text"hi Ann"]] )"
            R"(row[cell[text"**Bob**"] cell[text"-4"] cell[text"0.1"] cell[text"false"] cell[text"hi **Bob**"]]])" },
        ShapeCase { "aStringTitleIsOneTextAndABuiltTitleKeepsEveryInline",
            TextTable(std::vector<Person>(),
                [] {
                    return Columns::buildBlock(Column(std::nullopt, u"*a* b"_s, &Person::age),
                        Column(
                            std::nullopt,
                            [] {
                                return InlineContentBuilder::buildBlock(Strong(u"x"_s), u"y"_s, Code(u"z"_s));
                            },
                            &Person::age));
                }),
            R"(table(--)[row[cell[text"*a* b"] cell[strong[text"x"] text"y" code"z"]]])" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextTable, callsEachColumnsContentOncePerValue)
{
    auto calls = std::make_shared<int>(0);
    const TextTable table(people, [calls] {
        return Columns::buildBlock(Column(std::nullopt, u"n"_s, [calls](const Person &p) {
            ++*calls;
            return InlineContentBuilder::buildBlock(p.name);
        }));
    });
    EXPECT_EQ(*calls, 2);
    EXPECT_EQ(table.rows.size(), 3);
}

TEST(TextTable, rowsFromABuilderComeFirstAndKeepTheirOrder)
{
    QStringList calls;
    const TextTable table(
        [&calls] {
            calls << u"columns"_s;
            return TextTableColumnBuilder<int>::buildBlock(TextTableColumn<int>(std::nullopt, u"n"_s,
                [](int n) { return InlineContentBuilder::buildBlock(QString::number(n)); }));
        },
        [&calls] {
            calls << u"rows"_s;
            return TextTableRowBuilder<int>::buildBlock(TextTableRow(3),
                TextTableRowBuilder<int>::buildArray(
                    QList<TextTableRow<int>> { TextTableRow(1), TextTableRow(2) }));
        });
    EXPECT_EQ(calls, QStringList({ u"rows"_s, u"columns"_s }));
    EXPECT_EQ(dumpTable(table),
        R"(table(-)[row[cell[text"n"]] row[cell[text"3"]] row[cell[text"1"]] row[cell[text"2"]]])");
}

} // namespace
