#pragma once

#include "notes/debouncer.h"
#include "notes/noteerror.h"
#include "notes/notefile.h"
#include "notes/notesearchindex.h"
#include "platform/log.h"
#include "platform/result.h"
#include "ui/cancellation.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class FileEventStream;

// Where text that its note could not take was written instead.
enum class KeptPlace {
    NoteFolder, // beside the note
    RecreatedFolder, // beside the note, in its folder made again
    VaultRoot, // at the vault's top level
    RecoveryFolder, // outside the vault, in the program's recovery folder
};

struct SavedAsNew
{
    QUrl url;
    KeptPlace place = KeptPlace::NoteFolder;
};

// One place saveAsNew tries: a folder, and whether it is made when missing.
struct KeepingPlace
{
    QString folder;
    KeptPlace place = KeptPlace::NoteFolder;
    bool mayCreate = false;

    bool operator==(const KeepingPlace &) const = default;
};

// The program's view of the vault folder: its notes (newest first), its media
// files and the top-level folders that hold notes. The lists are rebuilt by a
// full scan whenever the vault changes on disk (events batched over 0.3 s, then
// debounced by another 0.3 s), when the panel is shown, and after each of the
// manager's own file operations; every rebuild publishes all three lists, each
// with its changed signal, in the order files, media, folders.
//
// Readers never see a half-built list: a scan publishes everything at once, on
// the main thread. The rescans of a showing and of file events walk the vault on
// a thread of its own, so neither the panel's first frame nor typing (each save
// raises file events) waits for a large vault; the operations' rescans stay
// synchronous, as their callers read the lists at once. Main thread only.
class NotesManager : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds eventLatency { 300 };
    static constexpr std::chrono::milliseconds rescanDelay { 300 };

    // `events` and `clock` outlive the manager; the manager starts and stops
    // `events` and is its only user.
    explicit NotesManager(FileEventStream &events, const Clock &clock, QObject *parent = nullptr);
    ~NotesManager() override;

    // The vault folder as it was given; empty when there is none.
    QUrl vaultURL() const { return m_vaultURL; }
    // The lists as values: every operation rescans and replaces them, so a
    // reference kept across one would read freed memory. A copy shares the
    // data and costs nothing; it is const so that a range-for over it never
    // detaches into a deep copy.
    const QList<NoteFile> allFiles() const { return m_allFiles; }
    // What the search filter compares, in step with allFiles. Each name's key
    // is made once, when a scan first meets the name.
    NoteSearchIndex searchIndex() const { return m_searchIndex; }
    const QList<QUrl> allMedia() const { return m_allMedia; }
    const QSet<QString> folders() const { return m_folders; }

    // Switches to another vault (an empty URL: none). Any earlier watch stops;
    // a new vault is scanned and watched even while its folder is missing.
    void setVault(const QUrl &folder);
    void scanVault();
    // A rescan that walks the vault off the main thread and publishes on it
    // later; the lists stay as they were meanwhile. Whatever scan starts after
    // it (an operation's, a new vault's) wins: a result older than what is
    // published is dropped. Asked again while one runs, another follows it.
    void scanVaultInBackground();
    // From scanVaultInBackground() until its result is published or dropped.
    bool isScanningInBackground() const { return m_backgroundScan.has_value(); }
    void startWatching();
    // Stops the watch and drops a pending rescan; nothing at all happens when
    // no watch is running.
    void stopWatching();
    bool isWatching() const { return m_watching; }

    // A batch of file events: rescans in the background once the events have
    // been quiet for rescanDelay.
    void handleFileSystemEvents();

    // Every change the program makes to the vault's files goes through here.
    // Operations that change the set of files rescan before they return, so
    // allFiles() is current; a failed one changes nothing, logs nothing and
    // rescans nothing. Nothing ever replaces an existing file except save().

    // Creates an empty "Untitled.md" in `folder` ("Untitled 2.md", "Untitled
    // 3.md"… when taken) and returns its URL.
    Result<QUrl, NoteError> createNote(const QUrl &folder);
    // Renames the note to the title, trimmed, plus ".md", in its folder.
    Result<QUrl, NoteError> renameNote(const QUrl &note, const QString &title);
    // Moves the note into the Trash, from where the desktop can restore it.
    Result<void, NoteError> deleteNote(const QUrl &note);
    // Moves the note into the vault's top-level `folder` (created when
    // missing), or to the vault itself when `folder` is none.
    Result<QUrl, NoteError> moveNote(const QUrl &note, const std::optional<QString> &folder);
    // Replaces the note's text atomically; on failure the old bytes stay.
    Result<void, NoteError> save(const QString &text, const QUrl &note);
    // Writes text that its note can't take (the note vanished, or refuses the
    // write) as a new note, in the first of these places that takes it:
    // - beside the note, as "<name> (2).md" (3, 4… when taken); a folder of the
    //   vault that is gone is made again first, one outside the vault never is;
    // - at the vault's top level, under the same name;
    // - in the recovery folder, as "<name> <date and time>.md".
    // Fails only when none of them takes it: it never answers without a file written.
    Result<SavedAsNew, NoteError> saveAsNew(const QString &text, const QUrl &vanished);
    // The places saveAsNew tries for a note at `notePath`, in order. Pure.
    static QList<KeepingPlace> keepingPlaces(
        const QString &notePath, const QString &vaultPath, const QString &recoveryFolder);
    // Where text that no place in the vault takes is kept: a folder of the
    // program's data folder, made when first needed. Tests may point it elsewhere.
    QString recoveryFolder() const;
    void setRecoveryFolder(const QString &folder) { m_recoveryFolder = folder; }
    // The notes waiting in the recovery folder, by file name.
    QStringList recoveredNotes() const;

    // Notes larger than this are never read: the editor and the preview hold a
    // note several times over (as UTF-16 text, as the editor's lines, as laid-out
    // preview text), so one note of a few hundred MB freezes the panel for
    // seconds and takes gigabytes. Up to this size a note still opens within
    // about a second on the main thread, and its preview within a few on a worker.
    static constexpr qint64 maxNoteBytes = 8 * 1024 * 1024;
    // The note's text. Fails on anything that isn't valid UTF-8, which is never
    // turned into replacement characters, and, without reading it, on a note
    // larger than maxNoteBytes (TooLarge).
    Result<QString, NoteError> readNote(const QUrl &note) const;

    // Change detection: the program's own writes change a note's date too, so
    // the date a note had when loaded, and when the program last wrote it, are
    // kept per URL (for the whole run, never persisted).
    static constexpr std::chrono::milliseconds ownWriteWindow { 2000 };
    void recordLoadedModDate(const QUrl &note);
    // The note's current date lies within ownWriteWindow of the program's
    // last write of it.
    bool isRecentOwnWrite(const QUrl &note) const;
    // Changed or deleted by someone else since it was loaded; none when
    // unchanged, never loaded, or its date can't be read.
    std::optional<NoteFileStatus> checkFileStatus(const QUrl &note) const;

    // Note files are ".md", compared without regard to case; media are images
    // by their extension, whatever kind of item carries it.
    static bool isNoteExtension(const QString &lowerCaseExtension);
    static bool isMediaExtension(const QString &lowerCaseExtension);

    struct ScanMemo;
    struct ScanResult;

