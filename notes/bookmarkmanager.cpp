#include "notes/bookmarkmanager.h"

#include "platform/bookmark.h"
#include "platform/defaults.h"

QString BookmarkError::description() const
{
    switch (m_kind) {
    case Kind::ResolutionFailed:
        return QStringLiteral("Bookmark resolution failed: ") + m_cause;
    case Kind::NoBookmarkData:
        return QStringLiteral("No bookmark saved");
    case Kind::BookmarkStale:
        return QStringLiteral("Bookmark is stale — folder may have moved or been deleted");
    }
    return {};
}

BookmarkManager::BookmarkManager(Defaults &defaults)
    : m_defaults(defaults)
    , m_log("BookmarkManager")
{ }

QString BookmarkManager::userDefaultsKey()
{
    return DefaultsKey::vaultBookmark;
}

Result<QUrl, BookmarkError> BookmarkManager::resolve()
{
    const std::optional<QByteArray> data = m_defaults.data(userDefaultsKey());
    if (!data)
        return BookmarkError::noBookmarkData();

    const Result<Bookmark::Resolved, QString> resolved = Bookmark::resolve(*data);
    if (!resolved) {
        m_log.error(QStringLiteral("Bookmark resolution failed: %1").arg(resolved.error()));
        return BookmarkError::resolutionFailed(resolved.error());
    }
    const QUrl url = QUrl::fromLocalFile(resolved.value().path);
    if (!resolved.value().stale)
        return url;

    m_log.error(QStringLiteral("Bookmark is stale, attempting to refresh for %1").arg(url.toLocalFile()));
    const Result<void, QString> saved = save(url);
    if (!saved) {
        m_log.error(QStringLiteral("Failed to refresh stale bookmark: %1").arg(saved.error()));
        return BookmarkError::bookmarkStale();
    }
    return url;
}

Result<void, QString> BookmarkManager::save(const QUrl &folder)
{
    if (!folder.isLocalFile())
        return QStringLiteral("“%1” is not a folder on this computer").arg(folder.toDisplayString());
    const Result<QByteArray, QString> data = Bookmark::create(folder.toLocalFile());
    if (!data)
        return data.error();
    m_defaults.setData(userDefaultsKey(), data.value());
    m_log.info(QStringLiteral("Saved bookmark for %1").arg(folder.toLocalFile()));
    return {};
}

void BookmarkManager::clear()
{
    m_defaults.remove(userDefaultsKey());
    m_log.info(QStringLiteral("Cleared bookmark"));
}
