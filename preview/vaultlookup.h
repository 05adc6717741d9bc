#pragma once

#include "notes/notefile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <memory>
#include <optional>

struct ObsidianContext;

// The vault's notes and media indexed the way embeds and wiki links name them:
// notes by name and by top-level folder and name, media by file name and by path
// under the vault, each folded (case and Unicode normalisation) as the matching
// rules fold them. Where several entries share a key, the first in list order
// wins, as a scan of the lists in order would find it.
//
// Immutable once built: one lookup serves every preview made from one vault scan,
// on any thread. It keeps a shared copy of the lists it was built from, so it can
// tell in constant time whether a context's lists are those very lists.
class VaultLookup
{
public:
    VaultLookup(const QList<NoteFile> &files, const QList<QUrl> &media, const std::optional<QUrl> &vaultURL);

    // The lookup for the context's lists and vault folder: the context's own when
    // it was built from them, else the one last handed out when it was built from
    // them or from equal lists, else a new one. So the lists of one scan are
    // indexed once, however many contexts are made from them. Any thread.
    static std::shared_ptr<const VaultLookup> of(const ObsidianContext &context);

    // Positions in the lists the lookup was built from; none when nothing matches.
    std::optional<qsizetype> findNote(QStringView target) const;
    std::optional<qsizetype> findMedia(QStringView target) const;

    // Built from the context's very lists (their shared data) and vault folder.
    bool isBuiltFrom(const ObsidianContext &context) const;

private:
    using Index = QHash<QString, qsizetype>;
    struct Indexes
    {
        Index notesByName;
        Index notesByFolderAndName;
        Index mediaByName;
        Index mediaByRelativePath; // empty without a vault folder
    };

    VaultLookup(const QList<NoteFile> &files, const QList<QUrl> &media, const std::optional<QUrl> &vaultURL,
        std::shared_ptr<const Indexes> indexes);
    // Equal in everything the indexes were built from, position by position.
    bool hasSameEntriesAs(const ObsidianContext &context) const;

    QList<NoteFile> m_files;
    QList<QUrl> m_media;
    std::optional<QUrl> m_vaultURL;
    std::shared_ptr<const Indexes> m_indexes;
};