Q_SIGNALS:
    void allFilesChanged();
    void allMediaChanged();
    void foldersChanged();

private:
    void publish(
        QList<NoteFile> files, NoteSearchIndex searchIndex, QList<QUrl> media, QSet<QString> folders);
    void install(ScanResult scan);
    void finishBackgroundScan(quint64 generation, ScanResult scan);
    void cancelBackgroundScan();
    QString vaultPath() const;
    Result<QUrl, NoteError> createNumbered(
        const QString &folder, const std::function<QString(int)> &nameFor, const QByteArray &bytes);

    FileEventStream &m_events;
    const Clock &m_clock;
    const Log m_log;
    QUrl m_vaultURL;
    QString m_recoveryFolder;
    bool m_watching = false;
    Debouncer m_debouncer { rescanDelay };
    QHash<QUrl, QDateTime> m_lastWriteTimestamps;
    QHash<QUrl, QDateTime> m_lastLoadedModDates;
    QList<NoteFile> m_allFiles;
    NoteSearchIndex m_searchIndex;
    QList<QUrl> m_allMedia;
    QSet<QString> m_folders;
    // Shared with a background walk, which reads it while a scan on the main
    // thread may replace it: never changed in place.
    std::shared_ptr<const ScanMemo> m_scanMemo;
    // Every scan takes the next number; a result is published only when no
    // later-started scan's result has been.
    quint64 m_scanGeneration = 0;
    quint64 m_publishedGeneration = 0;
    // The background scan under way: cancelled to stop it early (a new vault,
    // the end of the manager or of the program).
    std::optional<ui::CancellationToken> m_backgroundScan;
    bool m_scanAgain = false;
    QThreadPool m_scanPool;
};
