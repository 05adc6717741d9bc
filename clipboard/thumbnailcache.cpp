#include "clipboard/thumbnailcache.h"

#include <algorithm>
#include <cmath>

ThumbnailCache::ThumbnailCache(int countLimit, QSizeF maxSize)
    : m_cache(countLimit)
    , m_maxSize(maxSize)
{ }

std::optional<QImage> ThumbnailCache::cached(const QString &key) const
{
    if (const QImage *image = m_cache.object(key))
        return *image;
    return std::nullopt;
}

std::optional<QImage> ThumbnailCache::thumbnail(const QString &key, const QImage &image)
{
    if (std::optional<QImage> hit = cached(key))
        return hit;
    const QSizeF size = image.isNull() ? QSizeF() : image.deviceIndependentSize();
    if (!(size.width() > 0 && size.height() > 0))
        return std::nullopt;
    const QSize target = thumbnailSize(size, m_maxSize);
    QImage scaled = target == image.size() && image.devicePixelRatio() == 1.0
        ? image
        : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1.0);
    m_cache.insert(key, new QImage(scaled));
    return scaled;
}

QSize ThumbnailCache::thumbnailSize(QSizeF imageSize, QSizeF maxSize)
{
    const double scale
        = std::min({ maxSize.width() / imageSize.width(), maxSize.height() / imageSize.height(), 1.0 });
    // A side rounded down to zero would make an image that can't be drawn.
    return QSize(std::max(1, int(std::floor(imageSize.width() * scale))),
        std::max(1, int(std::floor(imageSize.height() * scale))));
}
