#include "clipboard/clipboardlisting.h"

ClipboardEntries::ClipboardEntries(QList<ClipboardItem> newestFirst)
    : m_items(std::move(newestFirst))
{
    m_lowercasedPreviews.reserve(m_items.size());
    for (const ClipboardItem &item : std::as_const(m_items))
        m_lowercasedPreviews.append(item.preview.toLower());
}

ClipboardListing ClipboardListing::filtered(const ClipboardEntries &entries, const QString &query)
{
    const QString needle = query.toLower();
    ClipboardListing listing;
    QList<ClipboardItem> recent;
    for (qsizetype i = 0; i < entries.m_items.size(); ++i) {
        if (!needle.isEmpty() && !entries.m_lowercasedPreviews.at(i).contains(needle))
            continue;
        const ClipboardItem &item = entries.m_items.at(i);
        (item.isPinned ? listing.visible : recent).append(item);
    }
    if (!listing.visible.isEmpty() && !recent.isEmpty())
        listing.lastPinnedID = listing.visible.last().id;
    listing.visible.append(recent);
    listing.ids.reserve(listing.visible.size());
    for (const ClipboardItem &item : std::as_const(listing.visible))
        listing.ids.append(item.id);
    return listing;
}
