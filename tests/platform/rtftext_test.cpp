#include "platform/rtftext.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray readData(const char *name)
{
    QFile file(QStringLiteral(QV_TEST_DATA_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

TEST(RtfText, readsAWordProcessorDocument)
{
    // Written by a word processor from a short HTML note: tables of fonts, colours,
    // styles and lists, code-page escapes, \uN with fallbacks, surrogate pairs.
    const QString text = plainTextFromRtf(readData("wordprocessor_note.rtf")).trimmed();
    const QString expected = QString::fromUtf8("Meeting notes\n"
                                               "Café au lait with Jürgen — “quoted” and ‘single’ at 5 €.\n"
                                               "Tabs: one two\n"
                                               "•\tFirst item\n"
                                               "•\tSecond item\n"
                                               "日本語のテキスト😀 and an emoji  here.\n"
                                               "Braces {like this} and a backslash \\ too.");
    EXPECT_EQ(text, expected);
}

struct RtfCase
{
    const char *name;
    const char *rtf;
    const char *text;
};

class RtfTextTest : public ::testing::TestWithParam<RtfCase>
{
};

TEST_P(RtfTextTest, reads)
{
    EXPECT_EQ(plainTextFromRtf(GetParam().rtf), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(RtfText, RtfTextTest,
    ::testing::Values(RtfCase { "plainRun", "{\\rtf1\\ansi Hello world}", "Hello world" },
        RtfCase { "paragraphsAndLines", "{\\rtf1 one\\par two\\line three}", "one\ntwo\nthree" },
        RtfCase { "sourceLineBreaksAreNotText", "{\\rtf1 one\r\ntwo}", "onetwo" },
        RtfCase { "hexEscapesAreWindows1252", "{\\rtf1\\ansi na\\'efve \\'93q\\'94 \\'80}", "naïve “q” €" },
        RtfCase { "unicodeSkipsItsFallback", "{\\rtf1\\uc1 \\u8364?5 and \\u-3966?}", "€5 and \uF082" },
        RtfCase { "unicodeFallbackCanBeAnEscape", "{\\rtf1\\uc1\\u233\\'e9t\\u233\\'e9}", "été" },
        RtfCase { "ucZeroSkipsNothing", "{\\rtf1\\uc0\\u26085 x}", "日x" },
        RtfCase { "ucTwo", "{\\rtf1\\uc2\\u8212--x}", "—x" },
        RtfCase { "fallbackEndsWithItsGroup", "{\\rtf1 {\\uc3\\u8212}ab}", "—ab" },
        RtfCase { "ignorableDestinationsAreSkipped",
            "{\\rtf1{\\*\\generator Writer;}{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0;}body}", "body" },
        RtfCase { "fieldKeepsItsResult",
            "{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"https://x.org\"}{\\fldrslt the site}} now}",
            "see the site now" },
        RtfCase { "pictureIsSkipped", "{\\rtf1 a{\\pict\\pngblip 89504e47}b}", "ab" },
        RtfCase { "binaryDataIsSkipped", "{\\rtf1 a{\\*\\blob\\bin3 {}\\}b}", "ab" },
        RtfCase { "escapedSymbols", "{\\rtf1 \\{x\\} \\\\ a\\~b c\\-d\\_e}", "{x} \\ a\u00A0b cd\u2011e" },
        RtfCase { "namedPunctuation",
            "{\\rtf1 \\bullet\\tab\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote}", "•\t—–‘’“”" },
        RtfCase { "tableCells", "{\\rtf1 a\\cell b\\cell\\row c}", "a\tb\t\nc" },
        RtfCase { "formattingIsDropped", "{\\rtf1 {\\b bold} {\\i\\fs28 big} x\\b0 y}", "bold big xy" },
        RtfCase { "notRtf", "Hello {world}", "" }, RtfCase { "truncatedInput", "{\\rtf1 abc\\", "abc" }),
    [](const ::testing::TestParamInfo<RtfCase> &info) { return std::string(info.param.name); });

} // namespace

namespace {

struct StyledCase
{
    const char *name;
    const char *rtf;
    QList<RtfRun> runs;
};

class RtfStyledRunsTest : public ::testing::TestWithParam<StyledCase>
{
};

TEST_P(RtfStyledRunsTest, keepsBoldItalicUnderlineAndParagraphs)
{
    EXPECT_EQ(styledRunsFromRtf(QByteArray(GetParam().rtf)), GetParam().runs);
}

RtfRun run(const char *text, bool bold = false, bool italic = false, bool underline = false)
{
    return RtfRun { QString::fromUtf8(text), bold, italic, underline };
}

INSTANTIATE_TEST_SUITE_P(RtfText, RtfStyledRunsTest,
    ::testing::Values(StyledCase { "plain", "{\\rtf1 plain}", { run("plain") } },
        StyledCase {
            "boldToggledOff", "{\\rtf1 a \\b bold\\b0  c}", { run("a "), run("bold", true), run(" c") } },
        StyledCase { "groupRestoresStyle", "{\\rtf1 {\\i it}x}", { run("it", false, true), run("x") } },
        StyledCase {
            "underlineKinds", "{\\rtf1 \\uldb u\\ulnone n}", { run("u", false, false, true), run("n") } },
        StyledCase { "plainResetsAll", "{\\rtf1 \\b\\i\\ul all\\plain  none}",
            { run("all", true, true, true), run(" none") } },
        StyledCase { "paragraphsInText", "{\\rtf1 \\b one\\par two}", { run("one\ntwo", true) } },
        StyledCase { "notRtf", "plain text", {} }),
    [](const ::testing::TestParamInfo<StyledCase> &info) { return std::string(info.param.name); });

TEST(RtfText, styledReadingStopsAtTheLineLimitAndCharacterLimit)
{
    QByteArray rtf("{\\rtf1 ");
    for (int line = 0; line < 1000; ++line)
        rtf += "line " + QByteArray::number(line) + "\\par ";
    rtf += "}";
    const QList<RtfRun> cut = styledRunsFromRtf(rtf, 3);
    ASSERT_EQ(cut.size(), 1);
    EXPECT_EQ(cut.first().text, QStringLiteral("line 0\nline 1\nline 2"));

    const QByteArray longLine = "{\\rtf1 " + QByteArray(1'000'000, 'x') + "}";
    const QList<RtfRun> shortened = styledRunsFromRtf(longLine, 50, 100);
    ASSERT_EQ(shortened.size(), 1);
    EXPECT_EQ(shortened.first().text.size(), 100);
}

} // namespace
