#include "platform/updater.h"

#include "platform/log.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QXmlStreamReader>

namespace {

const Log &log()
{
    static const Log instance("Updater");
    return instance;
}

constexpr int requestTimeoutMs = 30'000;

} // namespace

std::optional<AppcastItem> newestAppcastItem(const QByteArray &xml, QString *error)
{
    QXmlStreamReader reader(xml);
    std::optional<AppcastItem> newest;
    AppcastItem item;
    bool inItem = false;
    bool sawFeed = false;
    auto finishItem = [&] {
        if (!item.version.isNull() && (!newest || item.version > newest->version))
            newest = item;
    };
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            if (name == u"rss" || name == u"channel") {
                sawFeed = true;
            } else if (name == u"item") {
                inItem = true;
                item = AppcastItem();
            } else if (inItem && name == u"enclosure") {
                const QXmlStreamAttributes attributes = reader.attributes();
                for (const auto &attribute : attributes) {
                    const QString value = attribute.value().toString();
                    if (attribute.name() == u"shortVersionString"
                        || (attribute.name() == u"version" && item.version.isNull())) {
                        item.version = QVersionNumber::fromString(value);
                        item.displayVersion = value;
                    } else if (attribute.name() == u"url" && item.downloadPage.isEmpty()) {
                        item.downloadPage = QUrl(value);
                    }
                }
            } else if (inItem && (name == u"shortVersionString" || name == u"version")) {
                const QString value = reader.readElementText().trimmed();
                if (name == u"shortVersionString" || item.version.isNull()) {
                    item.version = QVersionNumber::fromString(value);
                    item.displayVersion = value;
                }
            } else if (inItem && name == u"link") {
                item.downloadPage = QUrl(reader.readElementText().trimmed());
            }
        } else if (reader.isEndElement() && reader.name() == u"item") {
            inItem = false;
            finishItem();
        }
    }
    if (reader.hasError() || !sawFeed) {
        if (error)
            *error = reader.hasError() ? reader.errorString() : QStringLiteral("not an appcast");
        return std::nullopt;
    }
    if (!newest && error)
        *error = QStringLiteral("the appcast names no version");
    return newest;
}

Updater::Updater(QNetworkAccessManager &network, const QString &currentVersion, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_currentVersion(QVersionNumber::fromString(currentVersion))
    , m_timer(new QTimer(this))
{
    openDownloadPage = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    m_timer->setInterval(checkInterval);
    connect(m_timer, &QTimer::timeout, this, [this] { check(false); });
}

Updater::~Updater()
{
    if (m_reply)
        m_reply->abort();
}

std::optional<QUrl> Updater::feedUrl(QString *error) const
{
    const QString text = feedUrlString ? feedUrlString() : QString();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != u"https" && url.scheme() != u"http")) {
        if (error)
            *error = QStringLiteral("no valid feed address (\"%1\")").arg(text);
        return std::nullopt;
    }
    return url;
}

bool Updater::start(QString *error)
{
    if (m_started)
        return true;
    if (!feedUrl(error))
        return false;
    m_started = true;
    m_timer->start();
    check(false);
    return true;
}

void Updater::checkForUpdates()
{
    check(true);
}

void Updater::check(bool userInitiated)
{
    QString error;
    const std::optional<QUrl> url = feedUrl(&error);
    if (!url) {
        Q_EMIT checkFailed(error);
        return;
    }
    if (m_reply)
        m_reply->abort(); // the newest request answers; an aborted one reports nothing
    QNetworkRequest request(*url);
    request.setTransferTimeout(requestTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply *reply = m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::finished, this,
        [this, reply, userInitiated] { onReplyFinished(reply, userInitiated); });
}

void Updater::onReplyFinished(QNetworkReply *reply, bool userInitiated)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return;
    // Read the status before the error: an HTTP error status is reported as an error too.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QString error;
    std::optional<AppcastItem> newest;
    if (status != 0 && (status < 200 || status > 299))
        error = QStringLiteral("HTTP status %1").arg(status);
    else if (reply->error() != QNetworkReply::NoError)
        error = reply->errorString();
    else
        newest = newestAppcastItem(reply->readAll(), &error);
    if (!newest) {
        log().error(QStringLiteral("Update check failed: %1").arg(error));
        Q_EMIT checkFailed(error);
        return;
    }
    if (newest->version > m_currentVersion) {
        log().info(QStringLiteral("Update available: %1").arg(newest->displayVersion));
        Q_EMIT didFindValidUpdate(*newest);
        if (userInitiated && openDownloadPage && newest->downloadPage.isValid())
            openDownloadPage(newest->downloadPage);
        return;
    }
    log().info(QStringLiteral("No update available"));
    Q_EMIT didNotFindUpdate();
    if (userInitiated)
        Q_EMIT upToDate();
}
