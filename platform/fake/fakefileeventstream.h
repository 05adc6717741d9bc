#pragma once

#include "platform/fileeventstream.h"

// A stream that sees nothing by itself: tests report changes through it.
class FakeFileEventStream final : public FileEventStream
{
    Q_OBJECT
public:
    using FileEventStream::FileEventStream;
    ~FakeFileEventStream() override { stop(); }

    // One change, batched over the latency like a real backend's.
    void reportChange() { noteChange(); }
    // A batch delivered at once, as if the latency had just passed.
    void deliverBatch() { Q_EMIT eventsOccurred(); }

    void failNextStart() { m_failNextStart = true; }
    int starts() const { return m_starts; }
    int stops() const { return m_stops; }

protected:
    bool startWatching(const QString &, QString *errorString) override
    {
        if (m_failNextStart) {
            m_failNextStart = false;
            *errorString = QStringLiteral("Watching failed on purpose");
            return false;
        }
        ++m_starts;
        return true;
    }
    void stopWatching() override { ++m_stops; }

private:
    bool m_failNextStart = false;
    int m_starts = 0;
    int m_stops = 0;
};
