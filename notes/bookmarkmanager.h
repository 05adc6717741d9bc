#pragma once

#include "platform/log.h"
#include "platform/result.h"

#include <QString>
#include <QUrl>

class Defaults;

// Why resolve() gave no vault. description() is the text people read.
class BookmarkError
{
public:
    enum class Kind { ResolutionFailed, NoBookmarkData, BookmarkStale };

    static BookmarkError resolutionFailed(const QString &cause) { return { Kind::ResolutionFailed, cause }; }
    static BookmarkError noBookmarkData() { return { Kind::NoBookmarkData, {} }; }
    static BookmarkError bookmarkStale() { return { Kind::BookmarkStale, {} }; }

    Kind kind() const { return m_kind; }
    // The platform's sentence, for resolutionFailed only.
    QString cause() const { return m_cause; }
    QString description() const;

private:
    BookmarkError(Kind kind, QString cause)
        : m_kind(kind)
        , m_cause(std::move(cause))
    { }

    Kind m_kind;
    QString m_cause;
};

// Keeps the vault folder the user chose reachable across launches: one bookmark
// in the settings under userDefaultsKey(). It never opens or closes the folder's
// access scope; whoever holds the vault does. Main thread only.
class BookmarkManager
{
public:
    // `defaults` outlives the manager.
    explicit BookmarkManager(Defaults &defaults);

    static QString userDefaultsKey(); // "com.quorvane.vaultBookmark"

    // The stored folder. A stale bookmark whose folder is still there is
    // rewritten and its folder returned; one that can't be rewritten is
    // left as stored and reported as bookmarkStale.
    Result<QUrl, BookmarkError> resolve();
    // Fails, with the platform's sentence, when no bookmark can be made for
    // the folder; what was stored stays then.
    Result<void, QString> save(const QUrl &folder);
    void clear();

private:
    Defaults &m_defaults;
    const Log m_log;
};
