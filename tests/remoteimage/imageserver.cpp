#include "tests/remoteimage/imageserver.h"

#include "tests/support/pngbytes.h"

#include <QTcpSocket>

ImageServer::ImageServer()
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            auto *received = new QByteArray;
            connect(socket, &QObject::destroyed, [received] { delete received; });
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                *received += socket->readAll();
                // Requests on a kept-alive connection follow one another.
                for (qsizetype end = received->indexOf("\r\n\r\n"); end >= 0;
                     end = received->indexOf("\r\n\r\n")) {
                    const QByteArray request = received->left(end + 4);
                    received->remove(0, end + 4);
                    answer(socket, request);
                }
            });
        }
    });
}

QUrl ImageServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

int ImageServer::hits(const QString &path) const
{
    const QByteArray line = "GET " + path.toUtf8() + ' ';
    return int(std::count_if(m_requests.begin(), m_requests.end(),
        [&](const QByteArray &request) { return request.startsWith(line); }));
}

void ImageServer::answer(QTcpSocket *socket, const QByteArray &request)
{
    m_requests.append(request);
    const QByteArray path = request.split(' ').value(1);
    const Reply reply = m_replies.value(QString::fromUtf8(path), Reply { 200, pngBytes(2, 2), {}, false });
    if (reply.stall)
        return;
    socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\nContent-Length: "
        + QByteArray::number(reply.body.size()) + "\r\n" + reply.headers + "\r\n" + reply.body);
}
