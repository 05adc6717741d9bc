#pragma once

#include "clipboard/clipboarditem.h"
#include "clipboard/clipboardstore.h"
#include "platform/log.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class Clock;
class ClipboardStoreWriter;
class Pasteboard;
class PasteboardReader;

// Turns what other programs copy into clipboard history entries, writes entries
// back, and keeps the history trimmed. One instance lives for the whole program.
//
// Who calls what:
// - The shared state creates it with the store, the pasteboard and the
//   "historyLimit" setting (read into 50…1000; 200 when not positive), sets
//   skipSensitiveItems from "skipSensitiveItems" right after and on every change
//   of either setting, and sets onSensitiveStateChanged to mirror the value for
//   the pane's banner. At shutdown it calls stopPolling() and saveContext().
// - Start-up sets onPersistenceFailure (the one "Clipboard history can't be
//   saved" alert), then calls backfillContentHashes() and startPolling().
// - The clipboard pane calls copyToPasteboard() and clearAll(), changes entries
//   through modelContext(), and saves them with saveContext(). The settings
//   form calls clearAll().
//
// The first failed fetch or save rolls back, stops capture for the rest of the
// run and reaches onPersistenceFailure; later failures are logged and rolled back.
//
// The manager lives on the main thread, and so do the poll, the capture rules and
// every change of the store. Where the pasteboard offers a reader for another
// thread, what can block or take long runs on a thread of the manager's own:
// asking the owner for the content, hashing it, making the PNG, and writing a
// large new entry. One change is worked on at a time: a poll that finds it still
// in hand does nothing, and the next poll sees whatever changed meanwhile, so
// results land in the order the changes happened.
class ClipboardManager : public QObject
{
    Q_OBJECT
public:
    // `store` and `pasteboard` outlive the manager. Whatever is on the pasteboard
    // now is never captured.
    ClipboardManager(ClipboardStore &store, Pasteboard &pasteboard, int historyLimit, const Clock &clock,
        QObject *parent = nullptr);
    ClipboardManager(
        ClipboardStore &store, Pasteboard &pasteboard, int historyLimit, QObject *parent = nullptr);
    ~ClipboardManager() override;

    ClipboardStore &modelContext() const { return m_store; }

    // Polls twice a second; does nothing but log once capture has failed.
    void startPolling();
    void stopPolling();
    bool isPolling() const { return m_timer.isActive(); }

    // One poll: captures the pasteboard's content when it changed since the last poll.
    void checkPasteboard();
    // A change is being read or written off the main thread; polls do nothing meanwhile.
    bool isCaptureInFlight() const { return m_captureInFlight; }

    // Writes the entry to the pasteboard (the next change is taken for this write
    // and not captured) and moves it to the top, saved at once.
    void copyToPasteboard(const ClipboardItem &item);
    // The same for the entry stored under `id`, read afresh with its payload;
    // false when it is gone or can't be read (then reported).
    bool copyToPasteboard(const QUuid &id);
    // Deletes every entry, pinned ones included, and saves.
    void clearAll();
    // Gives every stored entry without a content hash its hash, and saves.
    void backfillContentHashes();

    // Logs, rolls back unsaved changes, and on the first failure of the run stops
    // capture and calls onPersistenceFailure.
    void reportPersistenceFailure(const StoreError &error, const QString &operation);
    // Saves the store; a failure is reported as a failed "save", and false.
    bool saveContext();
    bool hasReportedPersistenceFailure() const { return m_hasReportedPersistenceFailure; }

    // Unpinned entries kept; used by the next trim, which follows the next new entry.
    int historyLimit() const { return m_historyLimit; }
    void setHistoryLimit(int limit);

    bool skipSensitiveItems() const { return m_skipSensitiveItems; }
    void setSkipSensitiveItems(bool skip) { m_skipSensitiveItems = skip; }
    bool lastItemWasSensitive() const { return m_lastItemWasSensitive; }

    // Called with every change seen (not only when the value flips): whether it was
    // skipped as concealed.
    std::function<void(bool)> onSensitiveStateChanged;
    // Called once, at the first persistence failure of the run.
    std::function<void(const StoreError &)> onPersistenceFailure;

Q_SIGNALS:
    void historyLimitChanged(int limit);

private:
    struct NewEntry
    {
        ContentType contentType = ContentType::Text;
        QByteArray data;
        QString preview;
        std::optional<QByteArray> rtfData;
        std::optional<QByteArray> htmlData;
    };
    struct FileEntry
    {
        QByteArray data;
        QString hash;
        QString name;
    };
    // One change as read and prepared, on whichever thread read it.
    struct Capture
    {
        enum class Kind { Nothing, Sensitive, Files, Entry };
        Kind kind = Kind::Nothing;
        QList<FileEntry> files;
        NewEntry entry;
        QString hash;
        QString duplicateMessage;
        QString capturedMessage;
    };

    static Capture readCapture(PasteboardReader &reader, bool skipSensitiveItems);
    static std::optional<Capture> readRichText(PasteboardReader &reader);
    static std::optional<Capture> readImage(const QImage &image);
    static std::optional<Capture> readText(const QString &string);
    void readOffThread(std::shared_ptr<PasteboardReader> reader);
    void applyCapture(Capture capture);
    void finishCapture();

    void setSensitive(bool sensitive);
    void captureFiles(const QList<FileEntry> &files);
    // The shared end of the text, rich-text and image paths: bump a duplicate or
    // insert, trim and save.
    void storeEntry(Capture capture);
    // The same insert, trim and save through a connection of its own, off this thread.
    void storeOffThread(ClipboardItem item, QString capturedMessage);
    std::optional<ClipboardItem> findItemByHash(const QString &hash);
    bool pruneHistory();
    void writeToPasteboard(const ClipboardItem &entry);

    const Log m_log { "ClipboardManager" };
    ClipboardStore &m_store;
    Pasteboard &m_pasteboard;
    const Clock &m_clock;
    int m_lastChangeCount;
    QTimer m_timer;
    bool m_selfCopyFlag = false;
    bool m_hasReportedPersistenceFailure = false;
    int m_historyLimit;
    bool m_lastItemWasSensitive = false;
    bool m_skipSensitiveItems = true;

    bool m_captureInFlight = false; // only ever for a change read through a reader of another thread
    std::shared_ptr<PasteboardReader> m_reader; // while one reads
    std::shared_ptr<ClipboardStoreWriter> m_writer; // opened on the worker at its first large entry
    QThreadPool m_worker; // one thread: changes are handled one at a time
};
