#include "clipboard/clipboardrowview.h"
#include "clipboard/clipboardstore.h"
#include "clipboard/thumbnailcache.h"

#include "tests/clipboard/temporarystore.h"
#include "tests/support/pngbytes.h"
#include "tests/support/waitfor.h"

#include <QImage>
#include <QMenu>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QThreadPool>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class ClipboardRowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store = openStoreIn(dir);
        ASSERT_TRUE(store);
    }

    std::unique_ptr<ClipboardRowView> row(const ClipboardItem &item)
    {
        auto view = std::make_unique<ClipboardRowView>(item, cache, *store);
        view->resize(360, view->heightForWidth(360));
        return view;
    }

    QTemporaryDir dir;
    ThumbnailCache cache;
    std::unique_ptr<ClipboardStore> store;
};

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    delete menu;
    return texts;
}

TEST_F(ClipboardRowTest, theMenuAndPinMarkFollowThePin)
{
    ClipboardItem item = ClipboardItem::create(ContentType::Text, "words", QStringLiteral("words"));
    auto view = row(item);
    EXPECT_EQ(menuTexts(view->makeContextMenu()), (QStringList { "Copy", "Pin to Top", "---", "Delete" }));
    EXPECT_FALSE(view->findChild<QWidget *>(QStringLiteral("pinMark"))->isVisibleTo(view.get()));
    item.isPinned = true;
    view->setItem(item);
    EXPECT_EQ(menuTexts(view->makeContextMenu()), (QStringList { "Copy", "Unpin", "---", "Delete" }));
    EXPECT_TRUE(view->findChild<QWidget *>(QStringLiteral("pinMark"))->isVisibleTo(view.get()));
}

TEST_F(ClipboardRowTest, theChevronExpandsWithoutCopyingAndShowsTheWholeText)
{
    const QString text = QStringLiteral("line one\nline two\nline three\nline four");
    ClipboardItem item = ClipboardItem::create(ContentType::Text, text.toUtf8(), text.left(12));
    auto view = row(item);
    int copies = 0;
    int expansions = 0;
    view->onCopy = [&] { ++copies; };
    view->onExpand = [&] { ++expansions; };
    const int collapsed = view->heightForWidth(360);
    view->findChild<QToolButton *>(QStringLiteral("expandButton"))->click();
    EXPECT_TRUE(view->isExpanded());
    EXPECT_EQ((std::pair { copies, expansions }), (std::pair { 0, 1 }));
    EXPECT_GT(view->heightForWidth(360), collapsed);
    auto *expanded = view->findChild<QWidget *>(QStringLiteral("expandedText"));
    ASSERT_TRUE(expanded);
    EXPECT_TRUE(view->findChild<QToolButton *>(QStringLiteral("copyButton")));
    view->findChild<QToolButton *>(QStringLiteral("expandButton"))->click();
    EXPECT_EQ(expansions, 1) << "collapsing calls nothing";
}

struct ClampCase
{
    const char *name;
    QString text;
    qsizetype lines;
    bool ellipsis; // the last line ends in "…": text is left over
};

class CollapsedPreview : public ::testing::TestWithParam<ClampCase>
{
};

TEST_P(CollapsedPreview, fitsTwoLinesOfTheRowWithAnEllipsisForWhatIsLeft)
{
    QFont font;
    font.setPixelSize(11);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("abcdefghij")) + 2; // about ten letters
    const QStringList lines = ClipboardRowView::clampedLines(GetParam().text, font, width, 2);
    ASSERT_EQ(lines.size(), GetParam().lines) << lines.join(u'|').toStdString();
    QString shown;
    for (const QString &line : lines) {
        // Blanks at a line's end may hang past the edge; nothing else does.
        EXPECT_LE(metrics.horizontalAdvance(QString(line).replace(QRegularExpression(" +$"), "")), width)
            << line.toStdString();
        shown += line;
    }
    const bool ellipsis = shown.endsWith(QChar(0x2026));
    EXPECT_EQ(ellipsis, GetParam().ellipsis) << shown.toStdString();
    if (ellipsis)
        shown.chop(1);
    QString shaped = GetParam().text;
    shaped.remove(u'\n').replace(u'\t', "    ");
    EXPECT_TRUE(shaped.startsWith(shown)) << shown.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ClipboardRow, CollapsedPreview,
    ::testing::Values(ClampCase { "short", "abc", 1, false }, ClampCase { "empty", "", 0, false },
        ClampCase { "codeKeepsItsLines", "ab\n\tcd", 2, false },
        ClampCase { "wordsWrapThenEllipsis", "aaaa bbbb cccc dddd eeee ffff gggg", 2, true },
        ClampCase { "aLinkLongerThanTheLineIsBroken", "https://example.com/" + QString(60, u'x'), 2, true }),
    [](const auto &info) { return std::string(info.param.name); });

