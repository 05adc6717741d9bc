#include "clipboard/characters.h"
#include "clipboard/clipboarditem.h"
#include "clipboard/contenttype.h"
#include "platform/fake/fakeclock.h"

#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString sha256OfNothing
    = QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");

TEST(ClipboardItem, newEntryHasFreshIdClockTimeNoPinAndHexHash)
{
    FakeClock clock;
    const ClipboardItem a = ClipboardItem::create(clock, ContentType::Text, "hello", QStringLiteral("hello"));
    const ClipboardItem b = ClipboardItem::create(clock, ContentType::Text, "hello", QStringLiteral("hello"));
    EXPECT_TRUE(a.isValid());
    EXPECT_NE(a.id, b.id);
    EXPECT_FALSE(a == b);
    EXPECT_EQ(a.timestamp, clock.now());
    EXPECT_FALSE(a.isPinned);
    ASSERT_TRUE(a.contentHash.has_value());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(*a.contentHash).hasMatch());
    EXPECT_EQ(a.contentHash, b.contentHash);
}

TEST(ClipboardItem, hashUsesRtfElseHtmlElseData)
{
    const QByteArray rtf = "{\\rtf1 hi}";
    const QByteArray html = "<b>hi</b>";
    const QString rtfOnly = computeContentHash("", rtf, std::nullopt);
    // With RTF, neither the HTML nor the plain text counts.
    EXPECT_EQ(computeContentHash("hi", rtf, html), rtfOnly);
    EXPECT_EQ(computeContentHash("other", rtf, QByteArray("<i>other</i>")), rtfOnly);
    // With HTML and no RTF, only the HTML counts.
    EXPECT_EQ(computeContentHash("hi", std::nullopt, html), computeContentHash("x", std::nullopt, html));
    EXPECT_NE(
        computeContentHash("hi", std::nullopt, html), computeContentHash("hi", std::nullopt, std::nullopt));
    // The same text as plain and as rich text are two entries.
    EXPECT_NE(
        computeContentHash("hi", std::nullopt, std::nullopt), computeContentHash("hi", rtf, std::nullopt));
    // Empty input still hashes; a present but empty RTF is chosen over the data.
    EXPECT_EQ(computeContentHash("", std::nullopt, std::nullopt), sha256OfNothing);
    EXPECT_EQ(computeContentHash("data", QByteArray(""), std::nullopt), sha256OfNothing);
}

TEST(ClipboardItem, hexStringWritesTwoLowercaseDigitsPerByte)
{
    EXPECT_EQ(hexString(QByteArray("\x00\x0f\xa0\xff", 4)), QStringLiteral("000fa0ff"));
    EXPECT_EQ(hexString({}), QString());
}

TEST(ClipboardItem, previewCutsAtTwoHundredCharacters)
{
    const QString exactly200(200, u'a');
    EXPECT_EQ(previewOfText(exactly200), exactly200);
    EXPECT_EQ(previewOfText(exactly200 + u'b'), exactly200);
    EXPECT_EQ(previewOfText(QString()), QString());
}

TEST(ClipboardItem, previewCountsUserPerceivedCharacters)
{
    // A thumbs-up with a skin-tone modifier is four UTF-16 units and one character.
    const QString thumb = QStringLiteral(u"\U0001F44D\U0001F3FD");
    QString text;
    for (int i = 0; i < 250; ++i)
        text += thumb;
    EXPECT_EQ(previewOfText(text), text.left(200 * thumb.size()));

    const QString accented = QStringLiteral(u"e\u0301"); // e + combining acute
    QString letters;
    for (int i = 0; i < 300; ++i)
        letters += accented;
    EXPECT_EQ(previewOfText(letters).size(), 200 * accented.size());

    // A family emoji joined by zero-width joiners stays whole at the cut.
    const QString family = QStringLiteral(u"\U0001F468\u200D\U0001F469\u200D\U0001F467");
    EXPECT_EQ(firstCharacters(QString(199, u'x') + family + family, 200), QString(199, u'x') + family);
}

