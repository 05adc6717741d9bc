#pragma once

#include "platform/result.h"
#include "remoteimage/remoteimageerror.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class ResponseCache;

// What a download gave: the body and, for an HTTP response, its status.
struct RemoteImageResponse
{
    QByteArray data;
    std::optional<int> httpStatus; // none: not an HTTP response (a file: or data: URL)
};

// Downloads for the image loader: a GET with "Accept: image/*", answered from the
// response cache when it holds the address (whatever the entry's age), else from the
// network, giving up when no data arrives for the timeout. Responses with a status of
// 200 to 299 are cached, unless the server says "no-store". Only http and https are
// fetched; any other scheme is answered at once as a response that is not HTTP, without
// reading anything.
//
// Lives on the main thread; `done` is called later, on that thread, exactly once, unless
// the session is destroyed first (then never).
class RemoteImageSession : public QObject
{
    Q_OBJECT

public:
    using Completion = std::function<void(const Result<RemoteImageResponse, RemoteImageError> &)>;

    // The session image loading uses. No cache folder: the response cache lives in
    // memory only.
    static std::unique_ptr<RemoteImageSession> imageLoading(qint64 memoryCapacity, qint64 diskCapacity,
        std::chrono::milliseconds timeout, const QString &cacheDirectory);
    ~RemoteImageSession() override;

    void data(const QUrl &url, Completion done);

private:
    RemoteImageSession(std::unique_ptr<ResponseCache> cache, std::chrono::milliseconds timeout);

    std::unique_ptr<ResponseCache> m_cache;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::chrono::milliseconds m_timeout;
};
