#pragma once

#include "clipboard/clipboarditem.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

struct ClipboardStoreChange;

// What the pane keeps of one stored entry to order and size its row; a plain
// value, so that the lists made for every query and change are copied in bulk.
// The row's widget reads the rest from the store when it is made.
struct ClipboardEntryRow
{
    QUuid id;
    qint64 timestampMs = 0;
    ContentType contentType = ContentType::Text;
    bool isPinned = false;
    bool longPreview = false; // more than one line of preview, as the row's size is guessed

    friend bool operator==(const ClipboardEntryRow &, const ClipboardEntryRow &) = default;
};

// Where the row of entry `id` is in `rows`; -1 when it is not there.
qsizetype indexOfEntry(const QList<ClipboardEntryRow> &rows, const QUuid &id);

// The stored entries as the pane lists them, newest time stamp first, kept up to
// date change by change. Besides each row it keeps what a query is matched
// against: the preview lowercased once, when the entry arrives, as UTF-8, so a
// long history costs the pane little more than that text.
class ClipboardEntries
{
public:
    ClipboardEntries() = default;
    // `newestFirst` in the store's order.
    explicit ClipboardEntries(const QList<ClipboardItem> &newestFirst);

    const QList<ClipboardEntryRow> &rows() const { return m_rows; }
    bool isEmpty() const { return m_rows.isEmpty(); }

    // The folded preview of rows()[index].
    const QByteArray &folded(qsizetype index) const { return m_folded.at(index); }

    // Adds an entry after every one held (a full read).
    void append(const ClipboardItem &item);
    // Puts the rows in the store's order, newest first, once they are all in:
    // the store lists the later written of two entries of the same moment first.
    void sortNewestFirst();
    // Applies the store's changes in order; false when one of them asks for the
    // whole list to be read again (a rollback), and then nothing was applied.
    bool apply(const QList<ClipboardStoreChange> &changes);

private:
    // Where a row with this time stamp goes: before the rows no newer than it, as
    // the store lists a later write of the same moment first.
    qsizetype placeFor(qint64 timestampMs) const;
    void removeAll(QSet<QUuid> &ids);
    void insert(qsizetype index, const ClipboardEntryRow &row, const QByteArray &folded);

    QList<ClipboardEntryRow> m_rows;
    QList<QByteArray> m_folded; // alongside m_rows
};

// What the pane shows for a query: the entries whose lowercased preview holds
// the lowercased query (as typed, not trimmed; an empty query keeps all),
// pinned ones first, each group in the store's order.
struct ClipboardListing
{
    QList<ClipboardEntryRow> visible;
    QList<QUuid> ids; // of `visible`, in order
    // The last pinned entry, when both pinned and unpinned entries are visible:
    // the divider goes below it.
    std::optional<QUuid> lastPinnedID;

    static ClipboardListing filtered(const ClipboardEntries &entries, const QString &query);
};