TEST(ClipboardItem, characterCountingStopsEarlyOnHugeText)
{
    const QString huge(5'000'000, u'z');
    EXPECT_EQ(previewOfText(huge).size(), 200);
    EXPECT_TRUE(hasAtLeastCharacters(huge, 21));
    EXPECT_FALSE(hasAtLeastCharacters(QString(20, u'z'), 21));
    EXPECT_TRUE(hasAtLeastCharacters(QString(21, u'z'), 21));
}

TEST(ClipboardItem, imagePreviewTruncatesPointsTowardZero)
{
    // Decoded images are whole pixels; a device pixel ratio gives fractional points.
    QImage half(1, 1, QImage::Format_ARGB32);
    half.setDevicePixelRatio(2.0);
    EXPECT_EQ(previewOfImage(half), QStringLiteral("Image (0x0)"));
    QImage wide(999, 20, QImage::Format_ARGB32);
    wide.setDevicePixelRatio(10.0); // 99.9 by 2 points
    EXPECT_EQ(previewOfImage(wide), QStringLiteral("Image (99x2)"));
    EXPECT_EQ(previewOfImage(QImage(1280, 720, QImage::Format_RGB32)), QStringLiteral("Image (1280x720)"));
}

TEST(ContentType, rawValuesAreExactStrings)
{
    const std::pair<ContentType, const char *> cases[] = { { ContentType::Text, "text" },
        { ContentType::Code, "code" }, { ContentType::RichText, "richText" }, { ContentType::Image, "image" },
        { ContentType::File, "file" } };
    for (const auto &[type, raw] : cases) {
        EXPECT_EQ(contentTypeRawValue(type), QString::fromLatin1(raw));
        EXPECT_EQ(contentTypeFromRawValue(QString::fromLatin1(raw)), type);
    }
    EXPECT_FALSE(contentTypeFromRawValue(QStringLiteral("richtext")));
    EXPECT_FALSE(contentTypeFromRawValue(QStringLiteral("Text")));
    EXPECT_FALSE(contentTypeFromRawValue(QString()));
}

struct CodeCase
{
    const char *name;
    const char *text;
    ContentType expected;
};

class CodeTest : public ::testing::TestWithParam<CodeCase>
{
};

TEST_P(CodeTest, classifies)
{
    EXPECT_EQ(classifyText(QString::fromUtf8(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(ContentType, CodeTest,
    ::testing::Values(CodeCase { "twentyCharactersWithSemicolon", "abcdefghijklmnopqrs;", ContentType::Text },
        CodeCase { "twentyOneCharactersWithSemicolon", "abcdefghijklmnopqrst;", ContentType::Code },
        CodeCase { "shortCountsCharactersNotUnits", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD abcdefghijklmnopq;",
            ContentType::Text },
        CodeCase { "fence", "Here it is:\n```swift\nprint(1)\n```", ContentType::Code },
        CodeCase { "shebang", "#!/usr/bin/env python\nprint('hi')", ContentType::Code },
        CodeCase { "shebangOtherShell", "#!/bin/fish\necho hello there", ContentType::Text },
        CodeCase { "declaration", "we should def parse it soon enough", ContentType::Code },
        CodeCase { "importLine", "import os\nprint(os.getcwd())", ContentType::Code },
        CodeCase { "binding", "const answer = 42 // the answer", ContentType::Code },
        CodeCase { "returnLine", "  return value + other", ContentType::Code },
        CodeCase { "braceWithReturn", "x => { if (a) return b }", ContentType::Code },
        CodeCase { "sqlAcrossLines", "SELECT name, email\nALL ROWS FROM USERS", ContentType::Code },
        CodeCase { "sqlLowerCase", "select name, email\nall rows from users", ContentType::Text },
        CodeCase { "jsonBlock", "{\n  \"name\": \"quorvane\",\n  \"version\": 1\n}", ContentType::Code },
        CodeCase { "braceAtLineEnd", "if (ready) {\n  go()\n}", ContentType::Code },
        CodeCase { "crlfLineEnds", "printf(\"hello world\");\r\nputs(\"bye\")", ContentType::Code },
        CodeCase { "prose", "Meet me at the station at seven, not eight.", ContentType::Text },
        CodeCase { "semicolonMidLine", "first; then the second and third", ContentType::Text }),
    [](const ::testing::TestParamInfo<CodeCase> &info) { return std::string(info.param.name); });

} // namespace
