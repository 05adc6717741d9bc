#include "preview/obsidiancontext.h"

#include "notes/notesmanager.h"

ObsidianContext ObsidianContext::fromVault(const NotesManager &notes, const QUrl &currentNote)
{
    ObsidianContext context;
    context.allFiles = notes.allFiles();
    context.allMedia = notes.allMedia();
    context.currentNoteURL = currentNote;
    if (!notes.vaultURL().isEmpty())
        context.vaultURL = notes.vaultURL();
    context.lookup = VaultLookup::of(context);
    return context;
}
