#pragma once

#include "preview/obsidiancontext.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Everything a note's preview is computed from: its text and what the rewrite
// reads of the vault. Two keys are equal when the preview would come out the
// same. Texts compare as Unicode does (a precomposed and a decomposed accent are
// one text); a note's modification date is left out, as the rewrite never reads
// it. The key shares the vault's lists, which costs nothing, and a list that
// is changed later is copied first, so later changes don't reach a kept key.
//
// The preview asks on every evaluation of the pane, so an unchanged note of an
// unchanged scan must compare in constant time: lists that share their data (the
// same published scan) are equal without a look at their entries; only lists of
// two scans are compared entry by entry.
struct NotePreviewKey
{
    struct ContextFingerprint
    {
        QUrl currentNoteURL;
        std::optional<QUrl> vaultURL;
        QList<NoteFile> files; // in the vault's order: a reordering changes the key; dates are not compared
        QList<QUrl> media;

        friend bool operator==(const ContextFingerprint &, const ContextFingerprint &);
    };

    // `context` is null when the preview has no vault description.
    NotePreviewKey(const QString &content, const ObsidianContext *context);

    QString content;
    std::optional<ContextFingerprint> context;

    friend bool operator==(const NotePreviewKey &, const NotePreviewKey &);
};
