#include "InsightsEnvironment.h"

#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"

InsightsEnvironment InsightsEnvironment::system()
{
    InsightsEnvironment environment{&Clock::system(), &MainQueue::system(), &Scheduler::system()};
    environment.writeQueue = &BackgroundFileWriteQueue::shared();
    return environment;
}
