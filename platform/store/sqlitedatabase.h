#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// What SQLite said when a call failed: its result code and message.
struct SqliteError
{
    int code = 0;
    QString message;

    bool isBusy() const; // another connection holds the lock we need
};

// One use of a prepared statement that the database keeps cached. Dropping it
// resets the statement and clears its bindings, so the next use starts clean.
// Columns and parameters are numbered as in SQLite: parameters from 1, columns from 0.
class SqliteStatement
{
public:
    enum class Step { Row, Done, Error };

    SqliteStatement() = default;
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;
    ~SqliteStatement();

    bool isValid() const { return m_statement != nullptr; }

    void bind(int index, qint64 value);
    void bind(int index, const QString &value);
    void bind(int index, const QByteArray &value); // a blob; a null QByteArray binds an empty blob
    void bind(int index, const std::optional<QByteArray> &value); // nullopt binds NULL
    void bind(int index, const std::optional<QString> &value);

    // Error: the database's lastError() says why.
    Step step();

    bool isNull(int column) const;
    qint64 integer(int column) const;
    QString text(int column) const;
    // The column's text as SQLite holds it (UTF-8), valid until the next step.
    QByteArrayView utf8(int column) const;
    QByteArray blob(int column) const; // a deep copy: the row's memory is SQLite's
    std::optional<QByteArray> optionalBlob(int column) const;
    std::optional<QString> optionalText(int column) const;

private:
    friend class SqliteDatabase;
    explicit SqliteStatement(sqlite3_stmt *statement)
        : m_statement(statement)
    { }
    void release();

    sqlite3_stmt *m_statement = nullptr;
};

// A connection to one SQLite database file, main thread only. Statements are
// prepared once per SQL text and kept until the connection closes.
class SqliteDatabase
{
public:
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    struct Options
    {
        // How long every statement, the first one at open included, waits for
        // another connection's lock before it fails busy.
        std::chrono::milliseconds busyTimeout { 0 };
        // A file created here is readable and writable by its owner alone,
        // and so are the journals SQLite makes beside it (they take its mode).
        bool ownerOnly = false;
    };

    // Opens the file read-write, creating it if missing (never its folder).
    // Opening checks that the file really is a SQLite database and that it can
    // be read, so a foreign file fails here and is left untouched.
    static std::unique_ptr<SqliteDatabase> open(const QString &path, SqliteError *error, Options options);
    static std::unique_ptr<SqliteDatabase> open(const QString &path, SqliteError *error)
    {
        return open(path, error, Options());
    }

    // Takes every permission but the owner's from the file and its journals
    // (an existing store made before files were kept private). False with
    // errno set when one can't be changed.
    bool restrictToOwner() const;

    // Runs one or more statements that return no rows.
    bool exec(const char *sql);

    // An invalid statement when the SQL can't be prepared; lastError() says why.
    // `sql` must live as long as the connection (a string literal).
    SqliteStatement prepare(const char *sql);

    // How long a statement waits for another connection's lock before it fails busy.
    void setBusyTimeout(int milliseconds);

    // Hands back the memory of cached pages that no statement is using.
    void releaseMemory();

    // False between BEGIN and COMMIT/ROLLBACK.
    bool isAutocommit() const;
    qint64 changes() const; // rows changed by the last statement

    SqliteError lastError() const;
    QString path() const { return m_path; }

private:
    SqliteDatabase(sqlite3 *db, QString path);

    sqlite3 *m_db;
    QString m_path;
    std::map<const char *, sqlite3_stmt *> m_statements;
};
