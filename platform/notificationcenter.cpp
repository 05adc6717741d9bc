#include "platform/notificationcenter.h"

#include <vector>

NotificationToken::NotificationToken(NotificationToken &&other) noexcept
    : m_center(std::move(other.m_center))
    , m_id(std::exchange(other.m_id, 0))
{ }

NotificationToken &NotificationToken::operator=(NotificationToken &&other) noexcept
{
    if (this != &other) {
        reset();
        m_center = std::move(other.m_center);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

NotificationToken::~NotificationToken()
{
    reset();
}

void NotificationToken::reset()
{
    if (m_id == 0)
        return;
    if (auto center = m_center.lock())
        (*center)->removeObserver(m_id);
    m_id = 0;
    m_center.reset();
}

NotificationCenter::NotificationCenter()
    : m_self(std::make_shared<NotificationCenter *>(this))
{ }

NotificationCenter::~NotificationCenter() = default;

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter *instance = new NotificationCenter;
    return *instance;
}

NotificationToken NotificationCenter::addObserver(const QString &name, Observer observer)
{
    const quint64 id = m_nextId++;
    m_observers.emplace(id, Entry { name, std::make_shared<Observer>(std::move(observer)) });
    return NotificationToken(m_self, id);
}

void NotificationCenter::removeObserver(quint64 id)
{
    m_observers.erase(id);
}

void NotificationCenter::post(const QString &name, const QVariantMap &userInfo)
{
    // Snapshot first: an observer may remove itself or others while it runs.
    std::vector<std::pair<quint64, std::shared_ptr<Observer>>> targets;
    for (const auto &[id, entry] : m_observers) {
        if (entry.name == name)
            targets.emplace_back(id, entry.observer);
    }
    const Notification notification { name, userInfo };
    for (const auto &[id, observer] : targets) {
        if (m_observers.count(id))
            (*observer)(notification);
    }
}

int NotificationCenter::observerCount(const QString &name) const
{
    int count = 0;
    for (const auto &[id, entry] : m_observers)
        count += entry.name == name ? 1 : 0;
    return count;
}
