#pragma once

#include "platform/hotkeygrabber.h"

#include <QHash>
#include <QSet>

#include <utility>

// Keeps grabs in memory. A test refuses a combination with refuse() and plays
// presses and releases with press()/release(), which reach the signals only
// while the combination is grabbed, as a real server would; loseGrab() plays a
// grab that a keymap change took away.
class FakeHotKeyGrabber final : public HotKeyGrabber
{
    Q_OBJECT
public:
    using Combination = std::pair<qint64, qint64>;
    using HotKeyGrabber::HotKeyGrabber;

    int grab(qint64 keyCode, qint64 carbonModifiers) override
    {
        ++m_grabAttempts;
        const Combination combination { keyCode, carbonModifiers };
        if (const int status = m_refused.value(combination, 0); status != 0)
            return status;
        m_grabbed.insert(combination);
        return 0;
    }

    void ungrab(qint64 keyCode, qint64 carbonModifiers) override
    {
        ++m_ungrabs;
        m_grabbed.remove({ keyCode, carbonModifiers });
    }

    int probe(qint64 keyCode, qint64 carbonModifiers) override
    {
        ++m_probes;
        const Combination combination { keyCode, carbonModifiers };
        return m_grabbed.contains(combination) ? 0 : m_refused.value(combination, 0);
    }

    void refuse(qint64 keyCode, qint64 carbonModifiers, int status = heldByAnotherClient)
    {
        m_refused.insert({ keyCode, carbonModifiers }, status);
    }
    void allow(qint64 keyCode, qint64 carbonModifiers) { m_refused.remove({ keyCode, carbonModifiers }); }

    bool isGrabbed(qint64 keyCode, qint64 carbonModifiers) const
    {
        return m_grabbed.contains({ keyCode, carbonModifiers });
    }
    int grabbedCount() const { return int(m_grabbed.size()); }
    int grabAttempts() const { return m_grabAttempts; }
    int ungrabs() const { return m_ungrabs; }
    int probes() const { return m_probes; }

    void press(qint64 keyCode, qint64 carbonModifiers)
    {
        if (isGrabbed(keyCode, carbonModifiers))
            Q_EMIT pressed(keyCode, carbonModifiers);
    }
    void release(qint64 keyCode, qint64 carbonModifiers)
    {
        if (isGrabbed(keyCode, carbonModifiers))
            Q_EMIT released(keyCode, carbonModifiers);
    }
    // As after a keymap change that the grab did not survive.
    void loseGrab(qint64 keyCode, qint64 carbonModifiers, int status = heldByAnotherClient)
    {
        if (m_grabbed.remove({ keyCode, carbonModifiers }))
            Q_EMIT lost(keyCode, carbonModifiers, status);
    }

private:
    QSet<Combination> m_grabbed;
    QHash<Combination, int> m_refused;
    int m_grabAttempts = 0;
    int m_ungrabs = 0;
    int m_probes = 0;
};
