#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVersionNumber>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// One release announced by the appcast.
struct AppcastItem
{
    QVersionNumber version;
    QString displayVersion; // as the appcast writes it
    QUrl downloadPage;
};

// The newest release of an appcast (an RSS feed whose items carry the version as
// <sparkle:shortVersionString>, <sparkle:version> or as attributes of <enclosure>).
// None, with `error` set, when the text is not a feed or names no usable version.
std::optional<AppcastItem> newestAppcastItem(const QByteArray &xml, QString *error = nullptr);

// Checks the appcast for a newer release than the running one and reports it; nothing
// is downloaded or installed, the user is offered the release's download page.
// Main thread only; the network manager must outlive it.
class Updater : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::hours checkInterval { 24 };

    Updater(QNetworkAccessManager &network, const QString &currentVersion, QObject *parent = nullptr);
    ~Updater() override;

    // Asked for the feed's address before every check.
    std::function<QString()> feedUrlString;
    // Opens a release's download page; by default in the user's browser.
    std::function<void(const QUrl &)> openDownloadPage;

    // Starts the automatic checks: one now, then every `checkInterval`. False, with
    // `error` set, when there is no valid feed address.
    bool start(QString *error = nullptr);
    bool isStarted() const { return m_started; }

    // The user asked: check now, and open the download page of a newer release.
    void checkForUpdates();

Q_SIGNALS:
    void didFindValidUpdate(const AppcastItem &item);
    void didNotFindUpdate();
    // The check could not be made; what the last successful check said still holds.
    void checkFailed(const QString &error);
    // After a check the user asked for that found nothing newer.
    void upToDate();

private:
    void check(bool userInitiated);
    void onReplyFinished(QNetworkReply *reply, bool userInitiated);
    std::optional<QUrl> feedUrl(QString *error) const;

    QNetworkAccessManager &m_network;
    QVersionNumber m_currentVersion;
    QTimer *m_timer;
    QNetworkReply *m_reply = nullptr;
    bool m_started = false;
};
