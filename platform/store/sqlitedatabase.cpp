#include "platform/store/sqlitedatabase.h"

#include <QFile>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

bool SqliteError::isBusy() const
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr))
{ }

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept
{
    if (this != &other) {
        release();
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

SqliteStatement::~SqliteStatement()
{
    release();
}

void SqliteStatement::release()
{
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        m_statement = nullptr;
    }
}

void SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bind(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text64(
        m_statement, index, utf8.constData(), quint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqliteStatement::bind(int index, const QByteArray &value)
{
    // SQLite stores a zero-length blob given a null pointer as NULL: pass a real one.
    static const char empty = 0;
    sqlite3_bind_blob64(m_statement, index, value.isEmpty() ? &empty : value.constData(),
        quint64(value.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bind(int index, const std::optional<QByteArray> &value)
{
    if (value)
        bind(index, *value);
    else
        sqlite3_bind_null(m_statement, index);
}

void SqliteStatement::bind(int index, const std::optional<QString> &value)
{
    if (value)
        bind(index, *value);
    else
        sqlite3_bind_null(m_statement, index);
}

SqliteStatement::Step SqliteStatement::step()
{
    switch (sqlite3_step(m_statement)) {
    case SQLITE_ROW:
        return Step::Row;
    case SQLITE_DONE:
        return Step::Done;
    default:
        return Step::Error;
    }
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QString SqliteStatement::text(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
}

QByteArrayView SqliteStatement::utf8(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column));
}

QByteArray SqliteStatement::blob(int column) const
{
    const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return size > 0 ? QByteArray(bytes, size) : QByteArray("");
}

std::optional<QByteArray> SqliteStatement::optionalBlob(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return blob(column);
}

std::optional<QString> SqliteStatement::optionalText(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return text(column);
}

SqliteDatabase::SqliteDatabase(sqlite3 *db, QString path)
    : m_db(db)
    , m_path(std::move(path))
{ }

SqliteDatabase::~SqliteDatabase()
{
    for (auto &[sql, statement] : m_statements)
        sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
}

std::unique_ptr<SqliteDatabase> SqliteDatabase::open(const QString &path, SqliteError *error, Options options)
{
    if (options.ownerOnly) {
        // SQLite makes new files readable by everyone (less the umask), and
        // its journals copy the file's mode: create it private first. An
        // existing file is left to restrictToOwner(), once it is known ours.
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    sqlite3 *handle = nullptr;
    const int flags
        = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (error)
            *error = { rc, QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc)) };
        sqlite3_close_v2(handle);
        return nullptr;
    }
    std::unique_ptr<SqliteDatabase> db(new SqliteDatabase(handle, path));
    sqlite3_extended_result_codes(handle, 1);
    // Before the first statement: another program's brief lock must not fail the open.
    db->setBusyTimeout(int(options.busyTimeout.count()));
    // SQLite opens files lazily: read the header now, so that a file that isn't a
    // database is refused before anything could be written to it.
    if (!db->exec("SELECT count(*) FROM sqlite_schema")) {
        if (error)
            *error = db->lastError();
        return nullptr;
    }
    return db;
}

bool SqliteDatabase::restrictToOwner() const
{
    for (const char *suffix : { "", "-wal", "-shm", "-journal" }) {
        const QByteArray file = QFile::encodeName(m_path) + suffix;
        struct stat info
        {
        };
        // Only regular files: a link's target is not ours to change.
        if (::lstat(file.constData(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 0077) == 0)
            continue;
        if (::chmod(file.constData(), info.st_mode & 0700) != 0)
            return false;
    }
    return true;
}

bool SqliteDatabase::exec(const char *sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteStatement SqliteDatabase::prepare(const char *sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
            return {};
        it = m_statements.emplace(sql, statement).first;
    }
    return SqliteStatement(it->second);
}

void SqliteDatabase::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

void SqliteDatabase::releaseMemory()
{
    sqlite3_db_release_memory(m_db);
}

bool SqliteDatabase::isAutocommit() const
{
    return sqlite3_get_autocommit(m_db) != 0;
}

qint64 SqliteDatabase::changes() const
{
    return sqlite3_changes64(m_db);
}

SqliteError SqliteDatabase::lastError() const
{
    return { sqlite3_extended_errcode(m_db), QString::fromUtf8(sqlite3_errmsg(m_db)) };
}
