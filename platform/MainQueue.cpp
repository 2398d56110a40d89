#include "MainQueue.h"

#include "WorkRunner.h"

#include <QCoreApplication>

namespace {

class QtMainQueue final : public MainQueue
{
public:
    void async(std::function<void()> work) override
    {
        // Work handed in from another thread as the program ends finds nobody to run it.
        QCoreApplication* application = QCoreApplication::instance();
        if (!application)
            return;
        // Never destroyed: work may be handed in until the process ends.
        static WorkRunner* const runner = [application] {
            auto* mainThreadRunner = new WorkRunner;
            mainThreadRunner->moveToThread(application->thread());
            return mainThreadRunner;
        }();
        runner->add(std::move(work));
    }
};

} // namespace

MainQueue& MainQueue::system()
{
    // Never destroyed: another thread may hand work in while the program's objects are going,
    // as the end of the program passes.
    static auto* const queue = new QtMainQueue;
    return *queue;
}

void ManualMainQueue::async(std::function<void()> work)
{
    const QMutexLocker lock(&m_mutex);
    m_work.push_back(std::move(work));
}

int ManualMainQueue::runPending()
{
    int count = 0;
    for (;;) {
        std::function<void()> work;
        {
            const QMutexLocker lock(&m_mutex);
            if (m_work.empty())
                return count;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
        ++count;
    }
}

bool ManualMainQueue::isEmpty() const
{
    const QMutexLocker lock(&m_mutex);
    return m_work.empty();
}
