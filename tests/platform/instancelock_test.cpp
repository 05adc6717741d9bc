#include "platform/instancelock.h"

#include <QDir>
#include <QTemporaryDir>

#include <thread>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(InstanceLock, oneHolderAtATimeAndALaterOneWaitsForTheFirstToGo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorvane.lock"));
    auto running = std::make_unique<InstanceLock>(path);
    ASSERT_TRUE(running->tryLock());

    InstanceLock second(path);
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(second.isOpen()); // held elsewhere, not broken
    EXPECT_FALSE(second.lock(20ms));

    // A relaunched program starts while the old one is still ending.
    std::thread ending([&running] {
        std::this_thread::sleep_for(50ms);
        running.reset();
    });
    EXPECT_TRUE(second.lock(10s));
    ending.join();
    EXPECT_TRUE(second.isLocked());
}

TEST(InstanceLock, aLockFileThatCantBeOpenedIsToldApartFromAHeldOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorvane.lock"));
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the file belongs
    InstanceLock lock(path);
    EXPECT_FALSE(lock.tryLock());
    EXPECT_FALSE(lock.isOpen());
    EXPECT_FALSE(lock.errorString().isEmpty());
    EXPECT_FALSE(lock.lock(1s)); // gives up at once: waiting can't help
}

} // namespace
