#include "platform/Scheduler.h"
#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

TEST(ManualSchedulerTest, RunsActionsWhenDueInOrderOfDueTime)
{
    ManualScheduler scheduler;
    std::vector<int> ran;
    auto late = scheduler.schedule(300ms, [&] { ran.push_back(3); });
    auto early = scheduler.schedule(100ms, [&] { ran.push_back(1); });
    auto sameTime = scheduler.schedule(100ms, [&] { ran.push_back(2); });
    scheduler.advance(99ms);
    EXPECT_TRUE(ran.empty());
    scheduler.advance(1ms);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_FALSE(early.isPending());
    EXPECT_TRUE(late.isPending());
    scheduler.advance(1s);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(ManualSchedulerTest, CancelledOrDroppedTasksNeverRun)
{
    ManualScheduler scheduler;
    int runs = 0;
    auto cancelled = scheduler.schedule(10ms, [&] { ++runs; });
    cancelled.cancel();
    {
        auto dropped = scheduler.schedule(10ms, [&] { ++runs; });
    }
    auto replaced = scheduler.schedule(10ms, [&] { ++runs; });
    replaced = scheduler.schedule(20ms, [&] { runs += 10; });
    scheduler.advance(1s);
    EXPECT_EQ(runs, 10);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST(ManualSchedulerTest, RepeatingTasksRunOncePerIntervalUntilCancelled)
{
    ManualScheduler scheduler;
    int runs = 0;
    auto task = scheduler.scheduleRepeating(60s, [&] { ++runs; });
    scheduler.advance(59s);
    EXPECT_EQ(runs, 0);
    scheduler.advance(121s);
    EXPECT_EQ(runs, 3);
    task.cancel();
    scheduler.advance(10min);
    EXPECT_EQ(runs, 3);
}

TEST(ManualSchedulerTest, AnActionMayCancelItsOwnTaskOrScheduleAnother)
{
    ManualScheduler scheduler;
    Scheduler::Task task;
    std::vector<std::chrono::milliseconds> times;
    task = scheduler.schedule(10ms, [&] {
        times.push_back(scheduler.elapsed());
        task = scheduler.schedule(5ms, [&] { times.push_back(scheduler.elapsed()); });
    });
    scheduler.advance(100ms);
    EXPECT_EQ(times, (std::vector<std::chrono::milliseconds>{10ms, 15ms}));
}

TEST(SystemSchedulerTest, RunsOnTheEventLoopAndHonoursCancel)
{
    bool ran = false;
    bool cancelledRan = false;
    auto task = Scheduler::system().schedule(5ms, [&] { ran = true; });
    auto cancelled = Scheduler::system().schedule(5ms, [&] { cancelledRan = true; });
    cancelled.cancel();
    QElapsedTimer timer;
    timer.start();
    while (!ran && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(cancelledRan);
}

TEST(MainQueueTest, ManualQueueRunsWorkFromOtherThreadsInOrder)
{
    ManualMainQueue queue;
    std::vector<int> ran;
    std::thread([&] {
        queue.async([&] { ran.push_back(1); });
        queue.async([&] {
            ran.push_back(2);
            queue.async([&] { ran.push_back(3); });
        });
    }).join();
    EXPECT_EQ(queue.runPending(), 3);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(queue.isEmpty());
}

TEST(MainQueueTest, SystemQueueRunsOnTheMainThread)
{
    std::thread::id ranOn;
    std::thread([&] {
        MainQueue::system().async([&] { ranOn = std::this_thread::get_id(); });
    }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

} // namespace
