#pragma once

#include "notes/debouncer.h"
#include "notes/notefile.h"
#include "platform/log.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <chrono>

class Clock;
class FileEventStream;

// The program's view of the vault folder: its notes (newest first), its media
// files and the top-level folders that hold notes. The lists are rebuilt by a
// full scan whenever the vault changes on disk (events batched over 0.3 s, then
// debounced by another 0.3 s), when the panel is shown, and after each of the
// manager's own file operations; every rebuild publishes all three lists, each
// with its changed signal, in the order files, media, folders.
//
// A scan runs synchronously from start to publication, so readers never see a
// half-built list. Main thread only.
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
    const QList<NoteFile> &allFiles() const { return m_allFiles; }
    const QList<QUrl> &allMedia() const { return m_allMedia; }
    const QSet<QString> &folders() const { return m_folders; }

    // Switches to another vault (an empty URL: none). Any earlier watch stops;
    // a new vault is scanned and watched even while its folder is missing.
    void setVault(const QUrl &folder);
    void scanVault();
    void startWatching();
    // Stops the watch and drops a pending rescan; nothing at all happens when
    // no watch is running.
    void stopWatching();
    bool isWatching() const { return m_watching; }

    // A batch of file events: rescans once the events have been quiet for
    // rescanDelay.
    void handleFileSystemEvents();

    // Note files are ".md", compared without regard to case; media are images
    // by their extension, whatever kind of item carries it.
    static bool isNoteExtension(const QString &lowerCaseExtension);
    static bool isMediaExtension(const QString &lowerCaseExtension);

Q_SIGNALS:
    void allFilesChanged();
    void allMediaChanged();
    void foldersChanged();

private:
    void publish(QList<NoteFile> files, QList<QUrl> media, QSet<QString> folders);
    QString vaultPath() const;

    FileEventStream &m_events;
    const Clock &m_clock;
    const Log m_log;
    QUrl m_vaultURL;
    bool m_watching = false;
    Debouncer m_debouncer { rescanDelay };
    QHash<QUrl, QDateTime> m_lastWriteTimestamps;
    QHash<QUrl, QDateTime> m_lastLoadedModDates;
    QList<NoteFile> m_allFiles;
    QList<QUrl> m_allMedia;
    QSet<QString> m_folders;
};
