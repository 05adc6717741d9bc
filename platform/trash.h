#pragma once

#include "platform/fileoperations.h"

#include <QString>

// The user's Trash as the freedesktop desktops share it, so that the file
// manager can show and restore what the program threw away: a file moves to
// "files/" of the home trash ($XDG_DATA_HOME/Trash, by default
// ~/.local/share/Trash) and "info/" records where it came from and when.
// Files on another file system go to that file system's own trash.
namespace Trash {

// The home trash folder, from the environment as the desktop reads it.
QString homeTrashPath();

// Moves the file or folder into the Trash. Fails, leaving it where it was,
// when it is missing or the Trash can't take it. Main thread only.
Result<void, FileError> moveToTrash(const QString &path);

} // namespace Trash
