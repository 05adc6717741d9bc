#include "notes/notesmanager.h"

#include "platform/clock.h"
#include "platform/fileeventstream.h"
#include "platform/mainqueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringBuilder>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr const char *mediaExtensions[] = { "png", "jpg", "jpeg", "gif", "svg", "webp", "avif" };

struct Entry
{
    QByteArray name;
    unsigned char type;
    QDateTime modified; // notes only
};

// The extension of a file name as the platform sees it: what follows the last
// full stop, unless the stop starts the name.
const char *extensionOf(const char *name)
{
    const char *dot = std::strrchr(name, '.');
    return dot && dot != name ? dot + 1 : "";
}

bool isMedia(const char *extension)
{
    for (const char *media : mediaExtensions) {
        if (::strcasecmp(extension, media) == 0)
            return true;
    }
    return false;
}

QDateTime dateOf(const struct timespec &time)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000, Qt::UTC);
}

// One recursive pass in the order a directory enumerator meets the items: a
// folder's entries by name, each subfolder's contents right after the folder.
// Hidden items and everything inside hidden folders are left out. Symbolic
// links are never followed into, so a link loop can't make the walk endless.
// Only items the walk can read count: an unreadable folder is passed over.
class VaultWalk
{
public:
    // The sizes of the last scan are a good guess at this one's.
    VaultWalk(const QString &vaultPath, qsizetype expectedNotes, qsizetype expectedMedia)
        : m_vaultPath(vaultPath == QLatin1String("/") ? QString() : vaultPath)
    {
        notes.reserve(expectedNotes);
        media.reserve(expectedMedia);
    }

    void run() { walk(QFile::encodeName(m_vaultPath), QString(), std::nullopt); }

    QList<NoteFile> notes;
    QList<QUrl> media;
    QSet<QString> folders;

private:
    // `relative` is the folder's path under the vault ("" at the vault, else
    // ending in "/"): the vault's own path is never searched for in a note's
    // path, so a vault folder name that recurs below it can't confuse the
    // folder a note belongs to.
    void walk(const QByteArray &folder, const QString &relative, const std::optional<QString> &topFolder)
    {
        std::vector<Entry> entries = read(folder);
        for (const Entry &entry : entries) {
            // Qt takes file names on Linux as UTF-8, whatever the locale.
            const QString name = QString::fromUtf8(entry.name);
            const char *extension = extensionOf(entry.name.constData());
            if (isMedia(extension)) {
                media.append(QUrl::fromLocalFile(m_vaultPath % u'/' % relative % name));
            } else if (entry.modified.isValid()) {
                if (topFolder && !m_topFolderCounted) {
                    folders.insert(*topFolder);
                    m_topFolderCounted = true;
                }
                const QUrl url = QUrl::fromLocalFile(m_vaultPath % u'/' % relative % name);
                notes.append(
                    NoteFile { url, name.left(name.lastIndexOf(u'.')), url, topFolder, entry.modified });
            }
            if (entry.type == DT_DIR) {
                if (!topFolder)
                    m_topFolderCounted = false;
                walk(folder % '/' % entry.name, relative % name % u'/', topFolder ? *topFolder : name);
            }
        }
    }

    // A folder's visible entries in name order, with the kind of each and the
    // date of each note. Dates are read relative to the open folder, which
    // spares the kernel a full path lookup per note. The folder is closed
    // before any subfolder is opened, so a deep tree can't run out of handles.
    static std::vector<Entry> read(const QByteArray &folder)
    {
        std::vector<Entry> entries;
        entries.reserve(64);
        DIR *dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
        if (!dir)
            return entries;
        const int fd = ::dirfd(dir);
        while (const dirent *entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue; // ".", ".." and hidden items
            Entry item { QByteArray(entry->d_name), entry->d_type, {} };
            if (item.type == DT_UNKNOWN) {
                struct stat info
                {
                };
                if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                    item.type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_LNK;
            }
            if (item.type == DT_REG && ::strcasecmp(extensionOf(entry->d_name), "md") == 0) {
                // A note whose date can't be read is still a note: it sorts last.
                struct stat info
                {
                };
                item.modified = ::fstatat(fd, entry->d_name, &info, 0) == 0 ? dateOf(info.st_mtim)
                                                                            : NoteFile::distantPast();
            }
            entries.push_back(std::move(item));
        }
        std::sort(
            entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.name < b.name; });
        ::closedir(dir);
        return entries;
    }

    const QString m_vaultPath;
    bool m_topFolderCounted = false; // the current top-level folder is in `folders`
};

