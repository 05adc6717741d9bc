#pragma once

#include <QNetworkReply>
#include <QString>

// Why an image did not load. The first two are the loader's own verdicts; the others
// come from the transfer and are passed on as they happened.
struct RemoteImageError
{
    enum class Code {
        BadServerResponse, // not an HTTP response, or a status outside 200 to 299
        CannotDecodeContentData, // no image could be read from the data
        TimedOut, // no data arrived for the session's timeout
        Transport, // the connection failed: see networkError
    };

    Code code = Code::Transport;
    QNetworkReply::NetworkError networkError = QNetworkReply::NoError;
    QString description;

    static RemoteImageError badServerResponse()
    {
        return { Code::BadServerResponse, QNetworkReply::NoError, QStringLiteral("bad server response") };
    }
    static RemoteImageError cannotDecodeContentData()
    {
        return { Code::CannotDecodeContentData, QNetworkReply::NoError,
            QStringLiteral("cannot decode image data") };
    }
    bool operator==(const RemoteImageError &) const = default;
};
