#include "clipboard/clipboardstore.h"

#include "platform/store/sqlitedatabase.h"

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

// Small columns first, payloads last: SQLite reads a row's columns in order,
// and reaching a column stored after a megabyte of image means walking its
// overflow pages. Time stamps are milliseconds since the epoch, so ORDER BY
// sorts by time (outside tools read the file that way too).
const char *const schemaSql = R"(
CREATE TABLE IF NOT EXISTS ClipboardItem (
    id TEXT PRIMARY KEY NOT NULL,
    timestamp INTEGER NOT NULL,
    contentType TEXT NOT NULL,
    preview TEXT NOT NULL,
    contentHash TEXT,
    isPinned INTEGER NOT NULL DEFAULT 0,
    data BLOB NOT NULL,
    rtfData BLOB,
    htmlData BLOB
);
)";

// The duplicate lookup must not scan; lists come out of an index in time order,
// and the trim skips the kept unpinned entries inside an index.
const char *const indexSql = R"(
CREATE INDEX IF NOT EXISTS ClipboardItem_contentHash ON ClipboardItem(contentHash);
CREATE INDEX IF NOT EXISTS ClipboardItem_timestamp ON ClipboardItem(timestamp);
CREATE INDEX IF NOT EXISTS ClipboardItem_pinnedTimestamp ON ClipboardItem(isPinned, timestamp);
)";

// Tables other than ours: a database that has some and not ours belongs to
// another program, and opening it must not turn it into a clipboard store.
const char *const foreignTablesSql = "SELECT sum(name = 'ClipboardItem'), count(*) FROM sqlite_schema "
                                     "WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!'";

// SQLite's own code for "file is not a database" (SQLITE_NOTADB).
constexpr int notADatabaseCode = 26;

// Proves at open that a table made elsewhere has every column we read.
const char *const layoutCheckSql = "SELECT id, timestamp, contentType, preview, contentHash, isPinned, data, "
                                   "rtfData, htmlData FROM ClipboardItem LIMIT 0";

#define QV_SUMMARY_COLUMNS "id, timestamp, contentType, preview, contentHash, isPinned"
#define QV_FULL_COLUMNS QV_SUMMARY_COLUMNS ", data, rtfData, htmlData"

const char *const byHashSql
    = "SELECT " QV_SUMMARY_COLUMNS " FROM ClipboardItem WHERE contentHash = ?1 LIMIT 1";
const char *const newestFirstSql = "SELECT " QV_SUMMARY_COLUMNS " FROM ClipboardItem ORDER BY timestamp DESC";
// The table itself backwards: no look-up of each row from the time index.
const char *const lastWrittenFirstWithoutHashSql
    = "SELECT id, timestamp, contentType, preview, NULL, isPinned "
      "FROM ClipboardItem ORDER BY rowid DESC";
// The unpinned entries beyond the newest `keep`, newest first, taken as the
// oldest ones: counting walks the index alone, which skipping `keep` rows of it
// in time order does not.
const char *const unpinnedBeyondSql
    = "SELECT id FROM (SELECT id, timestamp, rowid AS r FROM ClipboardItem WHERE isPinned = 0 "
      "ORDER BY timestamp ASC LIMIT max(0, (SELECT count(*) FROM ClipboardItem WHERE isPinned = 0) - ?1)) "
      "ORDER BY timestamp DESC, r DESC";
const char *const missingHashSql
    = "SELECT " QV_SUMMARY_COLUMNS " FROM ClipboardItem WHERE contentHash IS NULL OR contentHash = ''";
const char *const allSql = "SELECT " QV_SUMMARY_COLUMNS " FROM ClipboardItem";
const char *const summaryByIdSql = "SELECT " QV_SUMMARY_COLUMNS " FROM ClipboardItem WHERE id = ?1";
const char *const fullByIdSql = "SELECT " QV_FULL_COLUMNS " FROM ClipboardItem WHERE id = ?1";

const char *const insertSql
    = "INSERT INTO ClipboardItem (id, timestamp, contentType, preview, contentHash, "
      "isPinned, data, rtfData, htmlData) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
const char *const setTimestampSql = "UPDATE ClipboardItem SET timestamp = ?2 WHERE id = ?1";
const char *const setPinnedSql = "UPDATE ClipboardItem SET isPinned = ?2 WHERE id = ?1";
const char *const setContentHashSql = "UPDATE ClipboardItem SET contentHash = ?2 WHERE id = ?1";
const char *const removeSql = "DELETE FROM ClipboardItem WHERE id = ?1";