// Stable, so notes with equal dates keep the order they were met in. Sorting
// keys and positions, then moving each note once, is several times cheaper
// than comparing and moving the notes themselves.
void sortNewestFirst(QList<NoteFile> &notes)
{
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(notes.size());
    for (qsizetype i = 0; i < notes.size(); ++i)
        order.emplace_back(notes[i].modifiedDate.toMSecsSinceEpoch(), i);
    std::stable_sort(
        order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<NoteFile> sorted;
    sorted.reserve(notes.size());
    for (const auto &[date, index] : order)
        sorted.append(std::move(notes[index]));
    notes = std::move(sorted);
}

} // namespace

NotesManager::NotesManager(FileEventStream &events, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_events(events)
    , m_clock(clock)
    , m_log("NotesManager")
{
    connect(&m_events, &FileEventStream::eventsOccurred, this, &NotesManager::handleFileSystemEvents);
}

NotesManager::~NotesManager()
{
    if (m_watching)
        m_events.stop();
    m_debouncer.cancel();
}

bool NotesManager::isNoteExtension(const QString &lowerCaseExtension)
{
    return lowerCaseExtension == QLatin1String("md");
}

bool NotesManager::isMediaExtension(const QString &lowerCaseExtension)
{
    return isMedia(QFile::encodeName(lowerCaseExtension).constData());
}

QString NotesManager::vaultPath() const
{
    return QDir::cleanPath(m_vaultURL.toLocalFile());
}

void NotesManager::setVault(const QUrl &folder)
{
    stopWatching();
    m_vaultURL = folder;
    if (!m_vaultURL.isEmpty()) {
        scanVault();
        startWatching();
        return;
    }
    publish({}, {}, {});
}

void NotesManager::scanVault()
{
    Q_ASSERT_X(
        MainQueue::isMainThread(), "NotesManager::scanVault", "the vault's lists live on the main thread");
    if (m_vaultURL.isEmpty())
        return;
    const QString path = vaultPath();
    if (!QFileInfo::exists(path)) {
        m_allFiles.clear();
        Q_EMIT allFilesChanged();
        m_folders.clear();
        Q_EMIT foldersChanged();
        m_log.error(QStringLiteral("Vault folder does not exist: %1").arg(path));
        return;
    }

    VaultWalk walk(path, m_allFiles.size(), m_allMedia.size());
    walk.run();
    sortNewestFirst(walk.notes);
    const qsizetype notes = walk.notes.size();
    const qsizetype media = walk.media.size();
    const qsizetype folders = walk.folders.size();
    publish(std::move(walk.notes), std::move(walk.media), std::move(walk.folders));
    m_log.info(
        QStringLiteral("Scanned vault: %1 notes, %2 media in %3 folders").arg(notes).arg(media).arg(folders));
}

void NotesManager::publish(QList<NoteFile> files, QList<QUrl> media, QSet<QString> folders)
{
    m_allFiles = std::move(files);
    Q_EMIT allFilesChanged();
    m_allMedia = std::move(media);
    Q_EMIT allMediaChanged();
    m_folders = std::move(folders);
    Q_EMIT foldersChanged();
}

void NotesManager::startWatching()
{
    if (m_vaultURL.isEmpty())
        return;
    const QString path = vaultPath();
    if (!m_events.start(path, eventLatency)) {
        m_log.error(QStringLiteral("Failed to create FSEvent stream"));
        return;
    }
    m_watching = true;
    m_log.info(QStringLiteral("Started watching vault: %1").arg(path));
}

void NotesManager::stopWatching()
{
    if (!m_watching)
        return;
    m_events.stop();
    m_watching = false;
    m_debouncer.cancel();
    m_log.info(QStringLiteral("Stopped watching vault"));
}

void NotesManager::handleFileSystemEvents()
{
    Q_ASSERT_X(MainQueue::isMainThread(), "NotesManager::handleFileSystemEvents",
        "file events must arrive on the main thread");
    // The manager may be gone by the deadline: the action must not outlive it.
    m_debouncer.schedule([manager = QPointer<NotesManager>(this)] {
        if (manager)
            manager->scanVault();
    });
}
