#include "platform/DispatchQueue.h"
#include "platform/ConcurrentQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(DispatchQueueTest, RunsWorkInOrderOnItsOwnThread)
{
    DispatchQueue queue(QStringLiteral("test.serial"));
    std::vector<int> order;
    QThread* worker = nullptr;
    for (int i = 0; i < 100; ++i)
        queue.async([&, i] {
            order.push_back(i);
            worker = QThread::currentThread();
        });
    queue.sync([] {});
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
    EXPECT_NE(worker, QThread::currentThread());
    EXPECT_EQ(worker->objectName(), QStringLiteral("test.serial"));
}

TEST(DispatchQueueTest, SyncFromTheQueueItselfRunsInPlace)
{
    DispatchQueue queue(QStringLiteral("test.serial"));
    bool inner = false;
    queue.sync([&] {
        EXPECT_TRUE(queue.isCurrent());
        queue.sync([&] { inner = true; });
    });
    EXPECT_TRUE(inner);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(DispatchQueueTest, DestructionFinishesTheSubmittedWork)
{
    std::atomic<int> done = 0;
    {
        DispatchQueue queue(QStringLiteral("test.serial"));
        for (int i = 0; i < 50; ++i)
            queue.async([&] { ++done; });
    }
    EXPECT_EQ(done.load(), 50);
}

TEST(ConcurrentQueueTest, BarrierBlocksRunAloneAndPlainBlocksTogether)
{
    ConcurrentQueue queue(QStringLiteral("test.concurrent"));
    std::atomic<int> readers = 0;
    std::atomic<bool> overlap = false;
    int value = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if ((i + t) % 4 == 0) {
                    queue.barrierSync([&] {
                        if (readers.load() != 0)
                            overlap = true;
                        ++value;
                    });
                } else {
                    queue.sync([&] {
                        ++readers;
                        --readers;
                    });
                }
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_FALSE(overlap.load());
    EXPECT_EQ(value, 8 * 500);
}

} // namespace
