#pragma once

#include "notes/notefile.h"
#include "preview/vaultlookup.h"

#include <QList>
#include <QUrl>

#include <memory>
#include <optional>

class NotesManager;

// What the note preview knows of the vault: enough to resolve embeds and wiki
// links, and to tell whether a kept preview is still current.
struct ObsidianContext
{
    QList<NoteFile> allFiles; // in the vault's list order: the first match wins
    QList<QUrl> allMedia; // image files, in the vault's list order
    QUrl currentNoteURL; // the note on screen
    std::optional<QUrl> vaultURL; // resolves embed targets that name a folder

    // The index of the lists above, shared by every context made from one scan.
    // Optional: without it, or when the lists were changed after it was set, the
    // rewrite finds or builds the right one itself (VaultLookup::of).
    std::shared_ptr<const VaultLookup> lookup;

    // The context of the manager's current scan for the note at `currentNote`,
    // with the scan's lookup. Cheap: the lists are shared, not copied, and the
    // lookup is built only for the first context of each scan.
    static ObsidianContext fromVault(const NotesManager &notes, const QUrl &currentNote);
};
