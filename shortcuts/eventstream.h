#pragma once

#include "shortcuts/name.h"

#include <QList>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace GlobalShortcuts {

// What happened to a Name's shortcut: pressed or released.
enum class EventType { KeyDown, KeyUp };

// One open stream of a Name's presses and releases, as Registry::events()
// hands it out. Events arrive on the main thread, in the order the hot key
// fires; they wait in the stream (without limit) until taken, or go straight
// to the consumer once one is set. The stream is open until the handle ends or
// goes; it never ends by itself.
//
// Opening and ending only schedule work on the main queue (the registry adds
// the stream's sinks, registering the shortcut when needed, and later removes
// them, unregistering it when nothing else needs it), so presses before the
// addition ran are not seen, and a stream ended at once leaves nothing behind.
// Move-only; use the handle on the main thread.
class EventStream
{
public:
    EventStream() = default; // ended
    EventStream(EventStream &&other) noexcept = default;
    EventStream &operator=(EventStream &&other) noexcept;
    EventStream(const EventStream &) = delete;
    EventStream &operator=(const EventStream &) = delete;
    ~EventStream();

    bool isOpen() const;
    // The events that came and were not taken yet, oldest first.
    QList<EventType> takeEvents();
    // Every event from now on (the waiting ones first) goes to `consumer`.
    void setConsumer(std::function<void(EventType)> consumer);
    // Ends the stream: nothing arrives any more, and its sinks are removed.
    void end();

private:
    friend class Registry;
    struct State
    {
        std::optional<EventType> filter; // the typed stream lets only these through
        QList<EventType> waiting;
        std::function<void(EventType)> consumer;
        std::function<void()> scheduleRemoval;
        bool ended = false;

        void yield(EventType type);
    };
    explicit EventStream(std::shared_ptr<State> state)
        : m_state(std::move(state))
    { }

    std::shared_ptr<State> m_state;
};

} // namespace GlobalShortcuts
