#include "platform/instancelock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::InstanceLock(const QString &path)
    : m_path(path)
{ }

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing releases the lock
}

bool InstanceLock::open()
{
    if (m_fd >= 0)
        return true;
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        m_errorString = QString::fromLocal8Bit(std::strerror(errno));
    return m_fd >= 0;
}

bool InstanceLock::tryLock()
{
    if (m_locked)
        return true;
    if (!open())
        return false;
    m_locked = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    if (!m_locked)
        m_errorString = QStringLiteral("held by another process");
    return m_locked;
}

bool InstanceLock::lock(std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    while (!tryLock()) {
        if (m_fd < 0 || deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}
