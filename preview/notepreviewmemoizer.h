#pragma once

#include "preview/largetablepreviewsimplifier.h"
#include "preview/notepreviewkey.h"

#include <functional>
#include <optional>

// Keeps the sections of the note on screen, so that the preview, rebuilt on
// every change the notes pane sees, rewrites and cuts the note again only when
// its text or the vault changed. One entry: the note last asked for.
class NotePreviewMemoizer
{
public:
    using Result = LargeTablePreviewSimplifier::Result;

    NotePreviewMemoizer() = default;
    NotePreviewMemoizer(const NotePreviewMemoizer &) = delete;
    NotePreviewMemoizer &operator=(const NotePreviewMemoizer &) = delete;

    // The kept result when `key` equals the kept key; otherwise `compute`'s
    // result, which then replaces the entry.
    Result value(const NotePreviewKey &key, const std::function<Result()> &compute);
    // Whether `value` would answer `key` from the entry, without computing: for a
    // caller that computes elsewhere (off the main thread) and stores through
    // `value` once it has the result.
    bool holds(const NotePreviewKey &key);

private:
    std::optional<NotePreviewKey> m_lastKey;
    std::optional<Result> m_lastResult;
};