#undef QV_SUMMARY_COLUMNS
#undef QV_FULL_COLUMNS

// Readers rarely wait (WAL); this bounds how long a statement waits for
// another program's lock (a backup, a sqlite3 shell) before it fails and the
// store is reported locked, which stops capture for the run. It blocks the
// main thread meanwhile, which only a long lock makes felt.
constexpr std::chrono::seconds busyTimeout { 5 };

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces);
}

StoreError toStoreError(const SqliteError &error)
{
    return { error.code, error.message };
}

SqliteDatabase::Options storeOptions()
{
    // Clipboard history holds whatever was copied, passwords included: no
    // other user may read it.
    return { std::chrono::duration_cast<std::chrono::milliseconds>(busyTimeout), true };
}

void bindInsert(SqliteStatement &s, const ClipboardItem &item)
{
    s.bind(1, idText(item.id));
    s.bind(2, item.timestamp.toMSecsSinceEpoch());
    s.bind(3, contentTypeRawValue(item.contentType));
    s.bind(4, item.preview);
    s.bind(5, item.contentHash);
    s.bind(6, qint64(item.isPinned ? 1 : 0));
    s.bind(7, item.data);
    s.bind(8, item.rtfData);
    s.bind(9, item.htmlData);
}

// The entry as those who follow the store keep it: without its payload.
ClipboardItem withoutPayload(const ClipboardItem &item)
{
    ClipboardItem summary = item;
    summary.data = {};
    summary.rtfData.reset();
    summary.htmlData.reset();
    summary.hasPayload = false;
    return summary;
}

} // namespace

ClipboardStore::ClipboardStore(std::unique_ptr<SqliteDatabase> db)
    : m_db(std::move(db))
{ }

ClipboardStore::~ClipboardStore()
{
    // Unsaved changes die with the context, as they would in any other way of quitting.
    if (!m_db->isAutocommit())
        m_db->exec("ROLLBACK");
}

