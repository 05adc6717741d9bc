#include "notes/notesmanager.h"

#include "platform/clock.h"
#include "platform/fileeventstream.h"
#include "platform/fileoperations.h"
#include "platform/mainqueue.h"
#include "platform/paths.h"
#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringBuilder>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <utility>
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

// The file name without its extension, as a listing shows it.
QString baseNameOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.left(dot) : fileName;
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

// QUrl::fromLocalFile, several times cheaper for the paths a scan meets.
// Making a file URL escapes each '%' and then parses the whole path; a path
// without '%' needs no escaping, and a copy of a file URL already made keeps
// its scheme, so only the path is parsed. Paths that could mean anything else
// (a '%', or "//" which names a host) take the general route.
class FileUrls
{
public:
    QUrl operator()(const QString &path) const
    {
        if (path.contains(u'%') || path.startsWith(QLatin1String("//")))
            return QUrl::fromLocalFile(path);
        QUrl url = m_prototype;
        url.setPath(path, QUrl::TolerantMode);
        return url;
    }

private:
    const QUrl m_prototype = QUrl::fromLocalFile(QStringLiteral("/"));
};

// One recursive pass in the order a directory enumerator meets the items: a
// folder's entries by name, each subfolder's contents right after the folder.
// Hidden items and everything inside hidden folders are left out. Symbolic
// links are never followed into, so a link loop can't make the walk endless.
// Only items the walk can read count: an unreadable folder is passed over.
} // namespace

// What the last scan built for each folder's items, by folder, in name order.
// Rescans (every showing of the panel, every burst of file events) mostly meet
// the same items again; reusing their names and URLs spares most of a scan's
// allocations.
struct NotesManager::ScanMemo
{
    struct Item
    {
        QByteArray rawName;
        bool isNote;
        QString name; // a note's title (its name without the extension), else the full name
        QUrl url; // notes and media only
        QString searchKey; // notes only
    };
    QHash<QByteArray, std::vector<Item>> folders;
};

// What one scan found, ready to publish.
struct NotesManager::ScanResult
{
    QString path;
    bool vaultMissing = false;
    QList<NoteFile> notes;
    NoteSearchIndex searchIndex;
    QList<QUrl> media;
    QSet<QString> folders;
    std::shared_ptr<const ScanMemo> memo;
    qsizetype skippedNames = 0;
};

namespace {

class VaultWalk
{
public:
    // The sizes of the last scan are a good guess at this one's. The walk
    // gives up, leaving the lists partial, once `cancelled` is.
    VaultWalk(const QString &vaultPath, const NotesManager::ScanMemo &previous, qsizetype expectedNotes,
        qsizetype expectedMedia, const ui::CancellationToken *cancelled)
        : m_vaultPath(vaultPath == QLatin1String("/") ? QString() : vaultPath)
        , m_previous(previous)
        , m_cancelled(cancelled)
    {
        notes.reserve(expectedNotes);
        searchKeys.reserve(expectedNotes);
        noteFolders.reserve(expectedNotes);
        media.reserve(expectedMedia);
        memo.folders.reserve(previous.folders.size());
    }

    void run() { walk(QFile::encodeName(m_vaultPath), QString(), std::nullopt); }

    QList<NoteFile> notes;
    // In step with `notes`: each one's search key, and its top-level folder as
    // a position in `folderNames` (-1 at the root).
    QList<QString> searchKeys;
    QList<int> noteFolders;
    QList<QUrl> media;
    QStringList folderNames; // the top-level folders that hold notes, in the order met
    NotesManager::ScanMemo memo;
    qsizetype skippedNames = 0; // items, folders included, whose names aren't UTF-8

private:
    using Item = NotesManager::ScanMemo::Item;

