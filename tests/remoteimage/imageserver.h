#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QUrl>

// A small HTTP server on 127.0.0.1 inside the test process. It answers each path with the
// reply set for it (200 with a 2 × 2 PNG unless told otherwise), counts the requests, and
// can hold a path's requests unanswered to stall a download.
class ImageServer : public QTcpServer
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray headers; // extra lines, each ending in \r\n
        bool stall = false;
    };

    ImageServer();

    QUrl url(const QString &path) const;
    void setReply(const QString &path, int status, QByteArray body, QByteArray headers = {})
    {
        m_replies.insert(path, Reply { status, std::move(body), std::move(headers), false });
    }
    // Requests for the path are read and never answered.
    void stall(const QString &path) { m_replies.insert(path, Reply { 200, {}, {}, true }); }
    int hits() const { return m_requests.size(); }
    int hits(const QString &path) const;
    const QList<QByteArray> &requests() const { return m_requests; }

private:
    void answer(QTcpSocket *socket, const QByteArray &request);

    QHash<QString, Reply> m_replies;
    QList<QByteArray> m_requests;
};
