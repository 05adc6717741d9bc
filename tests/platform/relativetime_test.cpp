#include "platform/relativetime.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QDateTime now(QDate(2026, 3, 14), QTime(12, 0, 0));

QString ago(qint64 msecs)
{
    return relativeTimeString(now.addMSecs(-msecs), now);
}

TEST(RelativeTime, eachBoundaryFallsOnTheRightSide)
{
    EXPECT_EQ(ago(59'900), QStringLiteral("just now"));
    EXPECT_EQ(ago(60'000), QStringLiteral("1 min ago"));
    EXPECT_EQ(ago(300'000), QStringLiteral("5 min ago"));
    EXPECT_EQ(ago(3'599'000), QStringLiteral("59 min ago"));
    EXPECT_EQ(ago(3'600'000), QStringLiteral("1h ago"));
    EXPECT_EQ(ago(86'399'000), QStringLiteral("23h ago"));
    EXPECT_EQ(ago(86'400'000), QStringLiteral("yesterday"));
    EXPECT_EQ(ago(172'799'000), QStringLiteral("yesterday"));
    EXPECT_EQ(ago(172'800'000), QStringLiteral("2d ago"));
    EXPECT_EQ(ago(604'799'000), QStringLiteral("6d ago"));
}

TEST(RelativeTime, aWeekAgoAndMoreIsTheShortDate)
{
    const QDateTime date = now.addSecs(-604'800);
    EXPECT_EQ(relativeTimeString(date, now), QLocale().toString(date.date(), QLocale::ShortFormat));
}

TEST(RelativeTime, theFutureIsJustNow)
{
    EXPECT_EQ(ago(-3'600'000), QStringLiteral("just now"));
}

} // namespace
