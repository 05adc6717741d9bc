#pragma once

#include "platform/result.h"
#include "remoteimage/remoteimageerror.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class RemoteImageCache;
class RemoteImageSession;

// Turns the address of an image into a decoded bitmap.
class RemoteImageLoader
{
public:
    using Completion = std::function<void(const Result<QImage, RemoteImageError> &)>;

    virtual ~RemoteImageLoader();
    // `completion` runs on the loader's thread (the main thread), at once when the call
    // comes from that thread and the answer is at hand, else later.
    virtual void image(const QUrl &url, Completion completion) = 0;
};

// The loader every view shares. A cached bitmap answers at once; otherwise every request
// for an address already downloading waits for that one download, so an address is
// fetched once however many views ask. A download needs a status of 200 to 299
// (BadServerResponse otherwise) and data whose first image decodes (else
// CannotDecodeContentData); transfer errors pass on unchanged. Only decoded bitmaps are
// cached: after a failure the next request downloads again. A caller that lost interest
// just ignores its answer; only shutDown() cancels downloads.
//
// Decoding runs on the thread pool, with an allocation limit so that an image whose
// header claims huge dimensions fails instead of exhausting memory. Lives on the main
// thread, whose event loop runs its downloads; a request from another thread is handed
// over to it.
class DefaultRemoteImageLoader final : public QObject, public RemoteImageLoader
{
    Q_OBJECT

public:
    // Largest bitmap a download may decode to.
    static constexpr int decodeAllocationLimitMB = 128;

    using SessionFactory = std::function<std::unique_ptr<RemoteImageSession>()>;

    // `cache` outlives the loader. Made on the main thread, as the session was.
    DefaultRemoteImageLoader(RemoteImageCache &cache, std::unique_ptr<RemoteImageSession> session);
    // Made on any thread, the loader moves to the application's thread and makes its
    // session there, at the first request that needs the network: network objects made
    // on a worker would belong to a thread that runs no event loop.
    DefaultRemoteImageLoader(RemoteImageCache &cache, SessionFactory makeSession);
    ~DefaultRemoteImageLoader() override;

    // The process's loader: the shared cache and a session with 10 MiB of responses in
    // memory and 100 MiB on disk under the cache folder, and a 15-second timeout. Made on
    // first use, from any thread, and never freed; it shuts down when the application is
    // about to quit, or at the latest as the application object goes.
    static DefaultRemoteImageLoader &shared();

    void image(const QUrl &url, Completion completion) override;

    // Aborts every download in flight and answers its waiters with Cancelled, then lets
    // go of the session, whose network threads end with it; from then on every request
    // that the cache can't answer fails at once the same way. Qt's network objects must
    // not outlive the application object. Call on the loader's thread.
    void shutDown();

    // Addresses downloading or decoding now.
    int ongoingCount() const { return int(m_ongoing.size()); }

    // The first image of the data; null when there is none or it would take more than
    // the limit in megabytes.
    static QImage decode(const QByteArray &data, int allocationLimitMB = decodeAllocationLimitMB);

private:
    void decodeOffThread(const QUrl &url, const QByteArray &data);
    // Ends the shared download of `url`: caches a bitmap, then answers every waiter.
    void finish(const QUrl &url, const Result<QImage, RemoteImageError> &result);

    RemoteImageCache &m_cache;
    std::unique_ptr<RemoteImageSession> m_session;
    SessionFactory m_makeSession; // none once the session is made
    bool m_isShutDown = false;
    // One entry per address from the first request that missed the cache until its
    // bitmap is cached or its failure is known.
    QHash<QUrl, std::vector<Completion>> m_ongoing;
};
