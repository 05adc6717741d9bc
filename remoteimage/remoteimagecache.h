#pragma once

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QUrl>

// Decoded bitmaps by address.
class RemoteImageCache
{
public:
    virtual ~RemoteImageCache();
    // A null image when the address is not cached.
    virtual QImage image(const QUrl &url) = 0;
    virtual void setImage(const QImage &image, const QUrl &url) = 0;
};

// Keeps up to a number of bitmaps; beyond it the least recently used goes. Any thread.
class DefaultRemoteImageCache final : public RemoteImageCache
{
public:
    explicit DefaultRemoteImageCache(int countLimit);

    // The process's cache: 100 bitmaps, made on first use, never torn down.
    static DefaultRemoteImageCache &shared();

    QImage image(const QUrl &url) override;
    void setImage(const QImage &image, const QUrl &url) override;

private:
    QMutex m_mutex;
    QCache<QUrl, QImage> m_cache;
};
