#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Trash {
namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

bool makePrivateFolder(const QString &path)
{
    if (::mkdir(encoded(path).constData(), 0700) == 0)
        return true;
    struct stat info
    {
    };
    return errno == EEXIST && ::stat(encoded(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The longest name in files/ whose info file, the name plus ".trashinfo",
// still fits the 255 bytes a file system allows a name.
constexpr qsizetype maxTrashedNameBytes = 255 - qsizetype(sizeof(".trashinfo") - 1);

// The n-th candidate for `fileName` in the Trash: the name itself, then
// "stem.2.suffix", "stem.3.suffix"… A name too long to have an info file
// beside it is cut short before its number and suffix, at a character
// boundary; where it came from is in the info file, so nothing is lost.
QString candidateName(const QString &fileName, int n)
{
    const QFileInfo info(fileName);
    QString stem = info.completeBaseName();
    QString suffix = info.suffix().isEmpty() || stem.isEmpty() ? QString() : u'.' + info.suffix();
    if (stem.isEmpty())
        stem = fileName;
    // A suffix that leaves no room for a name is no file type: cut it as name.
    if (encoded(suffix).size() > maxTrashedNameBytes / 2) {
        stem = fileName;
        suffix.clear();
    }
    const QString tail = n == 1 ? suffix : u'.' + QString::number(n) + suffix;
    QString name = n == 1 ? fileName : stem + tail;
    if (encoded(name).size() <= maxTrashedNameBytes)
        return name;
    while (!stem.isEmpty() && encoded(stem + tail).size() > maxTrashedNameBytes)
        stem.chop(stem.size() > 1 && stem.back().isLowSurrogate() ? 2 : 1);
    return stem + tail;
}

// A name free in both files/ and info/, claimed by creating its info file
// exclusively, so that two programs trashing at once can't pick the same one.
// Returns the name and the open info file, or -1 with errno set.
std::pair<QString, int> claimName(const QString &trash, const QString &fileName)
{
    for (int n = 1; n < 10000; ++n) {
        const QString name = candidateName(fileName, n);
        const QByteArray infoPath
            = encoded(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return { QString(), -1 };
        }
        if (FileOperations::existsAt(trash + QStringLiteral("/files/") + name)) {
            ::close(fd);
            ::unlink(infoPath.constData());
            continue;
        }
        return { name, fd };
    }
    errno = EEXIST;
    return { QString(), -1 };
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno != EINTR)
            return false;
        written += std::max<ssize_t>(n, 0);
    }
    return true;
}

Result<void, FileError> moveToTopTrash(const QString &path)
{
    // WORKAROUND: Qt 6.4.2 (not reported upstream yet): QFile::moveToTrash, when it can’t set up a trash
    // folder, moves the file into "files/" of the working folder and reports
    // success with a relative path. Take only an absolute answer as success.
    QString where;
    if (!QFile::moveToTrash(path, &where))
        return FileError { EIO,
            QStringLiteral("“%1” can’t be moved to the Trash").arg(QFileInfo(path).fileName()) };
    if (!QDir::isAbsolutePath(where)) {
        QFile::rename(where, path);
        return FileError { EIO,
            QStringLiteral("“%1” can’t be moved to the Trash").arg(QFileInfo(path).fileName()) };
    }
    return {};
}

} // namespace

QString homeTrashPath()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/Trash");
}

Result<void, FileError> moveToTrash(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat item
    {
    };
    if (::lstat(encoded(absolute).constData(), &item) != 0)
        return FileError::fromErrno(errno, absolute);

    const QString trash = homeTrashPath();
    if (!QDir().mkpath(QFileInfo(trash).path()) || !makePrivateFolder(trash)
        || !makePrivateFolder(trash + QStringLiteral("/files"))
        || !makePrivateFolder(trash + QStringLiteral("/info")))
        return FileError::fromErrno(errno ? errno : EIO, trash);
    struct stat trashInfo
    {
    };
    if (::stat(encoded(trash).constData(), &trashInfo) != 0)
        return FileError::fromErrno(errno, trash);
    if (trashInfo.st_dev != item.st_dev)
        return moveToTopTrash(absolute);

    const auto [name, fd] = claimName(trash, QFileInfo(absolute).fileName());
    if (fd < 0)
        return FileError::fromErrno(errno, trash);
    const QString infoPath = trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
    const QByteArray record = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolute, "/")
        + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() + "\n";
    const bool written = writeAll(fd, record);
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        QFile::remove(infoPath);
        return FileError::fromErrno(writeError, infoPath);
    }
    const Result<void, FileError> moved
        = FileOperations::moveWithoutReplacing(absolute, trash + QStringLiteral("/files/") + name);
    if (!moved) {
        QFile::remove(infoPath);
        return moved.error();
    }
    return {};
}

} // namespace Trash
