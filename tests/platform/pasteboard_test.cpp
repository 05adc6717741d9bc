#include "platform/fake/fakepasteboard.h"

#include "tests/support/logcapture.h"
#include "tests/support/pngbytes.h"

#include <gtest/gtest.h>

namespace {

TEST(Pasteboard, everyChangeMovesTheCountOwnWritesIncluded)
{
    FakePasteboard pasteboard;
    int signalled = 0;
    QObject::connect(&pasteboard, &Pasteboard::changed, [&] { ++signalled; });
    const int start = pasteboard.changeCount();
    pasteboard.offerText(QStringLiteral("a"));
    pasteboard.clearContents();
    pasteboard.setString(QStringLiteral("b"));
    EXPECT_EQ(pasteboard.changeCount(), start + 3);
    EXPECT_EQ(signalled, 3);
}

TEST(Pasteboard, aliasesAreFoldedIntoTheirTypes)
{
    FakePasteboard pasteboard;
    pasteboard.offer({ { QStringLiteral("application/rtf"), "{\\rtf1 x}" },
        { QStringLiteral("x-special/gnome-copied-files"), "copy\nfile:///tmp/a" },
        { QStringLiteral("text/plain;charset=utf-8"), "x" },
        { QStringLiteral("x-kde-passwordManagerHint"), "secret\n" } });
    const QStringList types = pasteboard.types().value();
    EXPECT_TRUE(types.contains(PasteboardType::rtf));
    EXPECT_TRUE(types.contains(PasteboardType::fileUrl));
    EXPECT_TRUE(types.contains(PasteboardType::string));
    EXPECT_TRUE(types.contains(PasteboardType::concealed));
    EXPECT_EQ(pasteboard.data(PasteboardType::rtf), QByteArray("{\\rtf1 x}"));
    EXPECT_EQ(pasteboard.fileUrls(), QList<QUrl> { QUrl(QStringLiteral("file:///tmp/a")) });

    pasteboard.failNextFormatsRead();
    EXPECT_FALSE(pasteboard.types().has_value());
}

TEST(Pasteboard, fileUrlsLeaveOtherUrlsAndCommentsOut)
{
    FakePasteboard pasteboard;
    pasteboard.offer(
        { { PasteboardType::fileUrl, "# from a browser\r\nhttps://x.org/\r\nfile:///tmp/a%20b\r\n" } });
    EXPECT_EQ(pasteboard.fileUrls(), QList<QUrl> { QUrl::fromLocalFile(QStringLiteral("/tmp/a b")) });
    pasteboard.offer({ { PasteboardType::fileUrl, "https://x.org/" } });
    EXPECT_TRUE(pasteboard.fileUrls().isEmpty());
}

TEST(Pasteboard, stringFallsBackToTheTextOfRtf)
{
    FakePasteboard pasteboard;
    pasteboard.offer({ { PasteboardType::rtf, "{\\rtf1 from rtf}" } });
    EXPECT_EQ(pasteboard.string(), QStringLiteral("from rtf"));
    pasteboard.offer({ { PasteboardType::rtf, "{\\rtf1 from rtf}" }, { PasteboardType::string, "plain" } });
    EXPECT_EQ(pasteboard.string(), QStringLiteral("plain"));
    pasteboard.offer({ { PasteboardType::html, "<b>x</b>" } });
    EXPECT_FALSE(pasteboard.string().has_value());
}

TEST(Pasteboard, imagePrefersPngAndSkipsBytesThatDoNotDecode)
{
    const QByteArray png = pngBytes(3, 2, Qt::red, QImage::Format_RGB32);

    FakePasteboard pasteboard;
    LogCapture logs;
    pasteboard.offer({ { QStringLiteral("image/jpeg"), "broken" }, { PasteboardType::png, png } });
    ASSERT_TRUE(pasteboard.image().has_value());
    EXPECT_EQ(pasteboard.image()->size(), QSize(3, 2));
    EXPECT_FALSE(logs.containsPrefix(QStringLiteral("Skipped clipboard image")));

    pasteboard.offer({ { QStringLiteral("image/jpeg"), "broken" } });
    EXPECT_FALSE(pasteboard.image().has_value());
    EXPECT_EQ(
        logs.count(QStringLiteral("Skipped clipboard image of type image/jpeg that does not decode")), 1);
}

TEST(Pasteboard, writesAccumulateUntilCleared)
{
    FakePasteboard pasteboard;
    pasteboard.clearContents();
    pasteboard.setData("{\\rtf1 x}", PasteboardType::rtf);
    pasteboard.setString(QStringLiteral("x"));
    EXPECT_EQ(pasteboard.written().data.size(), 1);
    EXPECT_EQ(pasteboard.written().string, QStringLiteral("x"));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("x"));
    pasteboard.clearContents();
    EXPECT_TRUE(pasteboard.written().isEmpty());
    EXPECT_FALSE(pasteboard.types().value().contains(PasteboardType::string));
}

} // namespace
