#include "platform/bookmark.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace Bookmark {
namespace {

const QString pathKey = QStringLiteral("path");
const QString deviceKey = QStringLiteral("device");
const QString inodeKey = QStringLiteral("inode");

int scopes = 0;

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The folder at `path` after following every link, or an error sentence.
Result<QString, int> canonicalPath(const QString &path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(QFile::encodeName(path).constData(), nullptr), &std::free);
    if (!resolved)
        return errno;
    return QFile::decodeName(resolved.get());
}

} // namespace

Result<QByteArray, QString> create(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("The folder “%1” can’t be read: %2").arg(path, reason(errno));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("“%1” is not a folder").arg(path);
    const Result<QString, int> canonical = canonicalPath(path);
    if (!canonical)
        return QStringLiteral("The folder “%1” can’t be read: %2").arg(path, reason(canonical.error()));

    // Inodes and devices are 64-bit; JSON numbers are exact only to 53 bits.
    QJsonObject record;
    record.insert(pathKey, canonical.value());
    record.insert(deviceKey, QString::number(quint64(info.st_dev)));
    record.insert(inodeKey, QString::number(quint64(info.st_ino)));
    return QJsonDocument(record).toJson(QJsonDocument::Compact);
}

Result<Resolved, QString> resolve(const QByteArray &data)
{
    const QJsonObject record = QJsonDocument::fromJson(data).object();
    const QString path = record.value(pathKey).toString();
    bool deviceOk = false;
    bool inodeOk = false;
    const quint64 device = record.value(deviceKey).toString().toULongLong(&deviceOk);
    const quint64 inode = record.value(inodeKey).toString().toULongLong(&inodeOk);
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || !deviceOk || !inodeOk)
        return QStringLiteral("The bookmark data is damaged");

    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("The folder “%1” can’t be found: %2").arg(path, reason(errno));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("“%1” is not a folder any more").arg(path);
    const Result<QString, int> canonical = canonicalPath(path);
    if (!canonical)
        return QStringLiteral("The folder “%1” can’t be found: %2").arg(path, reason(canonical.error()));

    Resolved resolved;
    resolved.path = canonical.value();
    resolved.stale
        = quint64(info.st_dev) != device || quint64(info.st_ino) != inode || canonical.value() != path;
    return resolved;
}

bool startAccessing(const QString &)
{
    ++scopes;
    return true;
}

void stopAccessing(const QString &)
{
    Q_ASSERT_X(scopes > 0, "Bookmark::stopAccessing", "stopped a scope that was never started");
    if (scopes > 0)
        --scopes;
}

int openScopeCount()
{
    return scopes;
}

} // namespace Bookmark
