#include "clipboard/clipboardlisting.h"

#include "clipboard/clipboardstore.h"

#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

// Lowercase as QString::toLower does, in UTF-8; ASCII, the common case, without
// going through a second string.
QByteArray fold(const QString &text)
{
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii)
        return text.toLower().toUtf8();
    QByteArray folded(text.size(), Qt::Uninitialized);
    char *out = folded.data();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        *out++ = char(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
    }
    return folded;
}

ClipboardEntryRow rowOf(const ClipboardItem &item)
{
    return { item.id, item.timestamp.toMSecsSinceEpoch(), item.contentType, item.isPinned,
        item.preview.size() > 40 || item.preview.contains(QLatin1Char('\n')) };
}

} // namespace

ClipboardEntries::ClipboardEntries(const QList<ClipboardItem> &newestFirst)
{
    m_rows.reserve(newestFirst.size());
    m_folded.reserve(newestFirst.size());
    for (const ClipboardItem &item : newestFirst)
        append(item);
}

void ClipboardEntries::append(const ClipboardItem &item)
{
    m_rows.append(rowOf(item));
    m_folded.append(fold(item.preview));
}

void ClipboardEntries::sortNewestFirst()
{
    const auto newer = [](const ClipboardEntryRow &a, const ClipboardEntryRow &b) {
        return a.timestampMs > b.timestampMs;
    };
    if (std::is_sorted(m_rows.cbegin(), m_rows.cend(), newer))
        return;
    QList<qsizetype> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](qsizetype a, qsizetype b) { return newer(m_rows.at(a), m_rows.at(b)); });
    QList<ClipboardEntryRow> rows;
    QList<QByteArray> folded;
    rows.reserve(order.size());
    folded.reserve(order.size());
    for (qsizetype i : std::as_const(order)) {
        rows.append(m_rows.at(i));
        folded.append(std::move(m_folded[i]));
    }
    m_rows = std::move(rows);
    m_folded = std::move(folded);
}

void ClipboardEntries::insert(qsizetype index, const ClipboardEntryRow &row, const QByteArray &folded)
{
    m_rows.insert(index, row);
    m_folded.insert(index, folded);
}

qsizetype indexOfEntry(const QList<ClipboardEntryRow> &rows, const QUuid &id)
{
    const auto found = std::find_if(
        rows.cbegin(), rows.cend(), [&](const ClipboardEntryRow &row) { return row.id == id; });
    return found == rows.cend() ? -1 : found - rows.cbegin();
}

qsizetype ClipboardEntries::placeFor(qint64 timestampMs) const
{
    const auto place = std::partition_point(m_rows.cbegin(), m_rows.cend(),
        [&](const ClipboardEntryRow &row) { return row.timestampMs > timestampMs; });
    return place - m_rows.cbegin();
}

void ClipboardEntries::removeAll(QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (ids.contains(m_rows.at(i).id))
            continue;
        if (kept != i) {
            m_rows[kept] = m_rows.at(i);
            m_folded[kept] = std::move(m_folded[i]);
        }
        ++kept;
    }
    m_rows.resize(kept);
    m_folded.resize(kept);
    ids.clear();
}

bool ClipboardEntries::apply(const QList<ClipboardStoreChange> &changes)
{
    using Kind = ClipboardStoreChange::Kind;
    if (std::any_of(changes.cbegin(), changes.cend(), [](const auto &c) { return c.kind == Kind::Reset; }))
        return false;
    // Removals gather into one pass over the rows: a clear or a deep trim
    // removes thousands at once.
    QSet<QUuid> removed;
    for (const ClipboardStoreChange &change : changes) {
        if (change.kind == Kind::Removed) {
            removed.insert(change.item.id);
            continue;
        }
        removeAll(removed);
        // Changes made before a full read arrive after it too: an entry it found
        // is not inserted twice, and the rest repeats what it found.
        const qsizetype index = indexOfEntry(m_rows, change.item.id);
        if (change.kind == Kind::Inserted) {
            if (index < 0) {
                const ClipboardEntryRow row = rowOf(change.item);
                insert(placeFor(row.timestampMs), row, fold(change.item.preview));
            }
            continue;
        }
        if (index < 0)
            continue;
        if (change.kind == Kind::Pinned) {
            m_rows[index].isPinned = change.item.isPinned;
        } else if (change.kind == Kind::Moved) {
            ClipboardEntryRow row = m_rows.takeAt(index);
            const QByteArray folded = m_folded.takeAt(index);
            row.timestampMs = change.item.timestamp.toMSecsSinceEpoch();
            insert(placeFor(row.timestampMs), row, folded);
        }
    }
    removeAll(removed);
    return true;
}

ClipboardListing ClipboardListing::filtered(const ClipboardEntries &entries, const QString &query)
{
    const QByteArray needle = query.toLower().toUtf8();
    ClipboardListing listing;
    QList<ClipboardEntryRow> recent;
    listing.visible.reserve(entries.rows().size());
    recent.reserve(entries.rows().size());
    for (qsizetype i = 0; i < entries.rows().size(); ++i) {
        if (!needle.isEmpty() && !entries.folded(i).contains(needle))
            continue;
        const ClipboardEntryRow &row = entries.rows().at(i);
        (row.isPinned ? listing.visible : recent).append(row);
    }
    if (!listing.visible.isEmpty() && !recent.isEmpty())
        listing.lastPinnedID = listing.visible.last().id;
    listing.visible.append(recent);
    listing.ids.reserve(listing.visible.size());
    for (const ClipboardEntryRow &row : std::as_const(listing.visible))
        listing.ids.append(row.id);
    return listing;
}
