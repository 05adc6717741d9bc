#include "platform/fileeventstream.h"

FileEventStream::FileEventStream(QObject *parent)
    : QObject(parent)
{
    m_latency.setSingleShot(true);
    m_latency.setTimerType(Qt::PreciseTimer);
    connect(&m_latency, &QTimer::timeout, this, &FileEventStream::eventsOccurred);
}

FileEventStream::~FileEventStream() = default;

bool FileEventStream::start(const QString &path, std::chrono::milliseconds latency)
{
    stop();
    m_errorString.clear();
    m_latency.setInterval(latency);
    if (!startWatching(path, &m_errorString))
        return false;
    m_path = path;
    m_running = true;
    return true;
}

void FileEventStream::stop()
{
    if (!m_running)
        return;
    stopWatching();
    m_latency.stop();
    m_running = false;
    m_path.clear();
}

void FileEventStream::noteChange()
{
    // Measured from the first change, so a steady trickle of writes is still
    // reported once per latency instead of never.
    if (m_running && !m_latency.isActive())
        m_latency.start();
}
