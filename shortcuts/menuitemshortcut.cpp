#include "shortcuts/menuitemshortcut.h"

#include "platform/mainqueue.h"
#include "platform/notificationcenter.h"
#include "shortcuts/registry.h"

#include <QAction>
#include <QPointer>

namespace GlobalShortcuts {

namespace {

// The action's one follower, a child it owns, found again by its object name.
const QString followerName = QStringLiteral("GlobalShortcuts_changeObserver");

class Follower final : public QObject
{
public:
    Follower(QAction &action, const Name &name, NotificationToken token)
        : QObject(&action)
        , name(name)
        , token(std::move(token))
    {
        setObjectName(followerName);
    }

    const Name name;
    NotificationToken token;
};

Follower *followerOf(const QAction &action)
{
    return action.findChild<Follower *>(followerName, Qt::FindDirectChildrenOnly);
}

} // namespace

void setShortcut(QAction &action, const std::optional<Shortcut> &shortcut)
{
    // A key the action can't carry (a keypad key) shows as none.
    const std::optional<QKeySequence> sequence = shortcut ? shortcut->keySequence() : std::nullopt;
    action.setShortcut(sequence.value_or(QKeySequence()));
}

void setShortcut(QAction &action, Registry &registry, const std::optional<Name> &name)
{
    delete followerOf(action);
    if (!name) {
        setShortcut(action, std::optional<Shortcut>());
        return;
    }
    setShortcut(action, registry.shortcut(*name));
    QPointer<QAction> target(&action);
    QPointer<Registry> source(&registry);
    NotificationToken token = registry.notifications().addObserver(
        shortcutByNameDidChange, [target, source, followed = *name](const Notification &notification) {
            if (!isShortcutChangeOf(notification, followed))
                return;
            // Shown on a later turn, read afresh then.
            MainQueue::async([target, source, followed] {
                const Follower *follower = target ? followerOf(*target) : nullptr;
                if (follower && source && follower->name == followed)
                    setShortcut(*target, source->shortcut(follower->name));
            });
        });
    new Follower(action, *name, std::move(token));
}

std::optional<Name> followedName(const QAction &action)
{
    if (const Follower *follower = followerOf(action))
        return follower->name;
    return std::nullopt;
}

} // namespace GlobalShortcuts
