#include "platform/notificationcenter.h"

#include <gtest/gtest.h>

#include <optional>

TEST(NotificationCenter, deliversToObserversOfTheNameWithUserInfo)
{
    NotificationCenter center;
    QVariantMap received;
    int others = 0;
    auto token = center.addObserver(QStringLiteral("a"), [&](const Notification &n) { received = n.userInfo; });
    auto other = center.addObserver(QStringLiteral("b"), [&](const Notification &) { ++others; });
    center.post(QStringLiteral("a"), {{QStringLiteral("name"), QStringLiteral("toggleHUD")}});
    EXPECT_EQ(received.value(QStringLiteral("name")).toString(), QStringLiteral("toggleHUD"));
    EXPECT_EQ(others, 0);
}

TEST(NotificationCenter, droppingTheTokenUnsubscribes)
{
    NotificationCenter center;
    int calls = 0;
    {
        auto token = center.addObserver(QStringLiteral("a"), [&](const Notification &) { ++calls; });
        center.post(QStringLiteral("a"));
        EXPECT_EQ(center.observerCount(QStringLiteral("a")), 1);
    }
    center.post(QStringLiteral("a"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(QStringLiteral("a")), 0);
}

TEST(NotificationCenter, observerMayRemoveAnotherWhilePosting)
{
    NotificationCenter center;
    std::optional<NotificationToken> second;
    int secondCalls = 0;
    auto first = center.addObserver(QStringLiteral("a"), [&](const Notification &) { second.reset(); });
    second = center.addObserver(QStringLiteral("a"), [&](const Notification &) { ++secondCalls; });
    center.post(QStringLiteral("a"));
    EXPECT_EQ(secondCalls, 0);
}

TEST(NotificationCenter, tokenOutlivingItsCenterIsHarmless)
{
    NotificationToken token;
    {
        NotificationCenter center;
        token = center.addObserver(QStringLiteral("a"), [](const Notification &) {});
    }
    token.reset();
    EXPECT_FALSE(token.isValid());
}