    // `relative` is the folder's path under the vault ("" at the vault, else
    // ending in "/"): the vault's own path is never searched for in a note's
    // path, so a vault folder name that recurs below it can't confuse the
    // folder a note belongs to.
    void walk(const QByteArray &folder, const QString &relative, const std::optional<QString> &topFolder)
    {
        if (cancelled())
            return;
        const std::vector<Entry> entries = read(folder);
        const auto remembered = m_previous.folders.constFind(folder);
        const std::vector<Item> *known
            = remembered != m_previous.folders.cend() ? &remembered.value() : nullptr;
        std::size_t next = 0;
        std::vector<Item> items;
        items.reserve(entries.size());

        for (const Entry &entry : entries) {
            const char *extension = extensionOf(entry.name.constData());
            // Only notes carry a date, and no note is also media: most items
            // are notes, so they skip the comparison with every media type.
            const bool isNote = entry.modified.isValid();
            const bool isMediaItem = !isNote && isMedia(extension);
            if (!isMediaItem && !isNote && entry.type != DT_DIR)
                continue;
            // Both lists are in name order: one pass finds the known items.
            while (known && next < known->size() && (*known)[next].rawName < entry.name)
                ++next;
            // A name may have stopped or started being a note since: its
            // remembered name would then be the wrong one of title and name.
            if (known && next < known->size() && (*known)[next].rawName == entry.name
                && (*known)[next].isNote == isNote) {
                items.push_back((*known)[next]);
            } else if (std::optional<Item> made = makeItem(entry, extension, isNote, isMediaItem, relative)) {
                items.push_back(std::move(*made));
            } else {
                ++skippedNames;
                continue;
            }
            // A name known as a folder may have become a file since.
            if (isMediaItem && items.back().url.isEmpty())
                items.back().url = m_fileUrls(m_vaultPath % u'/' % relative % items.back().name);
            const Item &item = items.back();

            if (isMediaItem) {
                media.append(item.url);
            } else if (isNote) {
                if (topFolder && !m_topFolderCounted) {
                    folderNames.append(*topFolder);
                    m_topFolderCounted = true;
                }
                notes.append(NoteFile { item.url, item.name, item.url, topFolder, entry.modified });
                searchKeys.append(item.searchKey);
                noteFolders.append(topFolder ? int(folderNames.size() - 1) : -1);
            }
            if (entry.type == DT_DIR) {
                if (!topFolder)
                    m_topFolderCounted = false;
                const QString name = item.name;
                walk(folder % '/' % entry.name, relative % name % u'/', topFolder ? *topFolder : name);
            }
        }
        memo.folders.insert(folder, std::move(items));
    }

    // Qt takes file names on Linux as UTF-8, whatever the locale. A note's
    // title is decoded on its own and its path made from it, so most items
    // cost one decoded string, not two. A name that isn't UTF-8 would decode
    // with replacement characters into a URL naming another file (or several
    // files naming one URL): such items are left out.
    std::optional<Item> makeItem(const Entry &entry, const char *extension, bool isNote, bool isMediaItem,
        const QString &relative) const
    {
        if (isNote) {
            const std::optional<QString> title
                = decodedName(QByteArrayView(entry.name.constData(), extension - 1 - entry.name.constData()));
            if (!title)
                return std::nullopt;
            return Item { entry.name, true, *title,
                m_fileUrls(m_vaultPath % u'/' % relative % *title % u'.' % QLatin1String(extension)),
                noteSearchKey(*title) };
        }
        const std::optional<QString> name = decodedName(entry.name);
        if (!name)
            return std::nullopt;
        return Item { entry.name, false, *name,
            isMediaItem ? m_fileUrls(m_vaultPath % u'/' % relative % *name) : QUrl(), QString() };
    }

