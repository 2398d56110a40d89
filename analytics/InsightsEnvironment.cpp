#include "InsightsEnvironment.h"

#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"

InsightsEnvironment InsightsEnvironment::system()
{
    return {&Clock::system(), &MainQueue::system(), &Scheduler::system()};
}