std::unique_ptr<ClipboardStore> ClipboardStore::open(const QString &path, StoreError *error)
{
    SqliteError sqliteError;
    std::unique_ptr<SqliteDatabase> db = SqliteDatabase::open(path, &sqliteError, storeOptions());
    auto fail = [&](const StoreError &cause) {
        if (error)
            *error = cause;
        return nullptr;
    };
    if (!db)
        return fail(toStoreError(sqliteError));
    // Everything is checked before anything is changed: a file that turns
    // out not to be ours must leave as it came, journal mode included.
    bool hasOurTable = false;
    {
        SqliteStatement tables = db->prepare(foreignTablesSql);
        if (!tables.isValid() || tables.step() != SqliteStatement::Step::Row)
            return fail(toStoreError(db->lastError()));
        hasOurTable = tables.integer(0) > 0;
        if (!hasOurTable && tables.integer(1) > 0) {
            return fail({ notADatabaseCode,
                QStringLiteral("The file is a database of another program, not a clipboard store") });
        }
    }
    const auto checkLayout = [&db]() -> std::optional<StoreError> {
        if (db->prepare(layoutCheckSql).isValid())
            return std::nullopt;
        return StoreError { db->lastError().code,
            QStringLiteral("The clipboard store has an unexpected layout: %1").arg(db->lastError().message) };
    };
    if (hasOurTable) {
        if (const std::optional<StoreError> layout = checkLayout())
            return fail(*layout);
    }
    // A file of another owner can't be changed, but may still be ours to use.
    if (!db->restrictToOwner())
        Log("ClipboardStore")
            .error(QStringLiteral("Could not make the clipboard store %1 private: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    // WAL: the pane and outside readers never block a capture. NORMAL sync is
    // consistent under WAL; only a power cut can lose the last commits.
    if (!db->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;") || !db->exec(schemaSql))
        return fail(toStoreError(db->lastError()));
    // A table of ours was checked above; a new one is checked once it exists.
    if (const std::optional<StoreError> layout = hasOurTable ? std::nullopt : checkLayout())
        return fail(*layout);
    if (!db->exec(indexSql))
        return fail(toStoreError(db->lastError()));
    return std::unique_ptr<ClipboardStore>(new ClipboardStore(std::move(db)));
}

QString ClipboardStore::path() const
{
    return m_db->path();
}

StoreError ClipboardStore::databaseError() const
{
    return toStoreError(m_db->lastError());
}

std::optional<StoreError> ClipboardStore::takeInjectedFetchFailure()
{
    if (m_failNextFetch && m_fetchesBeforeFailure-- > 0)
        return std::nullopt;
    return std::exchange(m_failNextFetch, std::nullopt);
}

ClipboardItem ClipboardStore::readItem(const SqliteStatement &row, Payload payload)
{
    ClipboardItem item;
    // Straight from SQLite's bytes: a full read parses ten thousand of them.
    item.id = QUuid::fromString(QLatin1StringView(row.utf8(0)));
    item.timestamp = QDateTime::fromMSecsSinceEpoch(row.integer(1), Qt::UTC);
    const QString rawType = row.text(2);
    if (const std::optional<ContentType> type = contentTypeFromRawValue(rawType)) {
        item.contentType = *type;
    } else {
        // Not a type this program writes: show it as text and keep the stored value,
        // so that a program that knows the type still finds it.
        item.contentType = ContentType::Text;
        const QString id = row.text(0);
        if (!m_reportedUnknownTypes.contains(id)) {
            m_reportedUnknownTypes.insert(id);
            m_log.error(
                QStringLiteral("Read clipboard item %1 of unknown content type %2 as text").arg(id, rawType));
        }
    }
    item.preview = row.text(3);
    item.contentHash = row.optionalText(4);
    item.isPinned = row.integer(5) != 0;
    item.hasPayload = payload == Payload::Load;
    if (item.hasPayload) {
        item.data = row.blob(6);
        item.rtfData = row.optionalBlob(7);
        item.htmlData = row.optionalBlob(8);
    }
    return item;
}

StoreResult<QList<ClipboardItem>> ClipboardStore::fetchList(const char *sql, Payload payload)
{
    if (auto injected = takeInjectedFetchFailure())
        return *injected;
    SqliteStatement statement = m_db->prepare(sql);
    if (!statement.isValid())
        return databaseError();
    QList<ClipboardItem> items;
    while (true) {
        switch (statement.step()) {
        case SqliteStatement::Step::Row:
            items.append(readItem(statement, payload));
            break;
        case SqliteStatement::Step::Done:
            return items;
        case SqliteStatement::Step::Error:
            return databaseError();
        }
    }
}

StoreResult<std::optional<ClipboardItem>> ClipboardStore::fetchOne(
    const char *sql, const QString &key, Payload payload)
{
    if (auto injected = takeInjectedFetchFailure())
        return *injected;
    SqliteStatement statement = m_db->prepare(sql);
    if (!statement.isValid())
        return databaseError();
    statement.bind(1, key);
    switch (statement.step()) {
    case SqliteStatement::Step::Row:
        return std::optional<ClipboardItem>(readItem(statement, payload));
    case SqliteStatement::Step::Done:
        return std::optional<ClipboardItem>();
    case SqliteStatement::Step::Error:
        break;
    }
    return databaseError();
}

StoreResult<std::optional<ClipboardItem>> ClipboardStore::fetchByContentHash(const QString &hash)
{
    return fetchOne(byHashSql, hash, Payload::Skip);
}

StoreResult<QList<ClipboardItem>> ClipboardStore::fetchNewestFirst()
{
    return fetchList(newestFirstSql, Payload::Skip);
}

std::optional<StoreError> ClipboardStore::visitLastWrittenFirst(
    const std::function<void(const ClipboardItem &)> &visit)
{
    if (auto injected = takeInjectedFetchFailure())
        return *injected;
    SqliteStatement statement = m_db->prepare(lastWrittenFirstWithoutHashSql);
    if (!statement.isValid())
        return databaseError();
    while (true) {
        switch (statement.step()) {
        case SqliteStatement::Step::Row:
            visit(readItem(statement, Payload::Skip));
            break;
        case SqliteStatement::Step::Done:
            statement = {};
            // Every page of the history passed through the cache, and the next
            // full read is far off: the memory is worth more to the program.
            m_db->releaseMemory();
            return std::nullopt;
        case SqliteStatement::Step::Error:
            return databaseError();
        }
    }
}

StoreResult<QList<QUuid>> ClipboardStore::fetchUnpinnedBeyond(int keep)
{
    if (auto injected = takeInjectedFetchFailure())
        return *injected;
    SqliteStatement statement = m_db->prepare(unpinnedBeyondSql);
    if (!statement.isValid())
        return databaseError();
    statement.bind(1, qint64(qMax(0, keep)));
    QList<QUuid> ids;
    while (true) {
        switch (statement.step()) {
        case SqliteStatement::Step::Row:
            ids.append(QUuid::fromString(statement.text(0)));
            break;
        case SqliteStatement::Step::Done:
            return ids;
        case SqliteStatement::Step::Error:
            return databaseError();
        }
    }
}

StoreResult<QList<ClipboardItem>> ClipboardStore::fetchMissingContentHash()
{
    return fetchList(missingHashSql, Payload::Skip);
}

StoreResult<QList<ClipboardItem>> ClipboardStore::fetchAll()
{
    return fetchList(allSql, Payload::Skip);
}

StoreResult<std::optional<ClipboardItem>> ClipboardStore::fetchById(const QUuid &id, Payload payload)
{
    return fetchOne(payload == Payload::Load ? fullByIdSql : summaryByIdSql, idText(id), payload);
}

void ClipboardStore::announceChange()
{
    // One signal per turn of the event loop: a clear-all of ten thousand entries
    // must not make every observer refetch ten thousand times.
    if (m_changeAnnounced)
        return;
    m_changeAnnounced = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changeAnnounced = false;
            const QList<ClipboardStoreChange> changes = std::exchange(m_journal, {});
            if (!changes.isEmpty())
                Q_EMIT rowsChanged(changes);
            Q_EMIT changed();
        },
        Qt::QueuedConnection);
}

void ClipboardStore::record(ClipboardStoreChange::Kind kind, const ClipboardItem &item)
{
    m_journal.append({ kind, item });
}

bool ClipboardStore::beginChange()
{
    m_hasChanges = true;
    if (m_pendingError)
        return false;
    // IMMEDIATE takes the write lock now, waiting out the busy timeout; a deferred
    // BEGIN could fail later without waiting when another writer got in between.
    if (m_db->isAutocommit() && !m_db->exec("BEGIN IMMEDIATE")) {
        m_pendingError = databaseError();
        return false;
    }
    return true;
}

bool ClipboardStore::finishChange(SqliteStatement &statement)
{
    if (statement.step() != SqliteStatement::Step::Done) {
        m_pendingError = databaseError();
        return false;
    }
    announceChange();
    return m_db->changes() > 0;
}

void ClipboardStore::insert(const ClipboardItem &item)
{
    Q_ASSERT_X(item.hasPayload, "ClipboardStore::insert", "an entry without its payload can't be stored");
    if (change(insertSql, [&](SqliteStatement &s) { bindInsert(s, item); }))
        record(ClipboardStoreChange::Kind::Inserted, withoutPayload(item));
}

bool ClipboardStore::change(const char *sql, const std::function<void(SqliteStatement &)> &bind)
{
    if (!beginChange())
        return false;
    SqliteStatement statement = m_db->prepare(sql);
    if (!statement.isValid()) {
        m_pendingError = databaseError();
        return false;
    }
    bind(statement);
    return finishChange(statement);
}

bool ClipboardStore::updateColumn(
    const char *sql, const QUuid &id, const std::function<void(SqliteStatement &)> &bindValue)
{
    return change(sql, [&](SqliteStatement &s) {
        s.bind(1, idText(id));
        bindValue(s);
    });
}

void ClipboardStore::setTimestamp(const QUuid &id, const QDateTime &timestamp)
{
    if (updateColumn(
            setTimestampSql, id, [&](SqliteStatement &s) { s.bind(2, timestamp.toMSecsSinceEpoch()); })) {
        ClipboardItem moved;
        moved.id = id;
        moved.timestamp = timestamp;
        record(ClipboardStoreChange::Kind::Moved, moved);
    }
}

void ClipboardStore::setPinned(const QUuid &id, bool isPinned)
{
    if (updateColumn(setPinnedSql, id, [&](SqliteStatement &s) { s.bind(2, qint64(isPinned ? 1 : 0)); })) {
        ClipboardItem pinned;
        pinned.id = id;
        pinned.isPinned = isPinned;
        record(ClipboardStoreChange::Kind::Pinned, pinned);
    }
}

void ClipboardStore::setContentHash(const QUuid &id, const QString &hash)
{
    updateColumn(setContentHashSql, id, [&](SqliteStatement &s) { s.bind(2, hash); });
}

void ClipboardStore::remove(const QUuid &id)
{
    if (updateColumn(removeSql, id, [](SqliteStatement &) {})) {
        ClipboardItem removed;
        removed.id = id;
        record(ClipboardStoreChange::Kind::Removed, removed);
    }
}

bool ClipboardStore::save()
{
    if (auto injected = std::exchange(m_failNextSave, std::nullopt)) {
        m_lastError = *injected;
        return false;
    }
    if (m_pendingError) {
        m_lastError = *m_pendingError;
        return false;
    }
    if (!m_hasChanges)
        return true;
    if (!m_db->isAutocommit() && !m_db->exec("COMMIT")) {
        m_lastError = databaseError();
        return false;
    }
    m_hasChanges = false;
    announceChange();
    return true;
}

void ClipboardStore::rollback()
{
    if (!m_db->isAutocommit())
        m_db->exec("ROLLBACK");
    m_pendingError.reset();
    m_hasChanges = false;
    m_journal = { { ClipboardStoreChange::Kind::Reset, {} } };
    announceChange();
}

void ClipboardStore::noteWrittenElsewhere(const ClipboardItem &item, const QList<QUuid> &trimmed)
{
    record(ClipboardStoreChange::Kind::Inserted, withoutPayload(item));
    for (const QUuid &id : trimmed) {
        ClipboardItem removed;
        removed.id = id;
        record(ClipboardStoreChange::Kind::Removed, removed);
    }
    announceChange();
}

ClipboardStoreWriter::ClipboardStoreWriter(std::unique_ptr<SqliteDatabase> db)
    : m_db(std::move(db))
{ }

ClipboardStoreWriter::~ClipboardStoreWriter() = default;

std::unique_ptr<ClipboardStoreWriter> ClipboardStoreWriter::open(const QString &path, StoreError *error)
{
    SqliteError sqliteError;
    std::unique_ptr<SqliteDatabase> db = SqliteDatabase::open(path, &sqliteError, storeOptions());
    // The store itself set the file to WAL; the sync level is the connection's own.
    if (!db || !db->exec("PRAGMA synchronous=NORMAL;")) {
        if (error)
            *error = toStoreError(db ? db->lastError() : sqliteError);
        return nullptr;
    }
    return std::unique_ptr<ClipboardStoreWriter>(new ClipboardStoreWriter(std::move(db)));
}

ClipboardStoreWriter::Result ClipboardStoreWriter::insertAndTrim(const ClipboardItem &item, int keep)
{
    const auto fail = [this](const QString &operation) {
        Result result { {}, toStoreError(m_db->lastError()), operation };
        if (!m_db->isAutocommit())
            m_db->exec("ROLLBACK");
        return result;
    };
    const QString save = QStringLiteral("save");
    if (!m_db->exec("BEGIN IMMEDIATE"))
        return fail(save);
    {
        SqliteStatement insert = m_db->prepare(insertSql);
        if (!insert.isValid())
            return fail(save);
        bindInsert(insert, item);
        if (insert.step() != SqliteStatement::Step::Done)
            return fail(save);
    }
    Result result;
    {
        SqliteStatement beyond = m_db->prepare(unpinnedBeyondSql);
        if (!beyond.isValid())
            return fail(QStringLiteral("fetch (prune)"));
        beyond.bind(1, qint64(qMax(0, keep)));
        for (SqliteStatement::Step step = beyond.step(); step != SqliteStatement::Step::Done;
             step = beyond.step()) {
            if (step == SqliteStatement::Step::Error)
                return fail(QStringLiteral("fetch (prune)"));
            result.trimmed.append(QUuid::fromString(beyond.text(0)));
        }
    }
    for (const QUuid &id : std::as_const(result.trimmed)) {
        SqliteStatement remove = m_db->prepare(removeSql);
        if (!remove.isValid())
            return fail(save);
        remove.bind(1, idText(id));
        if (remove.step() != SqliteStatement::Step::Done)
            return fail(save);
    }
    if (!m_db->exec("COMMIT"))
        return fail(save);
    return result;
}
