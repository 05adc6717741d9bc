#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

// Watches a folder and everything under it for changes made by any program.
// Changes are not reported one by one: the first change after a quiet spell
// starts the latency, and when it has passed one eventsOccurred() reports
// everything seen meanwhile. The listener rescans what it needs; the batch
// says only that something under the folder changed (it may have been
// created, written, renamed, deleted, or the watch may have lost events).
//
// The folder itself may vanish and come back while watched: both are changes.
// A missing folder can be watched; its appearance is a change.
//
// Lives on the main thread; eventsOccurred() is emitted there.
class FileEventStream : public QObject
{
    Q_OBJECT
public:
    explicit FileEventStream(QObject *parent = nullptr);
    ~FileEventStream() override;

    // Stops any earlier watch first. False, with errorString(), when the watch
    // can't be set up at all; nothing is watched then. A watch that covers
    // only part of the tree (the system's watch limit) still starts and says
    // so in the log.
    bool start(const QString &path, std::chrono::milliseconds latency);
    // Drops the watch and any batch not yet reported. Safe when not running.
    void stop();

    bool isRunning() const { return m_running; }
    QString path() const { return m_path; }
    QString errorString() const { return m_errorString; }

Q_SIGNALS:
    void eventsOccurred();

protected:
    virtual bool startWatching(const QString &path, QString *errorString) = 0;
    virtual void stopWatching() = 0;

    // Backends call this for every change they see; batching is done here.
    void noteChange();

private:
    QTimer m_latency;
    QString m_path;
    QString m_errorString;
    bool m_running = false;
};
