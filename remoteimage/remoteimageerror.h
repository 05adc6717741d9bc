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
        Cancelled, // the loader shut down before the download ended (the program quits)
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
    static RemoteImageError cancelled()
    {
        return { Code::Cancelled, QNetworkReply::OperationCanceledError, QStringLiteral("cancelled") };
    }
    bool operator==(const RemoteImageError &) const = default;
};
