#include "markdown/views/inlineimageprovider.h"

#include "tests/remoteimage/fakeremoteimageloader.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using namespace Qt::StringLiterals;

TEST(AssetInlineImageProvider, answersAtOnceWithTheNamedPictureOrAnEmptyOne)
{
    QTemporaryDir dir;
    QImage picture(12, 8, QImage::Format_ARGB32);
    picture.fill(Qt::yellow);
    ASSERT_TRUE(picture.save(dir.filePath(u"star.png"_s), "PNG"));
    const ImageBundle bundle(dir.path());
    const auto named = [](const QString &name) { return [name](const QUrl &) { return name; }; };

    const struct
    {
        const char *name;
        AssetInlineImageProvider provider;
        QUrl url;
        QSizeF size;
    } cases[] = {
        { "byLastPathComponent", AssetInlineImageProvider(lastPathComponent, bundle),
            QUrl(u"https://x.org/a/star.png"_s), QSizeF(12, 8) },
        { "byTheNameCallable", AssetInlineImageProvider(named(u"star"_s), bundle),
            QUrl(u"https://x.org/moon"_s), QSizeF(12, 8) },
        { "missingIsEmptyNotAFailure", AssetInlineImageProvider(lastPathComponent, bundle),
            QUrl(u"https://x.org/moon.png"_s), QSizeF(0, 0) },
        { "noBundleIsTheProgramsImages", AssetInlineImageProvider(), QUrl(u"https://x.org/a/star.png"_s),
            QSizeF(0, 0) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int answers = 0;
        c.provider.image(c.url, u"a star"_s, [&](const Result<ui::Image, QString> &result) {
            ++answers;
            ASSERT_TRUE(result);
            EXPECT_EQ(result.value().naturalSize(), c.size);
        });
        EXPECT_EQ(answers, 1);
    }
}

// A screen reader reads the image where it stands in its text by the alternative text
// it was asked with.
TEST(InlineImageProviders, labelTheImageTheyAnswerWithItsAlternativeText)
{
    QTemporaryDir dir;
    QImage picture(12, 8, QImage::Format_ARGB32);
    picture.fill(Qt::yellow);
    ASSERT_TRUE(picture.save(dir.filePath(u"star.png"_s), "PNG"));
    FakeRemoteImageLoader loader;
    const DefaultInlineImageProvider network(loader);
    const AssetInlineImageProvider asset(lastPathComponent, ImageBundle(dir.path()));
    const QUrl url(u"https://x.org/star.png"_s);

    const struct
    {
        const char *name;
        const InlineImageProvider &provider;
    } cases[] = { { "network", network }, { "asset", asset } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<QString> label;
        c.provider.image(url, u"a star"_s, [&](const Result<ui::Image, QString> &result) {
            ASSERT_TRUE(result);
            label = result.value().label();
        });
        if (!loader.pending.empty())
            loader.answer(url, picture);
        EXPECT_EQ(label, u"a star"_s);
    }
}

} // namespace
