#include "DispatchQueue.h"

#include <QMetaObject>

DispatchQueue::DispatchQueue(const QString& label)
    : m_label(label)
    , m_context(new QObject)
{
    m_thread.setObjectName(label);
    m_context->moveToThread(&m_thread);
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
}

void DispatchQueue::async(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
}

void DispatchQueue::sync(const std::function<void()>& work)
{
    if (isCurrent()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(m_context, work, Qt::BlockingQueuedConnection);
}

bool DispatchQueue::isCurrent() const
{
    return QThread::currentThread() == &m_thread;
}
