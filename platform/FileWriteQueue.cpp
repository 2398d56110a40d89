#include "FileWriteQueue.h"

#include "MainQueue.h"
#include "MainThread.h"

#include <QThread>

#include <algorithm>

namespace {

class ImmediateFileWriteQueue final : public FileWriteQueue
{
public:
    void submit(const QString&, Work write, Work done, Turn) override
    {
        write();
        if (done)
            done();
    }
    bool finish(std::chrono::milliseconds) override { return true; }
};

} // namespace

FileWriteQueue& FileWriteQueue::immediate()
{
    static ImmediateFileWriteQueue queue;
    return queue;
}

void WaitingWrites::add(const QString& file, FileWriteQueue::Work write, FileWriteQueue::Work done,
                        FileWriteQueue::Turn turn)
{
    using Turn = FileWriteQueue::Turn;
    const auto waiting = std::find_if(m_jobs.begin(), m_jobs.end(),
                                      [&](const Job& job) { return job.file == file; });
    if (waiting != m_jobs.end()) {
        if (turn == Turn::inOrder || waiting->turn == Turn::first) {
            waiting->write = std::move(write);
            waiting->done = std::move(done);
            return;
        }
        m_jobs.erase(waiting);
    }
    const auto place = turn == Turn::inOrder
                           ? m_jobs.end()
                           : std::find_if(m_jobs.begin(), m_jobs.end(),
                                          [](const Job& job) { return job.turn == Turn::inOrder; });
    m_jobs.insert(place, {file, std::move(write), std::move(done), turn});
}

WaitingWrites::Job WaitingWrites::takeFirst()
{
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    return job;
}

BackgroundFileWriteQueue::BackgroundFileWriteQueue(MainQueue& mainQueue)
    : m_mainQueue(mainQueue)
    , m_thread(QThread::create([this] { run(); }))
{
    m_thread->setObjectName(QStringLiteral("quillory.writer"));
    m_thread->start();
}

BackgroundFileWriteQueue::~BackgroundFileWriteQueue()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    m_thread->wait();
}

BackgroundFileWriteQueue& BackgroundFileWriteQueue::shared()
{
    static auto* queue = new BackgroundFileWriteQueue(MainQueue::system());
    return *queue;
}

void BackgroundFileWriteQueue::submit(const QString& file, Work write, Work done, Turn turn)
{
    const std::lock_guard lock(m_mutex);
    m_waiting.add(file, std::move(write), std::move(done), turn);
    m_changed.notify_all();
}

void BackgroundFileWriteQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_waiting.isEmpty() || m_stopping; });
        if (m_waiting.isEmpty())
            return;
        WaitingWrites::Job job = m_waiting.takeFirst();
        m_writing = true;
        lock.unlock();
        job.write();
        lock.lock();
        m_writing = false;
        if (job.done)
            m_finished.push_back(std::move(job.done));
        m_changed.notify_all();
        m_mainQueue.async([this, alive = std::weak_ptr<bool>(m_alive)] {
            if (!alive.expired())
                deliver();
        });
    }
}

bool BackgroundFileWriteQueue::finish(std::chrono::milliseconds bound)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    bool idle = false;
    {
        std::unique_lock lock(m_mutex);
        idle = m_changed.wait_for(lock, bound, [this] { return isIdle(); });
    }
    deliver();
    return idle;
}

void BackgroundFileWriteQueue::deliver()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    std::vector<Work> finished;
    {
        const std::lock_guard lock(m_mutex);
        finished.swap(m_finished);
    }
    for (const Work& done : finished)
        done();
}

void ManualFileWriteQueue::submit(const QString& file, Work write, Work done, Turn turn)
{
    const QMutexLocker lock(&m_mutex);
    m_waiting.add(file, std::move(write), std::move(done), turn);
}

bool ManualFileWriteQueue::finish(std::chrono::milliseconds)
{
    return isEmpty();
}

int ManualFileWriteQueue::runPending()
{
    int count = 0;
    for (;;) {
        WaitingWrites::Job job;
        {
            const QMutexLocker lock(&m_mutex);
            if (m_waiting.isEmpty())
                return count;
            job = m_waiting.takeFirst();
        }
        job.write();
        if (job.done)
            job.done();
        ++count;
    }
}

bool ManualFileWriteQueue::isEmpty() const
{
    const QMutexLocker lock(&m_mutex);
    return m_waiting.isEmpty();
}
