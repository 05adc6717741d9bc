#pragma once

#include "clipboard/clipboarditem.h"
#include "platform/log.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class SqliteDatabase;
class SqliteStatement;

// Why a fetch or save of the clipboard store failed; `description` is the text
// shown to the user after "Details: ".
struct StoreError
{
    int code = 0;
    QString description;
};

// A fetch's rows, or why it failed.
template<typename T> class StoreResult
{
public:
    StoreResult(T value)
        : m_value(std::move(value))
    { }
    StoreResult(StoreError error)
        : m_error(std::move(error))
    { }

    bool ok() const { return !m_error.has_value(); }
    const T &value() const &
    {
        Q_ASSERT_X(ok(), "StoreResult::value", "the fetch failed");
        return *m_value;
    }
    T &value() &
    {
        Q_ASSERT_X(ok(), "StoreResult::value", "the fetch failed");
        return *m_value;
    }
    // By value from a temporary, so `for (auto &x : store.fetch().value())` is safe.
    T value() &&
    {
        Q_ASSERT_X(ok(), "StoreResult::value", "the fetch failed");
        return std::move(*m_value);
    }
    const StoreError &error() const
    {
        Q_ASSERT_X(!ok(), "StoreResult::error", "the fetch succeeded");
        return *m_error;
    }

private:
    std::optional<T> m_value;
    std::optional<StoreError> m_error;
};

// One change of the stored entries, for those who follow them row by row.
struct ClipboardStoreChange
{
    enum class Kind {
        Inserted, // `item`, without its payload
        Moved, // `item.id` has the time stamp `item.timestamp`
        Pinned, // `item.id` has the pin `item.isPinned`
        Removed, // `item.id`
        Reset, // anything may have changed: read everything again
    };
    Kind kind;
    ClipboardItem item;
};

// The clipboard history's store: one SQLite file (table ClipboardItem) and the
// one context through which the whole program reads and changes it.
//
// Changes (insert, set..., remove) go into a transaction that the first change
// opens; save() commits them all, rollback() discards them all. Fetches see the
// unsaved changes, as the user does. A change that SQLite refuses (for example
// because another process holds the write lock) is kept as the store's pending
// error: later changes are skipped and the next save() fails with it, so the
// caller meets every failure at the save, then rolls back.
//
// List fetches leave the entries' payloads (data, rtfData, htmlData) in the file,
// so a history of large images costs little memory; fetchById(..., Payload::Load)
// brings them. Main thread only.
class ClipboardStore : public QObject
{
    Q_OBJECT
public:
    enum class Payload { Skip, Load };

    // Opens the store file, creating it when missing; the folder must exist (start-up
    // creates it). A file that isn't a database, or can't be read or opened, is an
    // error and stays as it was.
    static std::unique_ptr<ClipboardStore> open(const QString &path, StoreError *error);
    ~ClipboardStore() override;

    QString path() const;

    // The fetches of the history, all without payloads unless said otherwise.
    // At most one entry whose contentHash equals `hash` (the duplicate lookup).
    StoreResult<std::optional<ClipboardItem>> fetchByContentHash(const QString &hash);
    // Every entry, newest time stamp first (the pane's list).
    StoreResult<QList<ClipboardItem>> fetchNewestFirst();
    // Every entry, one at a time and without content hashes, so that a long
    // history is never held twice: the entry written last first, which sorted
    // stably by time stamp, newest first, is fetchNewestFirst()'s order. The
    // error when the fetch fails.
    std::optional<StoreError> visitLastWrittenFirst(const std::function<void(const ClipboardItem &)> &visit);
    // The history trim: walking every entry newest first, the ids of the unpinned
    // entries after the first `keep` unpinned ones. Only those rows are read.
    StoreResult<QList<QUuid>> fetchUnpinnedBeyond(int keep);
    // Entries whose contentHash is missing or empty (the back-fill).
    StoreResult<QList<ClipboardItem>> fetchMissingContentHash();
    // Every entry, in no order (clear all).
    StoreResult<QList<ClipboardItem>> fetchAll();
    // One entry by id (nullopt when there is none), for copy-back with its payload.
    StoreResult<std::optional<ClipboardItem>> fetchById(const QUuid &id, Payload payload);

