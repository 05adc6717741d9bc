#include "shortcuts/eventstream.h"

namespace GlobalShortcuts {

void EventStream::State::yield(EventType type)
{
    if (ended || (filter && *filter != type))
        return;
    if (!consumer) {
        waiting.append(type);
        return;
    }
    // A copy: the consumer may end the stream, which lets go of it.
    const std::function<void(EventType)> deliver = consumer;
    deliver(type);
}

EventStream &EventStream::operator=(EventStream &&other) noexcept
{
    if (this != &other) {
        end();
        m_state = std::move(other.m_state);
    }
    return *this;
}

EventStream::~EventStream()
{
    end();
}

bool EventStream::isOpen() const
{
    return m_state && !m_state->ended;
}

QList<EventType> EventStream::takeEvents()
{
    return m_state ? std::exchange(m_state->waiting, {}) : QList<EventType>();
}

void EventStream::setConsumer(std::function<void(EventType)> consumer)
{
    if (!isOpen())
        return;
    m_state->consumer = std::move(consumer);
    const std::shared_ptr<State> state = m_state;
    for (const EventType type : takeEvents())
        state->yield(type);
}

void EventStream::end()
{
    if (!isOpen())
        return;
    m_state->ended = true;
    m_state->consumer = nullptr;
    if (m_state->scheduleRemoval)
        std::exchange(m_state->scheduleRemoval, nullptr)();
}

} // namespace GlobalShortcuts
