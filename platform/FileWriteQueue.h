#pragma once

#include <QMutex>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class MainQueue;
class QThread;

// Where the files that hold the program's state are written, so that a slow disk never holds
// up the main thread. One write runs at a time; a newer write of a file replaces one of the
// same file still waiting its turn, so only the latest state is written. What a write leaves
// to do afterwards (look at its outcome, report it) runs on the main thread.
class FileWriteQueue
{
public:
    using Work = std::function<void()>;

    // Where a write waits its turn.
    enum class Turn {
        inOrder, // behind the others, the files in the order they were first handed in
        first,   // ahead of every write waiting in order: for what must not wait behind them
    };

    virtual ~FileWriteQueue() = default;

    // Callable from any thread. `write` runs where the queue writes; `done`, when given, runs
    // after it on the main thread. A write replaced before it ran never runs, nor its `done`.
    virtual void submit(const QString& file, Work write, Work done = {},
                        Turn turn = Turn::inOrder) = 0;
    // Main thread: waits until every write handed in has run or `bound` has passed, then runs
    // the `done` of those that ran. False when writes were left.
    virtual bool finish(std::chrono::milliseconds bound) = 0;

    // Writes at once on the caller's thread, then runs `done` there: for tests and tools that
    // want the file written when the call returns.
    static FileWriteQueue& immediate();
};

// The writes waiting their turn: one per file, those handed in first ahead of the others, each
// kind in the order their files were handed in.
class WaitingWrites
{
public:
    struct Job
    {
        QString file;
        FileWriteQueue::Work write;
        FileWriteQueue::Work done;
        FileWriteQueue::Turn turn = FileWriteQueue::Turn::inOrder;
    };

    // Replaces the waiting write of `file`, if any, in its place, or ahead when it is to go
    // first and its place was behind.
    void add(const QString& file, FileWriteQueue::Work write, FileWriteQueue::Work done,
             FileWriteQueue::Turn turn);
    bool isEmpty() const { return m_jobs.empty(); }
    Job takeFirst();

private:
    std::deque<Job> m_jobs;
};

// Writes on one thread of its own, which sleeps while there is nothing to write.
class BackgroundFileWriteQueue final : public FileWriteQueue
{
public:
    explicit BackgroundFileWriteQueue(MainQueue& mainQueue);
    // Writes what was handed in, then stops the thread; the `done` left are not run.
    ~BackgroundFileWriteQueue() override;
    BackgroundFileWriteQueue(const BackgroundFileWriteQueue&) = delete;
    BackgroundFileWriteQueue& operator=(const BackgroundFileWriteQueue&) = delete;

    void submit(const QString& file, Work write, Work done = {},
                Turn turn = Turn::inOrder) override;
    bool finish(std::chrono::milliseconds bound) override;

    // The program's own, on the main thread's queue; never destroyed, so that a write handed
    // in at exit still finds it.
    static BackgroundFileWriteQueue& shared();

private:
    void run();
    // Main thread: runs the `done` of the writes that have run.
    void deliver();
    bool isIdle() const { return m_waiting.isEmpty() && !m_writing; }

    MainQueue& m_mainQueue;
    // The standard kinds rather than Qt's, whose wait the thread sanitizer cannot follow.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    WaitingWrites m_waiting;
    bool m_writing = false;
    bool m_stopping = false;
    std::vector<Work> m_finished;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::unique_ptr<QThread> m_thread;
};

// Holds the writes until a test runs them, on the test's thread.
class ManualFileWriteQueue final : public FileWriteQueue
{
public:
    void submit(const QString& file, Work write, Work done = {},
                Turn turn = Turn::inOrder) override;
    // Runs nothing, as a disk that does not answer in time would; true when nothing waits.
    bool finish(std::chrono::milliseconds bound) override;

    // Runs the waiting writes in order, each followed by its `done`; returns how many ran.
    int runPending();
    bool isEmpty() const;

private:
    mutable QMutex m_mutex;
    WaitingWrites m_waiting;
};
