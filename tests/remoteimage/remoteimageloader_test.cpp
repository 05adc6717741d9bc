#include "remoteimage/remoteimageloader.h"

#include "remoteimage/remoteimagecache.h"
#include "remoteimage/remoteimagesession.h"
#include "tests/remoteimage/imageserver.h"
#include "tests/support/pngbytes.h"
#include "tests/support/printers.h"
#include "tests/support/waitfor.h"

#include <QCoreApplication>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Code = RemoteImageError::Code;
using Outcome = Result<QImage, RemoteImageError>;

constexpr qint64 MiB = 1024 * 1024;

class Loading : public ::testing::Test
{
protected:
    // A loader over a fresh bitmap cache whose responses are cached in `folder`.
    std::unique_ptr<DefaultRemoteImageLoader> makeLoader(std::chrono::milliseconds timeout = 15s)
    {
        caches.push_back(std::make_unique<DefaultRemoteImageCache>(100));
        return std::make_unique<DefaultRemoteImageLoader>(
            *caches.back(), RemoteImageSession::imageLoading(10 * MiB, 100 * MiB, timeout, folder.path()));
    }

    // Asks `count` times at once and waits for every answer.
    std::vector<Outcome> load(RemoteImageLoader &loader, const QUrl &url, int count = 1)
    {
        auto outcomes = std::make_shared<std::vector<Outcome>>();
        for (int i = 0; i < count; ++i)
            loader.image(url, [outcomes](const Outcome &outcome) { outcomes->push_back(outcome); });
        EXPECT_TRUE(waitFor([&] { return int(outcomes->size()) == count; }, 10s));
        return *outcomes;
    }

    QTemporaryDir folder;
    ImageServer server;
    std::vector<std::unique_ptr<DefaultRemoteImageCache>> caches;
};

TEST_F(Loading, concurrentRequestsForOneAddressShareOneDownloadAndOneImage)
{
    const auto loader = makeLoader();
    const std::vector<Outcome> outcomes = load(*loader, server.url(u"/a.png"_s), 10);
    ASSERT_EQ(outcomes.size(), 10u);
    EXPECT_EQ(server.hits(), 1);
    for (const Outcome &outcome : outcomes) {
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome.value().cacheKey(), outcomes.front().value().cacheKey()) << "one bitmap for all";
    }
    EXPECT_EQ(outcomes.front().value().size(), QSize(2, 2));
    EXPECT_TRUE(server.requests().front().contains("\r\nAccept: image/*\r\n"));
    EXPECT_EQ(loader->ongoingCount(), 0);
}

TEST_F(Loading, aDecodedImageAnswersAtOnceWithoutTheNetwork)
{
    const auto loader = makeLoader();
    ASSERT_TRUE(load(*loader, server.url(u"/a.png"_s)).front());
    std::optional<Outcome> again;
    loader->image(server.url(u"/a.png"_s), [&](const Outcome &outcome) { again = outcome; });
    ASSERT_TRUE(again) << "answered before the call returns";
    EXPECT_TRUE(*again);
    EXPECT_EQ(server.hits(), 1);
}

TEST_F(Loading, aRequestFromAnotherThreadIsAnsweredOnTheLoadersThread)
{
    const auto loader = makeLoader();
    std::optional<Outcome> outcome;
    QThread *answeredOn = nullptr;
    std::thread worker([&] {
        loader->image(server.url(u"/a.png"_s), [&](const Outcome &result) {
            answeredOn = QThread::currentThread();
            outcome = result;
        });
    });
    worker.join();
    ASSERT_TRUE(waitFor([&] { return outcome.has_value(); }, 10s));
    EXPECT_TRUE(*outcome);
    EXPECT_EQ(answeredOn, loader->thread());
}

TEST_F(Loading, aSecondLoaderOnTheSameCacheFolderNeedsNoServer)
{
    ASSERT_TRUE(load(*makeLoader(), server.url(u"/a.png"_s)).front());
    const std::vector<Outcome> outcomes = load(*makeLoader(), server.url(u"/a.png"_s));
    ASSERT_TRUE(outcomes.front());
    EXPECT_EQ(outcomes.front().value().size(), QSize(2, 2));
    EXPECT_EQ(server.hits(), 1);
}

