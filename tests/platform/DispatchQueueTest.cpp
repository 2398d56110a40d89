#include "platform/DispatchQueue.h"
#include "platform/ConcurrentQueue.h"

#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

namespace {

// Destruction waits for the work already submitted.
TEST(DispatchQueueTest, RunsWorkInOrderOnItsOwnThreadAndFinishesItWhenDestroyed)
{
    std::vector<int> order;
    QStringList threadNames;
    {
        DispatchQueue queue(QStringLiteral("test.serial"));
        for (int i = 0; i < 100; ++i)
            queue.async([&, i] {
                order.push_back(i);
                threadNames.append(QThread::currentThread()->objectName());
            });
    }
    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
    EXPECT_EQ(QSet<QString>(threadNames.cbegin(), threadNames.cend()),
              QSet<QString>{QStringLiteral("test.serial")});
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
