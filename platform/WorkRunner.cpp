#include "WorkRunner.h"

#include <QMetaObject>

void WorkRunner::add(std::function<void()> work)
{
    {
        const std::lock_guard lock(m_mutex);
        m_waiting.push_back(std::move(work));
    }
    QMetaObject::invokeMethod(this, "runNext", Qt::QueuedConnection);
}

void WorkRunner::runNext()
{
    std::function<void()> work;
    {
        const std::lock_guard lock(m_mutex);
        work = std::move(m_waiting.front());
        m_waiting.pop_front();
    }
    work();
}
