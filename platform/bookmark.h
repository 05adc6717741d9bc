#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

// A way back to a folder the user chose, kept across launches. The data is a
// small JSON record people can read: the folder's canonical path, its device
// and its inode. Resolving finds the folder at the recorded path again and says
// whether that is still the same folder at the same place.
//
// The security scope of the original platform has no counterpart here: any
// folder the user can read stays readable, so opening and closing a scope only
// count, which lets callers keep their pairing honest and tests check it.
// Main thread only.
namespace Bookmark {

struct Resolved
{
    QString path; // canonical path of the folder found
    // The folder found is not the one recorded: the path now holds another
    // folder (device or inode differ), or the recorded path leads to the same
    // folder at another place (its canonical path changed). New data should
    // be made for `path`.
    bool stale = false;
};

// Data for the folder at `path`. Fails, with a sentence saying why, when the
// path can't be read or is not a folder.
Result<QByteArray, QString> create(const QString &path);

// Finds the folder again. Fails, with a sentence saying why, when the data is
// damaged or nothing readable is a folder at the recorded path any more.
Result<Resolved, QString> resolve(const QByteArray &data);

// Always succeed; each start must be paired with one stop.
bool startAccessing(const QString &path);
void stopAccessing(const QString &path);
int openScopeCount();

} // namespace Bookmark
