#include "remoteimage/responsecache.h"

#include <QIODevice>
#include <QNetworkCacheMetaData>
#include <QNetworkDiskCache>
#include <QNetworkRequest>

ResponseCache::ResponseCache(qint64 memoryCapacity, qint64 diskCapacity, const QString &directory)
    : m_memory(memoryCapacity)
{
    if (directory.isEmpty())
        return;
    m_disk = std::make_unique<QNetworkDiskCache>();
    m_disk->setCacheDirectory(directory);
    m_disk->setMaximumCacheSize(diskCapacity);
}

ResponseCache::~ResponseCache() = default;

std::optional<ResponseCache::Response> ResponseCache::response(const QUrl &url)
{
    if (const Response *inMemory = m_memory.object(url))
        return *inMemory;
    if (!m_disk)
        return std::nullopt;
    const std::unique_ptr<QIODevice> device(m_disk->data(url));
    if (!device)
        return std::nullopt;
    Response response { device->readAll(),
        m_disk->metaData(url).attributes().value(QNetworkRequest::HttpStatusCodeAttribute, 200).toInt() };
    keepInMemory(url, response);
    return response;
}

void ResponseCache::store(const QUrl &url, const Response &response)
{
    keepInMemory(url, response);
    if (!m_disk)
        return;
    QNetworkCacheMetaData metaData;
    metaData.setUrl(url);
    metaData.setSaveToDisk(true);
    metaData.setAttributes({ { QNetworkRequest::HttpStatusCodeAttribute, response.httpStatus } });
    QIODevice *device = m_disk->prepare(metaData);
    if (!device)
        return;
    if (device->write(response.data) == response.data.size())
        m_disk->insert(device);
    else
        m_disk->remove(url);
}

void ResponseCache::keepInMemory(const QUrl &url, const Response &response)
{
    // QCache refuses (and frees) a body larger than the whole memory capacity.
    m_memory.insert(url, new Response(response), std::max<qsizetype>(1, response.data.size()));
}