struct PlainCase
{
    const char *name;
    QByteArray data;
    std::optional<qsizetype> lines; // none: not UTF-8
};

class ExpandedPlainText : public ::testing::TestWithParam<PlainCase>
{
};

TEST_P(ExpandedPlainText, isStrictUtf8OfTheFirstFiftyLines)
{
    const std::optional<QString> text = ClipboardRowView::expandedPlainText(GetParam().data);
    ASSERT_EQ(text.has_value(), GetParam().lines.has_value());
    if (text) {
        EXPECT_EQ(text->count(QLatin1Char('\n')) + 1, *GetParam().lines);
    }
}

QByteArray manyLines(int count)
{
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data += "line " + QByteArray::number(i) + "\n";
    return data;
}

INSTANTIATE_TEST_SUITE_P(ClipboardRow, ExpandedPlainText,
    ::testing::Values(PlainCase { "short", "one\ntwo", 2 }, PlainCase { "notUtf8", "caf\xe9", std::nullopt },
        PlainCase { "hugeIsCutToFiftyLines", manyLines(500'000), 50 },
        PlainCase { "exactlyFifty", manyLines(50).chopped(1), 50 }),
    [](const ::testing::TestParamInfo<PlainCase> &info) { return std::string(info.param.name); });

TEST(ClipboardRow, oneHugeLineCostsNoMoreThanItsHead)
{
    const QByteArray data = QByteArray(20'000'000, 'x') + "\xc3\xa9";
    const std::optional<QString> text = ClipboardRowView::expandedPlainText(data);
    ASSERT_TRUE(text);
    EXPECT_LE(text->size(), 20'000);
    // A cut inside a two-byte character backs off to its start instead of failing.
    const QByteArray accents = QByteArray("\xc3\xa9").repeated(100'000);
    EXPECT_TRUE(ClipboardRowView::expandedPlainText(accents).has_value());
}

TEST(ClipboardRow, richTextIsStyledFromTheRtfElseFromTheHtml)
{
    ClipboardItem rich
        = ClipboardItem::create(ContentType::RichText, "Bold plain", QStringLiteral("Bold plain"),
            QByteArray("{\\rtf1 {\\b Bold} plain\\par second}"), QByteArray("<p>ignored</p>"));
    std::unique_ptr<QTextDocument> document(ClipboardRowView::expandedRichText(rich));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->blockCount(), 2);
    const QTextFragment first = document->firstBlock().begin().fragment();
    EXPECT_EQ(first.text(), QStringLiteral("Bold"));
    EXPECT_EQ(first.charFormat().fontWeight(), QFont::Bold);

    rich.rtfData = QByteArray("not rtf");
    rich.htmlData = QByteArray("<p><i>From</i> html</p>");
    document.reset(ClipboardRowView::expandedRichText(rich));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->toPlainText(), QStringLiteral("From html"));

    rich.htmlData.reset();
    EXPECT_EQ(ClipboardRowView::expandedRichText(rich), nullptr);
}

TEST(ClipboardRow, htmlLoadsNothingItRefersTo)
{
    QTemporaryDir dir;
    const QString imagePath = dir.filePath(QStringLiteral("secret.png"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(imagePath));
    const QUrl url = QUrl::fromLocalFile(imagePath);
    ClipboardItem rich = ClipboardItem::create(ContentType::RichText, "x", QStringLiteral("x"), std::nullopt,
        QStringLiteral("<p>x<img src=\"%1\"></p>").arg(url.toString()).toUtf8());
    std::unique_ptr<QTextDocument> document(ClipboardRowView::expandedRichText(rich));
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->resource(QTextDocument::ImageResource, url).isValid());
    // The same HTML in a plain document reads the file: the check above means something.
    QTextDocument plain;
    plain.setHtml(QString::fromUtf8(*rich.htmlData));
    EXPECT_TRUE(plain.resource(QTextDocument::ImageResource, url).isValid());
}

// 800x600 pixels of noise: a PNG of megabytes, as large as a screenshot is to the row.
QImage noiseImage()
{
    QImage noise(800, 600, QImage::Format_RGB32);
    QRandomGenerator random(45);
    for (int y = 0; y < noise.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x)
            line[x] = random.generate();
    }
    return noise;
}

// A screenshot's PNG of megabytes is decoded and scaled on another thread: the
// row is made without waiting for it and shows the thumbnail once it is ready.
TEST_F(ClipboardRowTest, aLargeImageIsScaledToItsThumbnailOffTheGuiThread)
{
    const QImage noise = noiseImage();
    const QByteArray png = encodedImage(noise, "PNG");
    ASSERT_GT(png.size(), 1024 * 1024);
    const ClipboardItem item = ClipboardItem::create(ContentType::Image, png, previewOfImage(noise));
    const QString key = item.id.toString(QUuid::WithoutBraces).toUpper();
    auto view = row(item);
    EXPECT_FALSE(cache.cached(key).has_value());
    ASSERT_TRUE(waitFor([&] { return cache.cached(key).has_value(); }));
    EXPECT_EQ(cache.cached(key)->size(), QSize(36, 27));
}

// The height the row's image is shown at, 0 for none.
int shownImageHeight(const ClipboardRowView &view)
{
    const auto *image = view.findChild<QWidget *>(QStringLiteral("image"));
    return image ? image->heightForWidth(view.width()) : 0;
}

// Lets every decode started elsewhere finish and its result reach the row.
bool settleDecodes()
{
    if (!QThreadPool::globalInstance()->waitForDone(5000))
        return false;
    QCoreApplication::sendPostedEvents();
    return true;
}

struct LargeExpansionCase
{
    const char *name;
    // What happens to the expanded row before its image arrives.
    std::function<void(ClipboardRowView &, const ClipboardItem &other)> meanwhile;
    bool expanded; // afterwards
    int imageHeight; // shown once every decode is over
};

class LargeImageExpansion : public ClipboardRowTest, public ::testing::WithParamInterface<LargeExpansionCase>
{
};

// Expanding a screenshot's row returns at once, without the image; the image
// appears once decoded elsewhere, and only in the row and entry it was meant for.
TEST_P(LargeImageExpansion, showsTheImageOnlyWhereItIsStillWanted)
{
    const QImage noise = noiseImage();
    const QByteArray png = encodedImage(noise, "PNG");
    ASSERT_GT(png.size(), 1024 * 1024);
    const ClipboardItem item = ClipboardItem::create(ContentType::Image, png, previewOfImage(noise));
    // Small and wide: decoded at once, shown 90 points high in the 360-point row.
    const ClipboardItem other
        = ClipboardItem::create(ContentType::Image, pngBytes(400, 100), QStringLiteral("Image (400x100)"));
    auto view = row(item);
    view->setExpanded(true);
    EXPECT_LE(shownImageHeight(*view), 36) << "at most the thumbnail before the image is decoded";
    GetParam().meanwhile(*view, other);
    ASSERT_TRUE(settleDecodes());
    EXPECT_EQ(view->isExpanded(), GetParam().expanded);
    EXPECT_EQ(shownImageHeight(*view), GetParam().imageHeight);
}

INSTANTIATE_TEST_SUITE_P(ClipboardRow, LargeImageExpansion,
    ::testing::Values(LargeExpansionCase { "arrivesInTheExpandedRow",
                          [](ClipboardRowView &, const ClipboardItem &) {}, true, 200 },
        LargeExpansionCase { "collapsedBeforeItArrives",
            [](ClipboardRowView &view, const ClipboardItem &) { view.setExpanded(false); }, false, 36 },
        LargeExpansionCase { "anotherEntryShownBeforeItArrives",
            [](ClipboardRowView &view, const ClipboardItem &other) {
                view.setItem(other);
                EXPECT_EQ(shownImageHeight(view), 90) << "a small image shows at once";
            },
            true, 90 }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
