#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>
#include <map>
#include <memory>

struct Notification
{
    QString name;
    QVariantMap userInfo;
};

class NotificationCenter;

// Keeps one observer registered; destroying (or reset()) removes it.
class NotificationToken
{
public:
    NotificationToken() = default;
    NotificationToken(NotificationToken &&other) noexcept;
    NotificationToken &operator=(NotificationToken &&other) noexcept;
    NotificationToken(const NotificationToken &) = delete;
    NotificationToken &operator=(const NotificationToken &) = delete;
    ~NotificationToken();

    void reset();
    bool isValid() const { return m_id != 0; }

private:
    friend class NotificationCenter;
    NotificationToken(std::weak_ptr<NotificationCenter *> center, quint64 id)
        : m_center(std::move(center))
        , m_id(id)
    { }

    std::weak_ptr<NotificationCenter *> m_center;
    quint64 m_id = 0;
};

// Program-wide named notifications. Posting calls every observer of the name
// synchronously, in the order they were added, on the posting thread; observers
// may add or remove observers while being called. Main thread only.
class NotificationCenter
{
public:
    using Observer = std::function<void(const Notification &)>;

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    static NotificationCenter &defaultCenter();

    [[nodiscard]] NotificationToken addObserver(const QString &name, Observer observer);
    void post(const QString &name, const QVariantMap &userInfo = {});

    int observerCount(const QString &name) const;

private:
    friend class NotificationToken;
    void removeObserver(quint64 id);

    struct Entry
    {
        QString name;
        std::shared_ptr<Observer> observer;
    };
    std::map<quint64, Entry> m_observers;
    quint64 m_nextId = 1;
    std::shared_ptr<NotificationCenter *> m_self;
};

// The names the program posts.
namespace NotificationName {
inline const QString dismissHUD = QStringLiteral("com.quorvane.dismissHUD");
} // namespace NotificationName
