#include "platform/FileWriteQueue.h"

#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QSemaphore>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto patience = 10s;

// A queue whose first write waits until the test opens the gate, with a log of what ran where.
class FileWriteQueueTest : public testing::Test
{
protected:
    FileWriteQueue::Work write(const QString& name, bool blocks = false)
    {
        return [this, name, blocks] {
            if (blocks) {
                m_started.release();
                m_gate.acquire();
            }
            const QMutexLocker lock(&m_mutex);
            m_written.append(name);
            m_writerThreads.append(QThread::currentThread()->objectName());
        };
    }
    FileWriteQueue::Work done(const QString& name)
    {
        return [this, name] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            m_done.append(name);
        };
    }
    // As one line of text, which reads well in a failure.
    std::string written()
    {
        const QMutexLocker lock(&m_mutex);
        return m_written.join(u' ').toStdString();
    }
    std::string done() const { return m_done.join(u' ').toStdString(); }

    QSemaphore m_started;
    QSemaphore m_gate;
    QMutex m_mutex;
    QStringList m_written;
    QStringList m_writerThreads;
    QStringList m_done;
    ManualMainQueue m_mainQueue;
};

TEST_F(FileWriteQueueTest, OneWriteRunsAtATimeAndOfTheWaitingOnesOnlyEachFilesLatest)
{
    BackgroundFileWriteQueue queue(m_mainQueue);
    queue.submit(QStringLiteral("a"), write(QStringLiteral("a1"), true),
                 done(QStringLiteral("a1")));
    m_started.acquire();
    queue.submit(QStringLiteral("a"), write(QStringLiteral("a2")), done(QStringLiteral("a2")));
    queue.submit(QStringLiteral("b"), write(QStringLiteral("b1")), done(QStringLiteral("b1")));
    queue.submit(QStringLiteral("a"), write(QStringLiteral("a3")), done(QStringLiteral("a3")));
    EXPECT_EQ(written(), "");
    m_gate.release();
    EXPECT_TRUE(queue.finish(patience));
    EXPECT_EQ(written(), "a1 a3 b1");
    EXPECT_EQ(done(), "a1 a3 b1");
    EXPECT_EQ(m_writerThreads.join(u' ').toStdString(),
              "quillory.writer quillory.writer quillory.writer");
}

TEST_F(FileWriteQueueTest, WritesHandedInFirstGoAheadOfTheOthersInTheirOwnOrder)
{
    using Turn = FileWriteQueue::Turn;
    BackgroundFileWriteQueue queue(m_mainQueue);
    queue.submit(QStringLiteral("a"), write(QStringLiteral("a1"), true));
    m_started.acquire();
    const std::vector<std::tuple<const char*, const char*, Turn>> handedIn{
        {"b", "b1", Turn::inOrder}, {"n", "n1", Turn::first},   {"c", "c1", Turn::inOrder},
        {"n", "n2", Turn::first},   {"b", "b2", Turn::first},   {"m", "m1", Turn::first},
        {"c", "c2", Turn::inOrder}, {"m", "m2", Turn::inOrder},
    };
    for (const auto& [file, name, turn] : handedIn)
        queue.submit(QLatin1String(file), write(QLatin1String(name)), done(QLatin1String(name)),
                     turn);
    m_gate.release();
    EXPECT_TRUE(queue.finish(patience));
    // A newer write takes the place of the one waiting, or a place ahead when it goes first.
    EXPECT_EQ(written(), "a1 n2 b2 m2 c2");
    EXPECT_EQ(done(), "n2 b2 m2 c2");
}

TEST_F(FileWriteQueueTest, WhatWasDoneReachesTheMainThreadThroughItsQueueOrWhenFinishWaits)
{
    BackgroundFileWriteQueue queue(m_mainQueue);
    queue.submit(QStringLiteral("a"), write(QStringLiteral("a1")), done(QStringLiteral("a1")));
    const QDeadlineTimer deadline(patience);
    while (m_mainQueue.isEmpty() && !deadline.hasExpired())
        QThread::msleep(1);
    EXPECT_EQ(done(), "");
    m_mainQueue.runPending();
    EXPECT_EQ(done(), "a1");

    // Finish gives up at its bound and reports only what ran.
    queue.submit(QStringLiteral("b"), write(QStringLiteral("b1"), true),
                 done(QStringLiteral("b1")));
    EXPECT_FALSE(queue.finish(50ms));
    EXPECT_EQ(done(), "a1");
    m_gate.release();
    EXPECT_TRUE(queue.finish(patience));
    EXPECT_EQ(done(), "a1 b1");
    // Those it ran itself are not run again from the main queue.
    m_mainQueue.runPending();
    EXPECT_EQ(done(), "a1 b1");
}

// Files handed in from several threads while the queue writes: each is written once.
TEST_F(FileWriteQueueTest, WritesHandedInFromSeveralThreadsAreAllWritten)
{
    constexpr int threadCount = 4;
    constexpr int filesPerThread = 50;
    BackgroundFileWriteQueue queue(m_mainQueue);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < filesPerThread; ++i) {
                const QString name = QStringLiteral("%1-%2").arg(t).arg(i);
                queue.submit(name, write(name));
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(queue.finish(patience));
    const QMutexLocker lock(&m_mutex);
    EXPECT_EQ(QSet<QString>(m_written.cbegin(), m_written.cend()).size(),
              threadCount * filesPerThread);
    EXPECT_EQ(m_written.size(), threadCount * filesPerThread);
}

TEST_F(FileWriteQueueTest, DestructionWritesWhatWasHandedIn)
{
    {
        BackgroundFileWriteQueue queue(m_mainQueue);
        queue.submit(QStringLiteral("a"), write(QStringLiteral("a1")));
        queue.submit(QStringLiteral("b"), write(QStringLiteral("b1")));
    }
    EXPECT_EQ(written(), "a1 b1");
    m_mainQueue.runPending(); // the queue is gone: nothing to deliver, nothing touched
}

// The end of the program, as the shared queue's writer may meet it: a write handed in late
// finishes only once the program is past main and the objects made before it are going.
class WriteAtTheEnd
{
public:
    ~WriteAtTheEnd()
    {
        m_gate.release();
        m_passed.acquire();
    }
    void hold() { m_gate.acquire(); }
    void pass() { m_passed.release(); }

private:
    QSemaphore m_gate;
    QSemaphore m_passed;
};

// Run as a process of its own by the case below.
TEST(FileWriteQueueChild, DISABLED_EndsWhileAWriteRuns)
{
    // Made before the shared queue and what it hands its results to, so gone after them.
    static WriteAtTheEnd end;
    BackgroundFileWriteQueue& queue = BackgroundFileWriteQueue::shared();
    queue.submit(QStringLiteral("late"), [] { end.hold(); });
    // Runs once the writer is done with the late write, results handed on included.
    queue.submit(QStringLiteral("after"), [] { end.pass(); });
}

TEST(FileWriteQueueEndTest, AWriteStillRunningAsTheProgramEndsLetsItEndQuietly)
{
    QProcess child;
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_also_run_disabled_tests"),
         QStringLiteral("--gtest_filter=FileWriteQueueChild.DISABLED_EndsWhileAWriteRuns")});
    ASSERT_TRUE(child.waitForFinished(int(std::chrono::milliseconds(patience).count())));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
}

} // namespace
