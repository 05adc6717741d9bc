#include "remoteimage/remoteimagesession.h"

#include "remoteimage/responsecache.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// Errors of the connection, a proxy or the protocol, as opposed to the ones Qt derives
// from an HTTP status (which the status itself says better).
bool isTransferError(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || (error >= QNetworkReply::ProtocolUnknownError && error < QNetworkReply::InternalServerError);
}

RemoteImageError transferError(QNetworkReply::NetworkError error, const QString &description)
{
    // Nothing here aborts a reply: a cancelled transfer is the transfer timeout's doing.
    const auto code = error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError
        ? RemoteImageError::Code::TimedOut
        : RemoteImageError::Code::Transport;
    return { code, error, description };
}

bool forbidsStoring(const QNetworkReply &reply)
{
    return reply.rawHeader("Cache-Control").toLower().contains("no-store");
}

} // namespace

std::unique_ptr<RemoteImageSession> RemoteImageSession::imageLoading(qint64 memoryCapacity,
    qint64 diskCapacity, std::chrono::milliseconds timeout, const QString &cacheDirectory)
{
    return std::unique_ptr<RemoteImageSession>(new RemoteImageSession(
        std::make_unique<ResponseCache>(memoryCapacity, diskCapacity, cacheDirectory), timeout));
}

RemoteImageSession::RemoteImageSession(
    std::unique_ptr<ResponseCache> cache, std::chrono::milliseconds timeout)
    : m_cache(std::move(cache))
    , m_network(std::make_unique<QNetworkAccessManager>())
    , m_timeout(timeout)
{ }

RemoteImageSession::~RemoteImageSession()
{
    // The manager aborts what is in flight as it goes; nobody is left to hear of it.
    for (QNetworkReply *reply : m_network->findChildren<QNetworkReply *>())
        reply->disconnect(this);
}

void RemoteImageSession::data(const QUrl &url, Completion done)
{
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        QTimer::singleShot(0, this, [done] { done(RemoteImageResponse {}); });
        return;
    }
    if (std::optional<ResponseCache::Response> cached = m_cache->response(url)) {
        QTimer::singleShot(0, this,
            [done, response = RemoteImageResponse { cached->data, cached->httpStatus }] { done(response); });
        return;
    }
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "image/*");
    request.setTransferTimeout(int(m_timeout.count()));
    // The response cache above answers first; the manager keeps none of its own.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply *reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, url, done] {
        reply->deleteLater();
        // Read the status before the error: Qt reports 4xx and 5xx as errors too.
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid() || isTransferError(reply->error())) {
            done(transferError(reply->error(), reply->errorString()));
            return;
        }
        const RemoteImageResponse response { reply->readAll(), status.toInt() };
        if (*response.httpStatus >= 200 && *response.httpStatus <= 299 && !forbidsStoring(*reply))
            m_cache->store(url, { response.data, *response.httpStatus });
        done(response);
    });
}
