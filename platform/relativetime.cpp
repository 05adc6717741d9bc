#include "platform/relativetime.h"

#include "platform/clock.h"

#include <QLocale>

QString relativeTimeString(const QDateTime &date, const QDateTime &now)
{
    // Whole seconds, cut toward zero: 59.9 seconds is still "just now".
    const qint64 seconds = date.msecsTo(now) / 1000;
    if (seconds < 60)
        return QStringLiteral("just now");
    if (seconds < 3600)
        return QStringLiteral("%1 min ago").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1h ago").arg(seconds / 3600);
    if (seconds < 172800)
        return QStringLiteral("yesterday");
    if (seconds < 604800)
        return QStringLiteral("%1d ago").arg(seconds / 86400);
    return QLocale().toString(date.toLocalTime().date(), QLocale::ShortFormat);
}

QString relativeTimeString(const QDateTime &date)
{
    return relativeTimeString(date, Clock::system().now());
}
