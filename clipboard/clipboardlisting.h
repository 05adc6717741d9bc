#pragma once

#include "clipboard/clipboarditem.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// The stored entries as the pane lists them, with each preview lowercased once
// when the entries arrive, so a query costs one substring test per entry.
class ClipboardEntries
{
public:
    ClipboardEntries() = default;
    // `newestFirst` in the store's order.
    explicit ClipboardEntries(QList<ClipboardItem> newestFirst);

    const QList<ClipboardItem> &items() const { return m_items; }
    bool isEmpty() const { return m_items.isEmpty(); }

private:
    friend struct ClipboardListing;
    QList<ClipboardItem> m_items;
    QList<QString> m_lowercasedPreviews;
};

// What the pane shows for a query: the entries whose lowercased preview holds
// the lowercased query (as typed, not trimmed; an empty query keeps all),
// pinned ones first, each group in the store's order.
struct ClipboardListing
{
    QList<ClipboardItem> visible;
    QList<QUuid> ids; // of `visible`, in order
    // The last pinned entry, when both pinned and unpinned entries are visible:
    // the divider goes below it.
    std::optional<QUuid> lastPinnedID;

    static ClipboardListing filtered(const ClipboardEntries &entries, const QString &query);
};
