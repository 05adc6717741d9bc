#pragma once

#include <QString>

#include <cerrno>

// Why a note operation failed. Callers mostly drop it (the file stays as it
// was); description() is the text to show when one does report it.
struct NoteError
{
    enum class Kind {
        InvalidFileName, // an empty name, or one holding "/", ":" or NUL
        NoPermission, // no vault to move into
        InvalidText, // the file isn't UTF-8 text
        TooLarge, // the file is larger than a note may be to be opened here
        System, // the file system refused, or no such file: errorNumber says why
    };

    Kind kind = Kind::System;
    int errorNumber = 0; // errno, for System
    QString description;

    static NoteError invalidFileName()
    {
        return { Kind::InvalidFileName, 0, QStringLiteral("The file name is invalid.") };
    }
    static NoteError noPermission()
    {
        return { Kind::NoPermission, 0, QStringLiteral("You don’t have permission to save the file.") };
    }
    static NoteError notALocalFile(const QString &shown)
    {
        return { Kind::System, EINVAL, QStringLiteral("“%1” isn’t a file on this computer.").arg(shown) };
    }
};

// What the status check found about a note the pane has loaded; no value
// means unchanged.
enum class NoteFileStatus { ModifiedExternally, Deleted };
