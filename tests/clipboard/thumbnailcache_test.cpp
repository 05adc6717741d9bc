#include "clipboard/thumbnailcache.h"

#include "tests/support/pngbytes.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase
{
    const char *name;
    QSize image;
    QSize thumbnail;
};

class ThumbnailSizeTest : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P(ThumbnailSizeTest, fitsInsideMaxSizeKeepingShape)
{
    ThumbnailCache cache;
    const std::optional<QImage> thumbnail = cache.thumbnail(
        QStringLiteral("key"), solidImage(GetParam().image.width(), GetParam().image.height(), Qt::darkCyan));
    ASSERT_TRUE(thumbnail.has_value());
    EXPECT_EQ(thumbnail->size(), GetParam().thumbnail);
}

INSTANTIATE_TEST_SUITE_P(ThumbnailCache, ThumbnailSizeTest,
    ::testing::Values(SizeCase { "wide", { 1000, 500 }, { 36, 18 } },
        SizeCase { "tall", { 500, 1000 }, { 18, 36 } },
        SizeCase { "smallIsNotEnlarged", { 20, 10 }, { 20, 10 } },
        SizeCase { "thinSideNeverZero", { 1000, 10 }, { 36, 1 } },
        SizeCase { "square", { 72, 72 }, { 36, 36 } }),
    [](const ::testing::TestParamInfo<SizeCase> &info) { return std::string(info.param.name); });

TEST(ThumbnailCache, sizesAreInPoints)
{
    QImage retina = solidImage(144, 72, Qt::darkCyan);
    retina.setDevicePixelRatio(2.0); // 72 by 36 points
    ThumbnailCache cache;
    EXPECT_EQ(cache.thumbnail(QStringLiteral("r"), retina)->size(), QSize(36, 18));
}

TEST(ThumbnailCache, aHiDpiThumbnailHoldsMorePixelsForTheSamePoints)
{
    ThumbnailCache cache;
    const QImage sharp = *cache.thumbnail(QStringLiteral("id"), solidImage(400, 200, Qt::darkCyan), 2.0);
    EXPECT_EQ(sharp.size(), QSize(72, 36));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(36, 18));
    // Each ratio is its own thumbnail; the plain one is still made at one pixel a point.
    EXPECT_FALSE(cache.cached(QStringLiteral("id")).has_value());
    EXPECT_EQ(
        cache.thumbnail(QStringLiteral("id"), solidImage(400, 200, Qt::darkCyan))->size(), QSize(36, 18));
    EXPECT_EQ(cache.cached(QStringLiteral("id"), 2.0)->size(), QSize(72, 36));
}

TEST(ThumbnailCache, imageWithoutAreaGivesNoneAndIsRetried)
{
    ThumbnailCache cache;
    EXPECT_FALSE(cache.thumbnail(QStringLiteral("k"), QImage()).has_value());
    EXPECT_FALSE(cache.thumbnail(QStringLiteral("k"), solidImage(0, 10, Qt::darkCyan)).has_value());
    EXPECT_FALSE(cache.cached(QStringLiteral("k")).has_value());
    EXPECT_EQ(cache.thumbnail(QStringLiteral("k"), solidImage(10, 10, Qt::darkCyan))->size(), QSize(10, 10));
}

TEST(ThumbnailCache, keyReturnsTheFirstThumbnailWhateverImageFollows)
{
    ThumbnailCache cache;
    const QImage first = *cache.thumbnail(QStringLiteral("id"), solidImage(100, 50, Qt::darkCyan));
    EXPECT_EQ(cache.thumbnail(QStringLiteral("id"), solidImage(10, 40, Qt::darkCyan))->size(), first.size());
    EXPECT_EQ(cache.cached(QStringLiteral("id"))->size(), QSize(36, 18));
}

TEST(ThumbnailCache, evictsBeyondItsCountLimit)
{
    ThumbnailCache cache(2);
    cache.thumbnail(QStringLiteral("a"), solidImage(4, 4, Qt::darkCyan));
    cache.thumbnail(QStringLiteral("b"), solidImage(4, 4, Qt::darkCyan));
    cache.thumbnail(QStringLiteral("c"), solidImage(4, 4, Qt::darkCyan));
    EXPECT_FALSE(cache.cached(QStringLiteral("a")).has_value());
    EXPECT_TRUE(cache.cached(QStringLiteral("c")).has_value());
}

} // namespace
