#include "clipboard/thumbnailcache.h"

#include <algorithm>
#include <cmath>

ThumbnailCache::ThumbnailCache(int countLimit, QSizeF maxSize)
    : m_cache(countLimit)
    , m_maxSize(maxSize)
{ }

namespace {

QString keyAtRatio(const QString &key, qreal devicePixelRatio)
{
    return devicePixelRatio == 1.0 ? key : key + QLatin1Char('@') + QString::number(devicePixelRatio);
}

} // namespace

std::optional<QImage> ThumbnailCache::cached(const QString &key, qreal devicePixelRatio) const
{
    if (const QImage *image = m_cache.object(keyAtRatio(key, devicePixelRatio)))
        return *image;
    return std::nullopt;
}

std::optional<QImage> ThumbnailCache::thumbnail(
    const QString &key, const QImage &image, qreal devicePixelRatio)
{
    if (std::optional<QImage> hit = cached(key, devicePixelRatio))
        return hit;
    std::optional<QImage> made = scaled(image, m_maxSize, devicePixelRatio);
    if (made)
        insert(key, *made, devicePixelRatio);
    return made;
}

std::optional<QImage> ThumbnailCache::scaled(const QImage &image, QSizeF maxSize, qreal devicePixelRatio)
{
    const QSizeF size = image.isNull() ? QSizeF() : image.deviceIndependentSize();
    if (!(size.width() > 0 && size.height() > 0) || !(devicePixelRatio > 0))
        return std::nullopt;
    const QSize points = thumbnailSize(size, maxSize);
    const QSize target(std::max(1, int(std::round(points.width() * devicePixelRatio))),
        std::max(1, int(std::round(points.height() * devicePixelRatio))));
    QImage scaled = target == image.size() && image.devicePixelRatio() == devicePixelRatio
        ? image
        : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(devicePixelRatio);
    return scaled;
}

void ThumbnailCache::insert(const QString &key, const QImage &thumbnail, qreal devicePixelRatio)
{
    m_cache.insert(keyAtRatio(key, devicePixelRatio), new QImage(thumbnail));
}

QSize ThumbnailCache::thumbnailSize(QSizeF imageSize, QSizeF maxSize)
{
    const double scale
        = std::min({ maxSize.width() / imageSize.width(), maxSize.height() / imageSize.height(), 1.0 });
    // A side rounded down to zero would make an image that can't be drawn.
    return QSize(std::max(1, int(std::floor(imageSize.width() * scale))),
        std::max(1, int(std::floor(imageSize.height() * scale))));
}
