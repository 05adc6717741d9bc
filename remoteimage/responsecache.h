#pragma once

#include <QByteArray>
#include <QCache>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QNetworkDiskCache;

// The response cache of image downloads: recently used bodies in memory (least recently
// used go first, by bytes), every body on disk under a folder, each up to its capacity.
// An entry is answered whatever its age: images rarely change at an address, and the
// point is to show them without the network. Main thread only (the session's).
class ResponseCache
{
public:
    struct Response
    {
        QByteArray data;
        int httpStatus = 200;
    };

    // No folder: memory only.
    ResponseCache(qint64 memoryCapacity, qint64 diskCapacity, const QString &directory);
    ~ResponseCache();

    // Memory first, then disk (which brings the entry back into memory).
    std::optional<Response> response(const QUrl &url);
    void store(const QUrl &url, const Response &response);

private:
    void keepInMemory(const QUrl &url, const Response &response);

    QCache<QUrl, Response> m_memory;
    std::unique_ptr<QNetworkDiskCache> m_disk;
};