    // Unsaved changes. Each names the entry by id; an id not in the store changes nothing.
    void insert(const ClipboardItem &item);
    void setTimestamp(const QUuid &id, const QDateTime &timestamp);
    void setPinned(const QUuid &id, bool isPinned);
    void setContentHash(const QUuid &id, const QString &hash);
    void remove(const QUuid &id);

    bool hasChanges() const { return m_hasChanges; }
    // Commits the changes. False on failure, with lastError(); the changes then stay
    // unsaved until rollback().
    bool save();
    // Discards every unsaved change.
    void rollback();
    // `item` was stored and `trimmed` removed, saved, through another connection
    // (ClipboardStoreWriter): followers hear of it as of changes made here.
    void noteWrittenElsewhere(const ClipboardItem &item, const QList<QUuid> &trimmed);
    StoreError lastError() const { return m_lastError; }

    // Test seam: the next fetch (after `skipping` more that succeed), or the next
    // save, fails with `error`.
    void failNextFetch(StoreError error, int skipping = 0)
    {
        m_failNextFetch = std::move(error);
        m_fetchesBeforeFailure = skipping;
    }
    void failNextSave(StoreError error) { m_failNextSave = std::move(error); }

Q_SIGNALS:
    // The changes since the last announcement, in order, sent just before changed().
    // A rollback is a Reset: the changes it discards were announced already.
    void rowsChanged(const QList<ClipboardStoreChange> &changes);
    // What a fetch returns may differ now: sent on the next turn of the event loop
    // after changes, saves and rollbacks, once however many happened in between.
    void changed();

private:
    explicit ClipboardStore(std::unique_ptr<SqliteDatabase> db);

    void announceChange();
    void record(ClipboardStoreChange::Kind kind, const ClipboardItem &item);
    bool beginChange();
    bool finishChange(SqliteStatement &statement);
    std::optional<StoreError> takeInjectedFetchFailure();
    StoreError databaseError() const;
    ClipboardItem readItem(const SqliteStatement &row, Payload payload);
    StoreResult<QList<ClipboardItem>> fetchList(const char *sql, Payload payload);
    // The first row of `sql` with `key` bound to its one parameter, or nullopt.
    StoreResult<std::optional<ClipboardItem>> fetchOne(const char *sql, const QString &key, Payload payload);
    // One unsaved change: `sql` with the values `bind` gives it; true when a row changed.
    bool change(const char *sql, const std::function<void(SqliteStatement &)> &bind);
    bool updateColumn(
        const char *sql, const QUuid &id, const std::function<void(SqliteStatement &)> &bindValue);

    const Log m_log { "ClipboardStore" };
    std::unique_ptr<SqliteDatabase> m_db;
    bool m_hasChanges = false;
    std::optional<StoreError> m_pendingError;
    StoreError m_lastError;
    std::optional<StoreError> m_failNextFetch;
    int m_fetchesBeforeFailure = 0;
    std::optional<StoreError> m_failNextSave;
    bool m_changeAnnounced = false;
    QList<ClipboardStoreChange> m_journal; // since the last announcement
    QSet<QString> m_reportedUnknownTypes; // ids whose unknown content type was logged
};

// A second connection to the store for a thread other than the main one: it
// writes a new entry with a large payload and trims the history in one
// transaction, so the main thread never waits for tens of megabytes to reach
// the file. Used on one thread at a time.
class ClipboardStoreWriter
{
public:
    struct Result
    {
        QList<QUuid> trimmed; // the unpinned entries beyond the limit, deleted
        std::optional<StoreError> error;
        QString operation; // of the failure: "fetch (prune)" or "save"
    };

    static std::unique_ptr<ClipboardStoreWriter> open(const QString &path, StoreError *error);
    ~ClipboardStoreWriter();

    // Inserts `item`, deletes the unpinned entries after the first `keep` newest,
    // and commits; on failure nothing stays changed.
    Result insertAndTrim(const ClipboardItem &item, int keep);

private:
    explicit ClipboardStoreWriter(std::unique_ptr<SqliteDatabase> db);
    std::unique_ptr<SqliteDatabase> m_db;
};
