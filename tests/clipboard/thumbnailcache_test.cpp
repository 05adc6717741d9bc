#include "clipboard/thumbnailcache.h"

#include <gtest/gtest.h>

namespace {

QImage solid(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    return image;
}

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
    const std::optional<QImage> thumbnail
        = cache.thumbnail(QStringLiteral("key"), solid(GetParam().image.width(), GetParam().image.height()));
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
    QImage retina = solid(144, 72);
    retina.setDevicePixelRatio(2.0); // 72 by 36 points
    ThumbnailCache cache;
    EXPECT_EQ(cache.thumbnail(QStringLiteral("r"), retina)->size(), QSize(36, 18));
}

TEST(ThumbnailCache, aHiDpiThumbnailHoldsMorePixelsForTheSamePoints)
{
    ThumbnailCache cache;
    const QImage sharp = *cache.thumbnail(QStringLiteral("id"), solid(400, 200), 2.0);
    EXPECT_EQ(sharp.size(), QSize(72, 36));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(36, 18));
    // Each ratio is its own thumbnail; the plain one is still made at one pixel a point.
    EXPECT_FALSE(cache.cached(QStringLiteral("id")).has_value());
    EXPECT_EQ(cache.thumbnail(QStringLiteral("id"), solid(400, 200))->size(), QSize(36, 18));
    EXPECT_EQ(cache.cached(QStringLiteral("id"), 2.0)->size(), QSize(72, 36));
}

TEST(ThumbnailCache, imageWithoutAreaGivesNoneAndIsRetried)
{
    ThumbnailCache cache;
    EXPECT_FALSE(cache.thumbnail(QStringLiteral("k"), QImage()).has_value());
    EXPECT_FALSE(cache.thumbnail(QStringLiteral("k"), solid(0, 10)).has_value());
    EXPECT_FALSE(cache.cached(QStringLiteral("k")).has_value());
    EXPECT_EQ(cache.thumbnail(QStringLiteral("k"), solid(10, 10))->size(), QSize(10, 10));
}

TEST(ThumbnailCache, keyReturnsTheFirstThumbnailWhateverImageFollows)
{
    ThumbnailCache cache;
    const QImage first = *cache.thumbnail(QStringLiteral("id"), solid(100, 50));
    EXPECT_EQ(cache.thumbnail(QStringLiteral("id"), solid(10, 40))->size(), first.size());
    EXPECT_EQ(cache.cached(QStringLiteral("id"))->size(), QSize(36, 18));
}

TEST(ThumbnailCache, evictsBeyondItsCountLimit)
{
    ThumbnailCache cache(2);
    cache.thumbnail(QStringLiteral("a"), solid(4, 4));
    cache.thumbnail(QStringLiteral("b"), solid(4, 4));
    cache.thumbnail(QStringLiteral("c"), solid(4, 4));
    EXPECT_FALSE(cache.cached(QStringLiteral("a")).has_value());
    EXPECT_TRUE(cache.cached(QStringLiteral("c")).has_value());
}

} // namespace
