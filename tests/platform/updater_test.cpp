#include "platform/updater.h"
#include "tests/support/waitfor.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

QByteArray appcast(const QString &version)
{
    return QStringLiteral(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel><title>Quorvane</title>
    <item><title>Old</title><sparkle:shortVersionString>0.0.9</sparkle:shortVersionString></item>
    <item><title>New</title><link>https://example.invalid/download</link>
      <enclosure url="https://example.invalid/q.tar.gz" sparkle:shortVersionString="%1"/></item>
  </channel>
</rss>)")
        .arg(version)
        .toUtf8();
}

TEST(Appcast, theNewestItemWinsWhereverItsVersionIsWritten)
{
    const auto item = newestAppcastItem(appcast(QStringLiteral("1.2.0")));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->version, QVersionNumber(1, 2, 0));
    EXPECT_EQ(item->downloadPage, QUrl(QStringLiteral("https://example.invalid/download")));
}

TEST(Appcast, textThatIsNotAFeedIsAnError)
{
    QString error;
    EXPECT_FALSE(newestAppcastItem("<html><body>Not found</body></html>", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(newestAppcastItem("<rss><channel></channel></rss>", &error));
    EXPECT_EQ(error, QStringLiteral("the appcast names no version"));
}

// Answers every request with the current status and body, then closes.
class FeedServer : public QTcpServer
{
public:
    FeedServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write(
                        QStringLiteral("HTTP/1.1 %1 X\r\nContent-Length: %2\r\nConnection: close\r\n\r\n")
                            .arg(status)
                            .arg(body.size())
                            .toUtf8()
                        + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/updates/stable/appcast.xml").arg(serverPort());
    }

    int status = 200;
    QByteArray body;
};

TEST(Updater, eachCheckReportsWhatTheFeedSaysNow)
{
    FeedServer server;
    QNetworkAccessManager network;
    Updater updater(network, QStringLiteral("0.1.0"));
    updater.feedUrlString = [&] { return server.url(); };
    QList<QUrl> opened;
    updater.openDownloadPage = [&](const QUrl &url) { opened.append(url); };
    int found = 0;
    int notFound = 0;
    QStringList failures;
    QObject::connect(&updater, &Updater::didFindValidUpdate, [&] { ++found; });
    QObject::connect(&updater, &Updater::didNotFindUpdate, [&] { ++notFound; });
    QObject::connect(&updater, &Updater::checkFailed, [&](const QString &e) { failures.append(e); });
    int failed = 0;
    QObject::connect(&updater, &Updater::checkFailed, [&] { ++failed; });

    server.body = appcast(QStringLiteral("0.2.0"));
    ASSERT_TRUE(updater.start());
    ASSERT_TRUE(waitFor([&] { return found >= 1; }));
    EXPECT_TRUE(opened.isEmpty()); // automatic checks open nothing

    server.body = appcast(QStringLiteral("0.1.0"));
    updater.checkForUpdates();
    ASSERT_TRUE(waitFor([&] { return notFound >= 1; }));

    server.status = 404;
    updater.checkForUpdates();
    ASSERT_TRUE(waitFor([&] { return failed >= 1; }));
    EXPECT_EQ(failures, QStringList { QStringLiteral("HTTP status 404") });

    server.status = 200;
    server.body = appcast(QStringLiteral("1.0"));
    updater.checkForUpdates();
    ASSERT_TRUE(waitFor([&] { return found >= 2; }));
    EXPECT_EQ(opened, QList<QUrl> { QUrl(QStringLiteral("https://example.invalid/download")) });
}

TEST(Updater, doesNotStartWithoutAFeedAddress)
{
    QNetworkAccessManager network;
    Updater updater(network, QStringLiteral("0.1.0"));
    updater.feedUrlString = [] { return QStringLiteral("not a url"); };
    QString error;
    EXPECT_FALSE(updater.start(&error));
    EXPECT_FALSE(updater.isStarted());
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
