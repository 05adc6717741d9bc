#include "platform/fileoperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileError FileError::fromErrno(int errorNumber, const QString &path)
{
    return { errorNumber,
        QStringLiteral("“%1”: %2")
            .arg(QFileInfo(path).fileName(), QString::fromLocal8Bit(std::strerror(errorNumber))) };
}

namespace FileOperations {
namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// What the file system answers when it has no RENAME_NOREPLACE.
bool lacksNoReplace(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// The mode a new file gets from open(2): everyone may read and write, less
// the process's umask. umask can only be read by setting it.
mode_t defaultFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool existsAt(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(encoded(path).constData(), &info) == 0;
}

Result<void, FileError> moveByLinking(const QString &from, const QString &to)
{
    if (::link(encoded(from).constData(), encoded(to).constData()) != 0)
        return FileError::fromErrno(errno, errno == EEXIST ? to : from);
    if (::unlink(encoded(from).constData()) != 0) {
        const int error = errno;
        ::unlink(encoded(to).constData()); // both names led to the file: keep it at `from`
        return FileError::fromErrno(error, from);
    }
    return {};
}

Result<void, FileError> moveWithoutReplacing(const QString &from, const QString &to)
{
    if (::renameat2(AT_FDCWD, encoded(from).constData(), AT_FDCWD, encoded(to).constData(), RENAME_NOREPLACE)
        == 0)
        return {};
    const int error = errno;
    if (!lacksNoReplace(error))
        return FileError::fromErrno(error, error == EEXIST ? to : from);
    return moveByLinking(from, to);
}

namespace {

// The bytes in a new hidden file beside `path`, synced to disk, with `mode`.
// Returns the temporary file's path; nothing is left behind on failure.
Result<QByteArray, FileError> writeTemporary(const QString &path, const QByteArray &bytes, mode_t mode)
{
    const QFileInfo info(path);
    // Hidden, so that a listing never shows the half-written file.
    QByteArray temporary
        = encoded(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return FileError::fromErrno(errno, path);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        return FileError::fromErrno(error, path);
    };
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    // Every short write is followed up: the one after it reports the error
    // (disk full, file too large) that a short write alone keeps quiet.
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        written += n;
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return FileError::fromErrno(error, path);
    }
    return temporary;
}

// Where a write through `path` lands: `path` itself, or, for a link, the end
// of its chain of links, which is written through (and so created when it is
// missing) while the links stay. A chain that never ends fails with ELOOP.
Result<QString, FileError> writeTarget(const QString &path)
{
    QString current = path;
    for (int hop = 0; hop < 40; ++hop) { // the kernel's own limit on links followed
        struct stat info
        {
        };
        if (::lstat(encoded(current).constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        QByteArray target(qsizetype(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, Qt::Uninitialized);
        const ssize_t size = ::readlink(encoded(current).constData(), target.data(), size_t(target.size()));
        if (size < 0)
            return FileError::fromErrno(errno, path);
        target.truncate(size);
        const QString next = QFile::decodeName(target);
        current = QDir::isAbsolutePath(next) ? next : QFileInfo(current).absolutePath() + u'/' + next;
    }
    return FileError::fromErrno(ELOOP, path);
}

} // namespace

Result<void, FileError> writeAtomically(const QString &path, const QByteArray &bytes)
{
    // WORKAROUND: Qt 6.4.2 (not reported upstream yet): QSaveFile commits a
    // truncated file and reports success when a buffered write comes up short
    // (a full disk, a file size limit), replacing good content with a torn
    // copy. The same temporary-file-and-rename, done here with every write
    // checked.
    const Result<QString, FileError> resolved = writeTarget(path);
    if (!resolved)
        return resolved.error();
    const QString target = resolved.value();
    struct stat existing
    {
    };
    const bool exists = ::stat(encoded(target).constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return FileError::fromErrno(EISDIR, path);
    const mode_t mode = exists ? (existing.st_mode & 07777) : defaultFileMode();

    const Result<QByteArray, FileError> temporary = writeTemporary(target, bytes, mode);
    if (!temporary)
        return temporary.error();
    if (::rename(temporary.value().constData(), encoded(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.value().constData());
        return FileError::fromErrno(error, path);
    }
    return {};
}

Result<void, FileError> createWithoutReplacing(const QString &path, const QByteArray &bytes)
{
    const Result<QByteArray, FileError> temporary = writeTemporary(path, bytes, defaultFileMode());
    if (!temporary)
        return temporary.error();
    const Result<void, FileError> moved = moveWithoutReplacing(QFile::decodeName(temporary.value()), path);
    if (!moved) {
        ::unlink(temporary.value().constData());
        return FileError::fromErrno(moved.error().errorNumber, path);
    }
    return {};
}

} // namespace FileOperations