    static std::optional<QString> decodedName(QByteArrayView bytes)
    {
        // Most names are ASCII, which needs no check.
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
            return QString::fromLatin1(bytes);
        QStringDecoder decoder(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString name = decoder.decode(bytes);
        if (decoder.hasError())
            return std::nullopt;
        return name;
    }

    // A folder's visible entries in name order, with the kind of each and the
    // date of each note. Dates are read relative to the open folder, which
    // spares the kernel a full path lookup per note. The folder is closed
    // before any subfolder is opened, so a deep tree can't run out of handles.
    // A cancelled walk stops within a few entries of even a huge folder: the
    // program's end waits for it.
    std::vector<Entry> read(const QByteArray &folder) const
    {
        std::vector<Entry> entries;
        entries.reserve(64);
        DIR *dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
        if (!dir)
            return entries;
        const int fd = ::dirfd(dir);
        while (const dirent *entry = ::readdir(dir)) {
            if (entries.size() % 256 == 255 && cancelled())
                break;
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

    bool cancelled() const { return m_cancelled && m_cancelled->isCancelled(); }

    const QString m_vaultPath;
    const NotesManager::ScanMemo &m_previous;
    const ui::CancellationToken *const m_cancelled;
    const FileUrls m_fileUrls;
    bool m_topFolderCounted = false; // the current top-level folder is in `folderNames`
};

// The file's content modification date, read afresh; none when it can't be read.
std::optional<QDateTime> modificationDate(const QUrl &url)
{
    struct stat info
    {
    };
    if (!url.isLocalFile() || ::stat(QFile::encodeName(url.toLocalFile()).constData(), &info) != 0)
        return std::nullopt;
    return dateOf(info.st_mtim);
}

NoteError systemError(const FileError &error)
{
    return { NoteError::Kind::System, error.errorNumber, error.description };
}

QString fileNameOf(const QUrl &url)
{
    return url.fileName();
}

// The absolute path of a local file URL. Anything else has no place in the
// vault: an empty or relative path would otherwise name the file system's
// root or the working folder, where nothing may be written or moved.
Result<QString, NoteError> localPathOf(const QUrl &url)
{
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    if (!QDir::isAbsolutePath(path))
        return NoteError::notALocalFile(url.toDisplayString());
    return QDir::cleanPath(path);
}

// The folder of a file's path.
QString folderOf(const QString &path)
{
    return QFileInfo(path).path();
}

// Stable, so notes with equal dates keep the order they were met in. Sorting
// dates and positions, then moving each note once, is several times cheaper
// than comparing and moving the notes themselves.
std::vector<qsizetype> newestFirst(const QList<NoteFile> &notes)
{
    std::vector<std::pair<qint64, qsizetype>> dated;
    dated.reserve(notes.size());
    for (qsizetype i = 0; i < notes.size(); ++i)
        dated.emplace_back(notes[i].modifiedDate.toMSecsSinceEpoch(), i);
    std::stable_sort(
        dated.begin(), dated.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::vector<qsizetype> order;
    order.reserve(dated.size());
    for (const auto &[date, index] : dated)
        order.push_back(index);
    return order;
}

template<typename T> void reorder(QList<T> &list, const std::vector<qsizetype> &order)
{
    QList<T> sorted;
    sorted.reserve(list.size());
    for (const qsizetype index : order)
        sorted.append(std::move(list[index]));
    list = std::move(sorted);
}

// Reads only the file system and what it is given, so it runs on any thread.
NotesManager::ScanResult scanAt(const QString &path, const NotesManager::ScanMemo &previous,
    qsizetype expectedNotes, qsizetype expectedMedia, const ui::CancellationToken *cancelled)
{
    NotesManager::ScanResult result;
    result.path = path;
    if (!QFileInfo::exists(path)) {
        result.vaultMissing = true;
        return result;
    }
    VaultWalk walk(path, previous, expectedNotes, expectedMedia, cancelled);
    walk.run();
    const std::vector<qsizetype> order = newestFirst(walk.notes);
    reorder(walk.notes, order);
    qsizetype characters = 0;
    for (const QString &key : std::as_const(walk.searchKeys))
        characters += key.size();
    result.folders = QSet<QString>(walk.folderNames.cbegin(), walk.folderNames.cend());
    result.searchIndex = NoteSearchIndex(std::move(walk.folderNames));
    result.searchIndex.reserve(walk.notes.size(), characters);
    for (const qsizetype index : order)
        result.searchIndex.append(walk.searchKeys[index], walk.noteFolders[index]);
    result.notes = std::move(walk.notes);
    result.media = std::move(walk.media);
    result.memo = std::make_shared<const NotesManager::ScanMemo>(std::move(walk.memo));
    result.skippedNames = walk.skippedNames;
    return result;
}

} // namespace

NotesManager::NotesManager(FileEventStream &events, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_events(events)
    , m_clock(clock)
    , m_log("NotesManager")
    , m_scanMemo(std::make_shared<const ScanMemo>())
{
    connect(&m_events, &FileEventStream::eventsOccurred, this, &NotesManager::handleFileSystemEvents);
    m_scanPool.setMaxThreadCount(1);
}

NotesManager::~NotesManager()
{
    if (m_watching)
        m_events.stop();
    m_debouncer.cancel();
    // A walk under way stops at its next folder: quitting waits for no large vault.
    cancelBackgroundScan();
    m_scanPool.waitForDone();
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
    cancelBackgroundScan();
    m_vaultURL = folder;
    m_scanMemo = std::make_shared<const ScanMemo>();
    if (!m_vaultURL.isEmpty()) {
        scanVault();
        startWatching();
        return;
    }
    m_publishedGeneration = ++m_scanGeneration;
    publish({}, {}, {}, {});
}

void NotesManager::scanVault()
{
    Q_ASSERT_X(
        MainQueue::isMainThread(), "NotesManager::scanVault", "the vault's lists live on the main thread");
    if (m_vaultURL.isEmpty())
        return;
    m_publishedGeneration = ++m_scanGeneration;
    install(scanAt(vaultPath(), *m_scanMemo, m_allFiles.size(), m_allMedia.size(), nullptr));
}

void NotesManager::scanVaultInBackground()
{
    Q_ASSERT_X(MainQueue::isMainThread(), "NotesManager::scanVaultInBackground",
        "the vault's lists live on the main thread");
    if (m_vaultURL.isEmpty())
        return;
    if (m_backgroundScan) {
        // The walk under way may have passed the change that asks again.
        m_scanAgain = true;
        return;
    }
    const quint64 generation = ++m_scanGeneration;
    const ui::CancellationToken token;
    m_backgroundScan = token;
    // The manager outlives the walk (its end waits for it); the result goes
    // back through the main thread's queue, which drops it with the manager.
    m_scanPool.start([this, generation, token, path = vaultPath(), memo = m_scanMemo,
                         notes = m_allFiles.size(), media = m_allMedia.size()] {
        const ScanResult scan = scanAt(path, *memo, notes, media, &token);
        // Cancelled is asked again on the main thread, where it is set: a walk
        // cancelled after it posted must not touch the scan that followed.
        QMetaObject::invokeMethod(
            this,
            [this, generation, token, scan] {
                if (!token.isCancelled())
                    finishBackgroundScan(generation, scan);
            },
            Qt::QueuedConnection);
    });
}

void NotesManager::finishBackgroundScan(quint64 generation, ScanResult scan)
{
    m_backgroundScan.reset();
    if (generation > m_publishedGeneration) {
        m_publishedGeneration = generation;
        install(std::move(scan));
    }
    if (std::exchange(m_scanAgain, false))
        scanVaultInBackground();
}

void NotesManager::cancelBackgroundScan()
{
    // What the cancelled walk posts is dropped: it no longer counts as under way.
    if (m_backgroundScan)
        m_backgroundScan->cancel();
    m_backgroundScan.reset();
    m_scanAgain = false;
}

void NotesManager::install(ScanResult scan)
{
    if (scan.vaultMissing) {
        m_allFiles.clear();
        m_searchIndex = NoteSearchIndex();
        Q_EMIT allFilesChanged();
        m_folders.clear();
        Q_EMIT foldersChanged();
        m_log.error(QStringLiteral("Vault folder does not exist: %1").arg(scan.path));
        return;
    }
    m_scanMemo = std::move(scan.memo);
    const qsizetype notes = scan.notes.size();
    const qsizetype media = scan.media.size();
    const qsizetype folders = scan.folders.size();
    publish(
        std::move(scan.notes), std::move(scan.searchIndex), std::move(scan.media), std::move(scan.folders));
    if (scan.skippedNames > 0)
        m_log.error(
            QStringLiteral("Skipped %1 vault items whose names are not UTF-8").arg(scan.skippedNames));
    m_log.info(
        QStringLiteral("Scanned vault: %1 notes, %2 media in %3 folders").arg(notes).arg(media).arg(folders));
}

void NotesManager::publish(
    QList<NoteFile> files, NoteSearchIndex searchIndex, QList<QUrl> media, QSet<QString> folders)
{
    // Every list is in place before anyone hears of one: a listener that reads two of
    // them (the preview resolves links against the notes and embeds against the media)
    // would otherwise see a half-published scan and do its work twice.
    m_allFiles = std::move(files);
    m_searchIndex = std::move(searchIndex);
    m_allMedia = std::move(media);
    m_folders = std::move(folders);
    Q_EMIT allFilesChanged();
    Q_EMIT allMediaChanged();
    Q_EMIT foldersChanged();
}

void NotesManager::startWatching()
{
    if (m_vaultURL.isEmpty())
        return;
    const QString path = vaultPath();
    if (!m_events.start(path, eventLatency)) {
        m_log.error(QStringLiteral("Failed to create the inotify watch of the vault"));
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
    // Every auto-save raises a batch: walking a large vault here would freeze
    // the typing once per save. Listeners check the open note against the
    // disk when the lists are published, so a change still reaches them then.
    m_debouncer.schedule([manager = QPointer<NotesManager>(this)] {
        if (manager)
            manager->scanVaultInBackground();
    });
}

Result<QUrl, NoteError> NotesManager::createNumbered(
    const QString &folder, const std::function<QString(int)> &nameFor, const QByteArray &bytes)
{
    // Taken names are skipped before writing; one taken meanwhile by another
    // program makes the exclusive create fail, and the next number is tried.
    for (int number = 1;; ++number) {
        const QString path = folder + u'/' + nameFor(number);
        if (FileOperations::existsAt(path))
            continue;
        const Result<void, FileError> created = FileOperations::createWithoutReplacing(path, bytes);
        if (created)
            return QUrl::fromLocalFile(path);
        if (created.error().errorNumber != EEXIST)
            return systemError(created.error());
    }
}

Result<QUrl, NoteError> NotesManager::createNote(const QUrl &folder)
{
    const Result<QString, NoteError> path = localPathOf(folder);
    if (!path)
        return path.error();
    const Result<QUrl, NoteError> created = createNumbered(
        path.value(),
        [](int number) {
            return number == 1 ? QStringLiteral("Untitled.md") : QStringLiteral("Untitled %1.md").arg(number);
        },
        QByteArray());
    if (!created)
        return created;
    m_lastWriteTimestamps.insert(created.value(), m_clock.now());
    scanVault();
    m_log.info(QStringLiteral("Created new note: %1").arg(fileNameOf(created.value())));
    return created;
}

Result<QUrl, NoteError> NotesManager::renameNote(const QUrl &note, const QString &title)
{
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(u'/') || trimmed.contains(QChar(0)) || trimmed.contains(u':'))
        return NoteError::invalidFileName();
    const Result<QString, NoteError> path = localPathOf(note);
    if (!path)
        return path.error();
    const QUrl destination
        = QUrl::fromLocalFile(folderOf(path.value()) + u'/' + trimmed + QStringLiteral(".md"));
    const Result<void, FileError> moved
        = FileOperations::moveWithoutReplacing(path.value(), destination.toLocalFile());
    if (!moved)
        return systemError(moved.error());
    scanVault();
    m_log.info(QStringLiteral("Renamed note: %1 -> %2").arg(fileNameOf(note), fileNameOf(destination)));
    return destination;
}

Result<void, NoteError> NotesManager::deleteNote(const QUrl &note)
{
    const Result<QString, NoteError> path = localPathOf(note);
    if (!path)
        return path.error();
    const Result<void, FileError> trashed = Trash::moveToTrash(path.value());
    if (!trashed)
        return systemError(trashed.error());
    scanVault();
    m_log.info(QStringLiteral("Deleted note: %1").arg(fileNameOf(note)));
    return {};
}

Result<QUrl, NoteError> NotesManager::moveNote(const QUrl &note, const std::optional<QString> &folder)
{
    if (m_vaultURL.isEmpty())
        return NoteError::noPermission();
    // Folders are the vault's top-level folders: a name that climbs out of
    // the vault or into another folder's depth is refused like a bad title.
    if (folder
        && (folder->isEmpty() || *folder == QLatin1String(".") || *folder == QLatin1String("..")
            || folder->contains(u'/') || folder->contains(QChar(0))))
        return NoteError::invalidFileName();
    const Result<QString, NoteError> path = localPathOf(note);
    if (!path)
        return path.error();

    QString target = vaultPath();
    if (folder) {
        target += u'/' + *folder;
        if (!FileOperations::existsAt(target) && !QDir().mkpath(target))
            return NoteError { NoteError::Kind::System, EACCES,
                QStringLiteral("The folder “%1” can’t be created.").arg(*folder) };
    }
    const QUrl destination = QUrl::fromLocalFile(target + u'/' + fileNameOf(note));
    const Result<void, FileError> moved
        = FileOperations::moveWithoutReplacing(path.value(), destination.toLocalFile());
    if (!moved)
        return systemError(moved.error());
    scanVault();
    m_log.info(QStringLiteral("Moved note: %1 -> %2")
                   .arg(fileNameOf(note), folder ? *folder : QStringLiteral("root")));
    return destination;
}

Result<void, NoteError> NotesManager::save(const QString &text, const QUrl &note)
{
    const Result<QString, NoteError> path = localPathOf(note);
    if (!path)
        return path.error();
    // Before the write: the file's new date must fall inside the window.
    m_lastWriteTimestamps.insert(note, m_clock.now());
    const Result<void, FileError> written = FileOperations::writeAtomically(path.value(), text.toUtf8());
    if (!written)
        return systemError(written.error());
    recordLoadedModDate(note);
    m_log.debug(QStringLiteral("Saved note: %1").arg(fileNameOf(note)));
    return {};
}

QList<KeepingPlace> NotesManager::keepingPlaces(
    const QString &notePath, const QString &vaultPath, const QString &recoveryFolder)
{
    const QString folder = folderOf(QDir::cleanPath(notePath));
    const QString vault = vaultPath.isEmpty() ? QString() : QDir::cleanPath(vaultPath);
    // Judged on the cleaned paths: a folder named through ".." is where it leads.
    const bool inVault = !vault.isEmpty() && (folder == vault || folder.startsWith(vault + u'/'));
    QList<KeepingPlace> places { { folder, KeptPlace::NoteFolder, inVault && folder != vault } };
    if (!vault.isEmpty() && folder != vault)
        places.append({ vault, KeptPlace::VaultRoot, false });
    places.append({ QDir::cleanPath(recoveryFolder), KeptPlace::RecoveryFolder, true });
    return places;
}

QString NotesManager::recoveryFolder() const
{
    return m_recoveryFolder.isEmpty() ? Paths::appSupportDir() + QStringLiteral("/Recovered Notes")
                                      : m_recoveryFolder;
}

QStringList NotesManager::recoveredNotes() const
{
    return QDir(recoveryFolder()).entryList({ QStringLiteral("*.md") }, QDir::Files, QDir::Name);
}

Result<SavedAsNew, NoteError> NotesManager::saveAsNew(const QString &text, const QUrl &vanished)
{
    const Result<QString, NoteError> path = localPathOf(vanished);
    if (!path)
        return path.error();
    const QString base = baseNameOf(fileNameOf(vanished));
    const QByteArray bytes = text.toUtf8();
    // Outside the vault nothing tells one recovered note from another but its
    // name: the time it was kept goes into it.
    const QString stamp = m_clock.now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    const auto besideName
        = [&base](int number) { return QStringLiteral("%1 (%2).md").arg(base).arg(number + 1); };
    const auto recoveryName = [&base, &stamp](int number) {
        return number == 1 ? QStringLiteral("%1 %2.md").arg(base, stamp)
                           : QStringLiteral("%1 %2 (%3).md").arg(base, stamp).arg(number);
    };
    std::optional<NoteError> failure;
    for (const KeepingPlace &place :
        keepingPlaces(path.value(), m_vaultURL.isEmpty() ? QString() : vaultPath(), recoveryFolder())) {
        KeptPlace kept = place.place;
        if (!QFileInfo(place.folder).isDir()) {
            // A folder of the vault is made again only inside a vault that is there:
            // a vault that is gone is not brought back by a note's folder.
            const bool mayCreate
                = place.mayCreate && (place.place != KeptPlace::NoteFolder || QFileInfo(vaultPath()).isDir());
            if (!mayCreate || FileOperations::existsAt(place.folder) || !QDir().mkpath(place.folder)) {
                if (!failure)
                    failure = NoteError { NoteError::Kind::System, ENOENT,
                        QStringLiteral("The folder “%1” doesn’t exist.").arg(place.folder) };
                continue;
            }
            if (kept == KeptPlace::NoteFolder)
                kept = KeptPlace::RecreatedFolder;
        }
        const Result<QUrl, NoteError> created = kept == KeptPlace::RecoveryFolder
            ? createNumbered(place.folder, recoveryName, bytes)
            : createNumbered(place.folder, besideName, bytes);
        if (!created) {
            // The first refusal says most about why the note itself could not be kept.
            if (!failure)
                failure = created.error();
            continue;
        }
        m_lastWriteTimestamps.insert(created.value(), m_clock.now());
        scanVault();
        m_log.info(QStringLiteral("Saved as new: %1").arg(fileNameOf(created.value())));
        return SavedAsNew { created.value(), kept };
    }
    return *failure;
}

Result<QString, NoteError> NotesManager::readNote(const QUrl &note) const
{
    QFile file(note.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return NoteError { NoteError::Kind::System, file.exists() ? EACCES : ENOENT, file.errorString() };
    // Never more than the limit and one byte, also from a file that grows meanwhile.
    const QByteArray bytes = file.size() > maxNoteBytes ? QByteArray() : file.read(file.size() + 1);
    if (file.size() > maxNoteBytes || bytes.size() > maxNoteBytes)
        return NoteError { NoteError::Kind::TooLarge, EFBIG,
            QStringLiteral("“%1” is too large to open here.").arg(fileNameOf(note)) };
    if (file.error() != QFileDevice::NoError)
        return NoteError { NoteError::Kind::System, EIO, file.errorString() };
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return NoteError { NoteError::Kind::InvalidText, 0,
            QStringLiteral("“%1” isn’t UTF-8 text.").arg(fileNameOf(note)) };
    return text;
}

void NotesManager::recordLoadedModDate(const QUrl &note)
{
    if (const std::optional<QDateTime> date = modificationDate(note))
        m_lastLoadedModDates.insert(note, *date);
}

bool NotesManager::isRecentOwnWrite(const QUrl &note) const
{
    const auto written = m_lastWriteTimestamps.constFind(note);
    if (written == m_lastWriteTimestamps.cend())
        return false;
    const std::optional<QDateTime> date = modificationDate(note);
    if (!date)
        return false;
    return std::abs(date->msecsTo(written.value())) < ownWriteWindow.count();
}

std::optional<NoteFileStatus> NotesManager::checkFileStatus(const QUrl &note) const
{
    const auto loaded = m_lastLoadedModDates.constFind(note);
    if (loaded == m_lastLoadedModDates.cend())
        return std::nullopt;
    if (!FileOperations::existsAt(note.toLocalFile()))
        return NoteFileStatus::Deleted;
    const std::optional<QDateTime> date = modificationDate(note);
    if (!date || *date == loaded.value() || isRecentOwnWrite(note))
        return std::nullopt;
    return NoteFileStatus::ModifiedExternally;
}
