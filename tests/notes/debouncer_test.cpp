#include "notes/debouncer.h"

#include "tests/support/waitfor.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace std::chrono_literals;

namespace {

constexpr auto delay = 60ms;

TEST(Debouncer, burstRunsOnlyTheLastActionADelayAfterTheLastCall)
{
    Debouncer debouncer(delay);
    QList<int> ran;
    QElapsedTimer sinceLastCall;
    for (int call = 1; call <= 3; ++call) {
        debouncer.schedule([&ran, call] { ran.append(call); });
        sinceLastCall.start();
        runEventsFor(delay / 3);
    }
    ASSERT_TRUE(waitFor([&] { return !ran.isEmpty(); }));
    EXPECT_GE(sinceLastCall.elapsed(), delay.count());
    EXPECT_EQ(ran, QList<int> { 3 });
    EXPECT_FALSE(debouncer.isPending());
}

TEST(Debouncer, flushRunsThePendingActionAtOnceAndOnlyOnce)
{
    Debouncer debouncer(delay);
    int runs = 0;
    debouncer.schedule([&runs] { ++runs; });
    debouncer.flush();
    EXPECT_EQ(runs, 1);

    // A later action on the same delay runs after the flushed one's deadline.
    bool later = false;
    Debouncer marker(delay);
    marker.schedule([&later] { later = true; });
    ASSERT_TRUE(waitFor([&] { return later; }));
    EXPECT_EQ(runs, 1);

    debouncer.flush();
    EXPECT_EQ(runs, 1);
}

TEST(Debouncer, flushWithNothingPendingOrAfterTheDeadlineDoesNothing)
{
    Debouncer debouncer(delay);
    debouncer.flush();

    int runs = 0;
    debouncer.schedule([&runs] { ++runs; });
    ASSERT_TRUE(waitFor([&] { return runs == 1; }));
    debouncer.flush();
    EXPECT_EQ(runs, 1);
}

TEST(Debouncer, cancelledActionNeverRuns)
{
    Debouncer debouncer(delay);
    bool ran = false;
    debouncer.schedule([&ran] { ran = true; });
    debouncer.cancel();
    debouncer.flush();
    EXPECT_FALSE(ran);

    bool later = false;
    Debouncer marker(delay);
    marker.schedule([&later] { later = true; });
    ASSERT_TRUE(waitFor([&] { return later; }));
    EXPECT_FALSE(ran);
}

TEST(Debouncer, actionArmedBeforeReleaseStillRuns)
{
    bool ran = false;
    {
        Debouncer debouncer(delay);
        debouncer.schedule([&ran] { ran = true; });
    }
    EXPECT_TRUE(waitFor([&] { return ran; }));
}

TEST(Debouncer, actionScheduledOffTheMainThreadRunsOnTheMainThread)
{
    Debouncer debouncer(delay);
    std::atomic<QThread *> ranOn = nullptr;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { debouncer.schedule([&ranOn] { ranOn = QThread::currentThread(); }); }));
    worker->start();
    worker->wait();
    ASSERT_TRUE(waitFor([&] { return ranOn.load() != nullptr; }));
    EXPECT_EQ(ranOn.load(), QCoreApplication::instance()->thread());
}

TEST(Debouncer, flushFromAnotherThreadRunsThereWhileTheTimerStaysSilent)
{
    Debouncer debouncer(delay);
    std::atomic<int> runs = 0;
    std::atomic<QThread *> ranOn = nullptr;
    debouncer.schedule([&] {
        ++runs;
        ranOn = QThread::currentThread();
    });
    std::unique_ptr<QThread> worker(QThread::create([&] { debouncer.flush(); }));
    worker->start();
    worker->wait();
    EXPECT_EQ(ranOn.load(), worker.get());

    bool later = false;
    Debouncer marker(delay);
    marker.schedule([&later] { later = true; });
    ASSERT_TRUE(waitFor([&] { return later; }));
    EXPECT_EQ(runs.load(), 1);
}

} // namespace
