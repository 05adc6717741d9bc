#include "remoteimage/remoteimagecache.h"

RemoteImageCache::~RemoteImageCache() = default;

DefaultRemoteImageCache::DefaultRemoteImageCache(int countLimit)
    : m_cache(countLimit)
{ }

DefaultRemoteImageCache &DefaultRemoteImageCache::shared()
{
    // Leaked on purpose: views may ask for images while the process shuts down.
    static DefaultRemoteImageCache *const cache = new DefaultRemoteImageCache(100);
    return *cache;
}

QImage DefaultRemoteImageCache::image(const QUrl &url)
{
    const QMutexLocker lock(&m_mutex);
    const QImage *image = m_cache.object(url);
    return image ? *image : QImage();
}

void DefaultRemoteImageCache::setImage(const QImage &image, const QUrl &url)
{
    const QMutexLocker lock(&m_mutex);
    m_cache.insert(url, new QImage(image), 1);
}
