#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

// Why a file operation failed: the system's error number (errno) and a
// sentence people can read.
struct FileError
{
    int errorNumber = 0;
    QString description;

    static FileError fromErrno(int errorNumber, const QString &path);
};

// File changes that never destroy what is already there. Linux's rename(2)
// silently replaces an existing target; everything here fails with EEXIST
// instead, and then neither file is touched. Main thread or any thread.
namespace FileOperations {

// Renames or moves a file within one file system, unless something (even a
// dangling link) exists at `to`. Uses renameat2(RENAME_NOREPLACE), and where
// the file system lacks it, a hard link to `to` and the removal of `from`.
Result<void, FileError> moveWithoutReplacing(const QString &from, const QString &to);

// The link-and-unlink way of moveWithoutReplacing, for file systems without
// renameat2's flag; public so that it can be tested where renameat2 works.
Result<void, FileError> moveByLinking(const QString &from, const QString &to);

// Replaces the file's content atomically: readers see the old bytes or the new,
// never a mix, and on failure (disk full, read-only folder) the old bytes stay.
// A link is written through to the end of its chain of links, keeping the
// links: a dangling link's target is created, a loop of links fails with
// ELOOP. An existing file keeps its mode.
Result<void, FileError> writeAtomically(const QString &path, const QByteArray &bytes);

// Creates a file holding `bytes`, atomically, only when nothing exists at
// `path` yet (EEXIST otherwise). Nobody sees it half written.
Result<void, FileError> createWithoutReplacing(const QString &path, const QByteArray &bytes);

// True when anything, even a dangling link, is at `path`.
bool existsAt(const QString &path);

} // namespace FileOperations
