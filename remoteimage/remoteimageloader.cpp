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

#include <atomic>

namespace {

std::atomic<DefaultRemoteImageLoader *> sharedLoader = nullptr;

// Runs as the application object goes, on its thread, before Qt's network and
// host-lookup machinery is torn down.
void shutDownSharedLoader()
{
    if (DefaultRemoteImageLoader *loader = sharedLoader.load())
        loader->shutDown();
}

} // namespace

RemoteImageLoader::~RemoteImageLoader() = default;

DefaultRemoteImageLoader::DefaultRemoteImageLoader(
    RemoteImageCache &cache, std::unique_ptr<RemoteImageSession> session)
    : m_cache(cache)
    , m_session(std::move(session))
{ }

DefaultRemoteImageLoader::DefaultRemoteImageLoader(RemoteImageCache &cache, SessionFactory makeSession)
    : m_cache(cache)
    , m_makeSession(std::move(makeSession))
{
    // The first view to ask may be laying out a long note on a worker.
    if (const QCoreApplication *app = QCoreApplication::instance(); app && app->thread() != thread())
        moveToThread(app->thread());
}

DefaultRemoteImageLoader::~DefaultRemoteImageLoader() = default;

DefaultRemoteImageLoader &DefaultRemoteImageLoader::shared()
{
    // Leaked on purpose, like the cache: nothing may outlive it that still asks for
    // images. What it holds of Qt's network goes before the application object does:
    // left to the end of the process, a download or a host lookup still running could
    // wake Qt's network threads while the process tears down what they use.
    static DefaultRemoteImageLoader *const loader = [] {
        auto *made = new DefaultRemoteImageLoader(DefaultRemoteImageCache::shared(), [] {
            return RemoteImageSession::imageLoading(10 * 1024 * 1024, 100 * 1024 * 1024,
                std::chrono::seconds(15), Paths::cacheDir() + QStringLiteral("/RemoteImages"));
        });
        sharedLoader = made;
        qAddPostRoutine(&shutDownSharedLoader);
        if (const QCoreApplication *app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, made, &DefaultRemoteImageLoader::shutDown);
        return made;
    }();
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
    if (m_isShutDown) {
        completion(RemoteImageError::cancelled());
        return;
    }
    if (const auto ongoing = m_ongoing.find(url); ongoing != m_ongoing.end()) {
        ongoing->push_back(std::move(completion));
        return;
    }
    if (!m_session)
        m_session = std::exchange(m_makeSession, nullptr)();
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
        // None once the application object is going: the loader has shut down by then.
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
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

void DefaultRemoteImageLoader::shutDown()
{
    Q_ASSERT_X(QThread::currentThread() == thread(), "DefaultRemoteImageLoader::shutDown",
        "the session's network objects must go on their own thread");
    if (std::exchange(m_isShutDown, true))
        return;
    // The session aborts its replies without answering them: the waiters hear it here.
    m_session.reset();
    m_makeSession = nullptr;
    const QHash<QUrl, std::vector<Completion>> ongoing = std::exchange(m_ongoing, {});
    for (const std::vector<Completion> &waiters : ongoing)
        for (const Completion &waiter : waiters)
            waiter(RemoteImageError::cancelled());
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
