#include "platform/mainqueue.h"

#include "tests/support/waitfor.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using namespace std::chrono_literals;

TEST(MainQueue, workRunsOnALaterTurnInTheOrderPosted)
{
    QList<int> order;
    MainQueue::async([&] { order.append(1); });
    MainQueue::async([&] { order.append(2); });
    EXPECT_TRUE(order.isEmpty()) << "never inside the call that posts it";
    ASSERT_TRUE(waitFor([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (QList<int> { 1, 2 }));
}

TEST(MainQueue, workPostedFromAnotherThreadRunsOnTheMainThread)
{
    std::atomic<bool> ranOnMain { false };
    std::atomic<bool> delayedOnMain { false };
    std::atomic<bool> workerSawMain { true };
    std::unique_ptr<QThread> worker(QThread::create([&] {
        workerSawMain = MainQueue::isMainThread();
        MainQueue::async([&] { ranOnMain = MainQueue::isMainThread(); });
        MainQueue::asyncAfter(20ms, [&] { delayedOnMain = MainQueue::isMainThread(); });
    }));
    worker->start();
    ASSERT_TRUE(waitFor([&] { return ranOnMain && delayedOnMain; }));
    worker->wait();
    EXPECT_FALSE(workerSawMain);
    EXPECT_TRUE(MainQueue::isMainThread());
}

TEST(MainQueue, delayedWorkOfADestroyedContextNeverRuns)
{
    bool ranForGone = false;
    bool ranForKept = false;
    auto gone = std::make_unique<QObject>();
    QObject kept;
    MainQueue::asyncAfter(
        10ms, [&] { ranForGone = true; }, gone.get());
    MainQueue::asyncAfter(
        30ms, [&] { ranForKept = true; }, &kept);
    gone.reset();
    ASSERT_TRUE(waitFor([&] { return ranForKept; }));
    EXPECT_FALSE(ranForGone);
}

} // namespace