TEST_F(Loading, aResponseTheServerForbidsStoringIsFetchedAgain)
{
    server.setReply(u"/live.png"_s, 200, pngBytes(2, 2), "Cache-Control: no-store\r\n");
    ASSERT_TRUE(load(*makeLoader(), server.url(u"/live.png"_s)).front());
    ASSERT_TRUE(load(*makeLoader(), server.url(u"/live.png"_s)).front());
    EXPECT_EQ(server.hits(), 2);
}

struct ResponseCase
{
    const char *name;
    int status;
    QByteArray body;
    std::optional<Code> error; // none: an image
};

void PrintTo(const ResponseCase &c, std::ostream *out)
{
    *out << c.name;
}

class Responses : public Loading, public ::testing::WithParamInterface<ResponseCase>
{
};

TEST_P(Responses, onlyA2xxStatusWithAnImageSucceeds)
{
    server.setReply(u"/x"_s, GetParam().status, GetParam().body);
    const auto loader = makeLoader();
    const std::vector<Outcome> outcomes = load(*loader, server.url(u"/x"_s));
    ASSERT_EQ(bool(outcomes.front()), !GetParam().error);
    if (GetParam().error) {
        EXPECT_EQ(outcomes.front().error().code, *GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, Responses,
    ::testing::Values(ResponseCase { "ok200", 200, pngBytes(3, 1), std::nullopt },
        ResponseCase { "ok299", 299, pngBytes(3, 1), std::nullopt },
        ResponseCase { "multipleChoices300", 300, pngBytes(3, 1), Code::BadServerResponse },
        ResponseCase { "notFound404", 404, pngBytes(3, 1), Code::BadServerResponse },
        ResponseCase { "serverError500", 500, pngBytes(3, 1), Code::BadServerResponse },
        ResponseCase {
            "htmlServedAs200", 200, "<html><body>Not an image</body></html>", Code::CannotDecodeContentData },
        // A header that claims 60000 × 60000 pixels must not allocate them.
        ResponseCase { "hugeDimensions", 200, "P6\n60000 60000\n255\n" + QByteArray(64, '\x7f'),
            Code::CannotDecodeContentData }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Loading, addressesThatAreNotHttpAreBadResponsesWithoutBeingRead)
{
    QFile file(folder.filePath(u"local.png"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pngBytes(2, 2));
    file.close();
    const auto loader = makeLoader();
    for (const QUrl &url : { QUrl::fromLocalFile(file.fileName()),
             QUrl(u"data:image/png;base64,"_s + QString::fromLatin1(pngBytes(2, 2).toBase64())) }) {
        const std::vector<Outcome> outcomes = load(*loader, url);
        ASSERT_FALSE(outcomes.front()) << url.toString().toStdString();
        EXPECT_EQ(outcomes.front().error().code, Code::BadServerResponse);
    }
}

TEST_F(Loading, failuresAreNotRememberedAndEveryWaiterHearsOfThem)
{
    server.setReply(u"/later.png"_s, 404, "gone");
    const auto loader = makeLoader();
    const std::vector<Outcome> failed = load(*loader, server.url(u"/later.png"_s), 2);
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_FALSE(failed[0]);
    EXPECT_FALSE(failed[1]);
    EXPECT_EQ(server.hits(), 1);

    server.setReply(u"/later.png"_s, 200, pngBytes(2, 2));
    EXPECT_TRUE(load(*loader, server.url(u"/later.png"_s)).front());
    EXPECT_EQ(server.hits(), 2);
}

TEST_F(Loading, aStalledServerTimesOutForEveryWaiterAndTheNextRequestTriesAgain)
{
    server.stall(u"/slow.png"_s);
    const auto loader = makeLoader(300ms);
    const std::vector<Outcome> outcomes = load(*loader, server.url(u"/slow.png"_s), 3);
    ASSERT_EQ(outcomes.size(), 3u);
    for (const Outcome &outcome : outcomes) {
        ASSERT_FALSE(outcome);
        EXPECT_EQ(outcome.error().code, Code::TimedOut);
    }
    EXPECT_EQ(loader->ongoingCount(), 0);

    server.setReply(u"/slow.png"_s, 200, pngBytes(2, 2));
    EXPECT_TRUE(load(*loader, server.url(u"/slow.png"_s)).front());
    EXPECT_EQ(server.hits(u"/slow.png"_s), 2);
}

TEST_F(Loading, aRefusedConnectionIsPassedOn)
{
    const QUrl url = server.url(u"/a.png"_s);
    server.close();
    const std::vector<Outcome> outcomes = load(*makeLoader(), url);
    ASSERT_FALSE(outcomes.front());
    EXPECT_EQ(outcomes.front().error().code, Code::Transport);
    EXPECT_EQ(outcomes.front().error().networkError, QNetworkReply::ConnectionRefusedError);
}

// The program quits with downloads in flight: nothing of Qt's network may be left
// running as the application object goes, and nobody is left waiting.
TEST_F(Loading, shuttingDownAbortsWhatIsInFlightAndAnswersEveryWaiter)
{
    server.stall(u"/slow.png"_s);
    const auto loader = makeLoader();
    std::vector<Outcome> outcomes;
    for (int i = 0; i < 2; ++i)
        loader->image(
            server.url(u"/slow.png"_s), [&](const Outcome &outcome) { outcomes.push_back(outcome); });
    ASSERT_TRUE(waitFor([&] { return server.hits() == 1; }, 10s));
    const QList<QTcpSocket *> connections = server.findChildren<QTcpSocket *>();
    ASSERT_FALSE(connections.isEmpty());

    loader->shutDown();
    ASSERT_EQ(outcomes.size(), 2u) << "answered within the call";
    for (const Outcome &outcome : outcomes) {
        ASSERT_FALSE(outcome);
        EXPECT_EQ(outcome.error().code, Code::Cancelled);
    }
    EXPECT_EQ(loader->ongoingCount(), 0);
    EXPECT_TRUE(waitFor(
        [&] {
            return std::all_of(connections.begin(), connections.end(), [](const QTcpSocket *socket) {
                return socket->state() == QAbstractSocket::UnconnectedState;
            });
        },
        10s))
        << "the stalled download's connection is closed";

    std::optional<Outcome> later;
    loader->image(server.url(u"/a.png"_s), [&](const Outcome &outcome) { later = outcome; });
    ASSERT_TRUE(later) << "answered at once";
    ASSERT_FALSE(*later);
    EXPECT_EQ(later->error().code, Code::Cancelled);
    EXPECT_EQ(server.hits(), 1);
    loader->shutDown(); // a second time changes nothing
}

// A long note is laid out on a worker, which may be the first to ask for the loader.
TEST_F(Loading, aLoaderMadeOnAWorkerDownloadsOnTheApplicationsThread)
{
    caches.push_back(std::make_unique<DefaultRemoteImageCache>(100));
    std::unique_ptr<DefaultRemoteImageLoader> loader;
    std::thread worker([&] {
        loader = std::make_unique<DefaultRemoteImageLoader>(*caches.back(),
            [this] { return RemoteImageSession::imageLoading(10 * MiB, 100 * MiB, 15s, folder.path()); });
    });
    worker.join();
    EXPECT_EQ(loader->thread(), QCoreApplication::instance()->thread());
    const std::vector<Outcome> outcomes = load(*loader, server.url(u"/a.png"_s));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes.front());
    EXPECT_EQ(server.hits(), 1);
}

TEST(DefaultRemoteImageLoader, decodingStopsAtTheAllocationLimit)
{
    const QByteArray fourMegabytes = pngBytes(1024, 1024); // 4 bytes a pixel once decoded
    EXPECT_TRUE(DefaultRemoteImageLoader::decode(fourMegabytes, 1).isNull());
    EXPECT_EQ(DefaultRemoteImageLoader::decode(fourMegabytes, 8).size(), QSize(1024, 1024));
}

TEST(DefaultRemoteImageCache, keepsTheMostRecentlyUsedHundred)
{
    DefaultRemoteImageCache cache(100);
    QImage bitmap(1, 1, QImage::Format_ARGB32);
    const auto url = [](int i) { return QUrl(u"https://example.org/%1.png"_s.arg(i)); };
    for (int i = 0; i < 100; ++i)
        cache.setImage(bitmap, url(i));
    EXPECT_FALSE(cache.image(url(0)).isNull()) << "reading the oldest makes it recent";
    cache.setImage(bitmap, url(100));
    EXPECT_FALSE(cache.image(url(0)).isNull());
    EXPECT_TRUE(cache.image(url(1)).isNull()) << "the least recently used went";
    EXPECT_FALSE(cache.image(url(100)).isNull());
}

} // namespace
