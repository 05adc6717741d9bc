#pragma once

#include <QCache>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>

// Small copies of entry images for the clipboard rows, so that a row never
// scales a full image while drawing. In memory only; the cache evicts the least
// recently used thumbnail beyond its count limit, nothing else removes one.
// One instance lives for the whole program (the shared state owns it); rows key
// it by the entry's id text. Main thread only, but for scaled().
class ThumbnailCache
{
public:
    explicit ThumbnailCache(int countLimit = 200, QSizeF maxSize = QSizeF(36, 36));

    QSizeF maxSize() const { return m_maxSize; }

    // The thumbnail already made for `key` at `devicePixelRatio`, if any: rows
    // look here before they decode an entry's image.
    std::optional<QImage> cached(const QString &key, qreal devicePixelRatio = 1.0) const;

    // The cached thumbnail for `key` (the image is then not looked at), or a new
    // one made from `image`, cached and returned; nullopt for an image without
    // area, and then nothing is cached. At a ratio above 1 the thumbnail holds
    // that many pixels per point (and says so), so it stays sharp on a HiDPI
    // screen; each ratio is cached apart.
    std::optional<QImage> thumbnail(const QString &key, const QImage &image, qreal devicePixelRatio = 1.0);

    // What thumbnail() makes of `image`, for a cache of `maxSize`, without
    // caching it: safe on any thread, so a large image is scaled where it was
    // decoded, off the GUI thread.
    static std::optional<QImage> scaled(const QImage &image, QSizeF maxSize, qreal devicePixelRatio);
    // Keeps a thumbnail made by scaled() for `key`.
    void insert(const QString &key, const QImage &thumbnail, qreal devicePixelRatio);

    // The thumbnail size for an image of `imageSize` points: shrunk to fit
    // `maxSize` keeping its shape, never enlarged, sides rounded down but never
    // below one point (a 1000x10 image gives 36x1, not an empty image).
    static QSize thumbnailSize(QSizeF imageSize, QSizeF maxSize);

private:
    mutable QCache<QString, QImage> m_cache;
    QSizeF m_maxSize;
};
