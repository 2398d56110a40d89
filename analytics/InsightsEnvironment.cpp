#include "InsightsEnvironment.h"

#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"

#include <QCoreApplication>
#include <QThread>

InsightsEnvironment InsightsEnvironment::system()
{
    return {&Clock::system(), &MainQueue::system(), &Scheduler::system()};
}

bool isMainThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}
