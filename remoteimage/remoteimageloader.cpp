#include "remoteimage/remoteimageloader.h"

#include "platform/paths.h"
#include "remoteimage/remoteimagecache.h"
#include "remoteimage/remoteimagesession.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

RemoteImageLoader::~RemoteImageLoader() = default;

DefaultRemoteImageLoader::DefaultRemoteImageLoader(
    RemoteImageCache &cache, std::unique_ptr<RemoteImageSession> session)
    : m_cache(cache)
    , m_session(std::move(session))
{ }

DefaultRemoteImageLoader::~DefaultRemoteImageLoader() = default;

DefaultRemoteImageLoader &DefaultRemoteImageLoader::shared()
{
    // Leaked on purpose, like the cache: nothing may outlive it that still asks for images.
    static DefaultRemoteImageLoader *const loader
        = new DefaultRemoteImageLoader(DefaultRemoteImageCache::shared(),
            RemoteImageSession::imageLoading(10 * 1024 * 1024, 100 * 1024 * 1024, std::chrono::seconds(15),
                Paths::cacheDir() + QStringLiteral("/RemoteImages")));
    return *loader;
}

QImage DefaultRemoteImageLoader::decode(const QByteArray &data, int allocationLimitMB)
{
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(allocationLimitMB);
    return reader.read();
}

void DefaultRemoteImageLoader::image(const QUrl &url, Completion completion)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, url, completion] { image(url, completion); }, Qt::QueuedConnection);
        return;
    }
    // The lookups and the entry happen in one go: of two requests for one address the
    // first starts the download and the second finds it.
    if (const QImage cached = m_cache.image(url); !cached.isNull()) {
        completion(cached);
        return;
    }
    if (const auto ongoing = m_ongoing.find(url); ongoing != m_ongoing.end()) {
        ongoing->push_back(std::move(completion));
        return;
    }
    m_ongoing[url].push_back(std::move(completion));
    m_session->data(url, [this, url](const Result<RemoteImageResponse, RemoteImageError> &response) {
        if (!response) {
            finish(url, response.error());
            return;
        }
        const std::optional<int> status = response.value().httpStatus;
        if (!status || *status < 200 || *status > 299) {
            finish(url, RemoteImageError::badServerResponse());
            return;
        }
        decodeOffThread(url, response.value().data);
    });
}

void DefaultRemoteImageLoader::decodeOffThread(const QUrl &url, const QByteArray &data)
{
    // Checked on the main thread only: the loader may be gone by the time the image is.
    const QPointer<DefaultRemoteImageLoader> self(this);
    QThreadPool::globalInstance()->start([self, url, data] {
        const QImage image = decode(data);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, url, image] {
                if (!self)
                    return;
                if (image.isNull())
                    self->finish(url, RemoteImageError::cannotDecodeContentData());
                else
                    self->finish(url, image);
            },
            Qt::QueuedConnection);
    });
}

void DefaultRemoteImageLoader::finish(const QUrl &url, const Result<QImage, RemoteImageError> &result)
{
    if (result)
        m_cache.setImage(result.value(), url);
    // Taken out before anyone is answered: a waiter that asks again starts afresh.
    const std::vector<Completion> waiters = m_ongoing.take(url);
    for (const Completion &waiter : waiters)
        waiter(result);
}
