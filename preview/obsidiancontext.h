#pragma once

#include "notes/notefile.h"

#include <QList>
#include <QUrl>

#include <optional>

// What the note preview knows of the vault: enough to resolve embeds and wiki
// links, and to tell whether a kept preview is still current.
struct ObsidianContext
{
    QList<NoteFile> allFiles; // in the vault's list order: the first match wins
    QList<QUrl> allMedia; // image files, in the vault's list order
    QUrl currentNoteURL; // the note on screen
    std::optional<QUrl> vaultURL; // resolves embed targets that name a folder
};
