#include "tests/support/logcapture.h"

#include "platform/log.h"

#include <QLoggingCategory>
#include <QMutex>

namespace {

QMutex mutex;
QList<LogCapture::Line> captured;
QtMessageHandler previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    QString category = QString::fromUtf8(context.category ? context.category : "");
    const QString prefix = QString::fromUtf8(Log::subsystem()) + u'.';
    if (category.startsWith(prefix))
        category = category.mid(prefix.size());
    QMutexLocker locker(&mutex);
    captured.append({type, category, message});
}

} // namespace

LogCapture::LogCapture()
{
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*=true"));
    QMutexLocker locker(&mutex);
    captured.clear();
    previous = qInstallMessageHandler(handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
    QMutexLocker locker(&mutex);
    captured.clear();
}

QList<LogCapture::Line> LogCapture::lines() const
{
    QMutexLocker locker(&mutex);
    return captured;
}

QStringList LogCapture::messages() const
{
    QStringList result;
    for (const Line &line : lines())
        result.append(line.message);
    return result;
}

int LogCapture::count(const QString &message) const
{
    return messages().count(message);
}

bool LogCapture::containsPrefix(const QString &prefix) const
{
    for (const QString &message : messages()) {
        if (message.startsWith(prefix))
            return true;
    }
    return false;
}

void LogCapture::clear()
{
    QMutexLocker locker(&mutex);
    captured.clear();
}
