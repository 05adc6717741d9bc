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
// cached: after a failure the next request downloads again. Nothing cancels a download:
// a caller that lost interest just ignores its answer.
//
// Decoding runs on the thread pool, with an allocation limit so that an image whose
// header claims huge dimensions fails instead of exhausting memory. Lives on the main
// thread; a request from another thread is handed over to it.
class DefaultRemoteImageLoader final : public QObject, public RemoteImageLoader
{
    Q_OBJECT

public:
    // Largest bitmap a download may decode to.
    static constexpr int decodeAllocationLimitMB = 128;

    // `cache` outlives the loader.
    DefaultRemoteImageLoader(RemoteImageCache &cache, std::unique_ptr<RemoteImageSession> session);
    ~DefaultRemoteImageLoader() override;

    // The process's loader: the shared cache and a session with 10 MiB of responses in
    // memory and 100 MiB on disk under the cache folder, and a 15-second timeout. Made on
    // first use, never torn down.
    static DefaultRemoteImageLoader &shared();

    void image(const QUrl &url, Completion completion) override;

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
    // One entry per address from the first request that missed the cache until its
    // bitmap is cached or its failure is known.
    QHash<QUrl, std::vector<Completion>> m_ongoing;
};
