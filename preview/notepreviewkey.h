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
// it. The key holds its own copies: later changes to the vault lists don't reach it.
struct NotePreviewKey
{
    struct FileFingerprint
    {
        QString name;
        std::optional<QString> folder;
        QUrl url;

        friend bool operator==(const FileFingerprint &, const FileFingerprint &);
    };

    struct ContextFingerprint
    {
        QUrl currentNoteURL;
        std::optional<QUrl> vaultURL;
        QList<FileFingerprint> files; // in the vault's order: a reordering changes the key
        QList<QUrl> media;

        friend bool operator==(const ContextFingerprint &, const ContextFingerprint &);
    };

    // `context` is null when the preview has no vault description.
    NotePreviewKey(const QString &content, const ObsidianContext *context);

    QString content;
    std::optional<ContextFingerprint> context;

    friend bool operator==(const NotePreviewKey &, const NotePreviewKey &);
};
