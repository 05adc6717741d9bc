#pragma once

#include <QString>

#include <chrono>

// One running program per store: an advisory lock (flock) on a file beside it. The
// lock goes with the process, however it ends, and is not inherited by programs it
// starts. Main thread only.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &path);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // False when another process holds it (or the file can't be opened: errorString()).
    bool tryLock();
    // Waits up to `timeout` for a holder to go: a relaunched program starts while the
    // old one is still shutting down.
    bool lock(std::chrono::milliseconds timeout);
    bool isLocked() const { return m_fd >= 0 && m_locked; }
    // False when the lock file could not be opened: then nobody can be told apart.
    bool isOpen() const { return m_fd >= 0; }
    QString errorString() const { return m_errorString; }

private:
    bool open();

    QString m_path;
    QString m_errorString;
    int m_fd = -1;
    bool m_locked = false;
};
