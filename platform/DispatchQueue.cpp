#include "DispatchQueue.h"

#include "WorkRunner.h"

#include <future>

DispatchQueue::DispatchQueue(const QString& label)
    : m_label(label)
    , m_context(new QObject)
    , m_runner(new WorkRunner)
{
    m_thread.setObjectName(label);
    m_context->moveToThread(&m_thread);
    m_runner->moveToThread(&m_thread);
    m_thread.start();
}

DispatchQueue::~DispatchQueue()
{
    sync([this] {
        // Children are deleted on the thread they belong to.
        delete m_context;
        m_context = nullptr;
    });
    m_thread.quit();
    m_thread.wait();
    delete m_runner;
}

void DispatchQueue::async(std::function<void()> work)
{
    m_runner->add(std::move(work));
}

void DispatchQueue::sync(const std::function<void()>& work)
{
    if (isCurrent()) {
        work();
        return;
    }
    // Waited for with the standard library, whose order the thread sanitizer follows, unlike
    // that of Qt's own waits.
    std::promise<void> done;
    async([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

bool DispatchQueue::isCurrent() const
{
    return QThread::currentThread() == &m_thread;
}
