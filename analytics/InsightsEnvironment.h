#pragma once

#include "analytics/DisplayInfo.h"
#include "platform/FileWriteQueue.h"

#include <functional>

class Clock;
class MainQueue;
class Scheduler;

// The time source, main-thread hand-over and main-thread timers the client runs on, where its
// files are written, and what the host tells of its screen. Tests pass manual ones.
struct InsightsEnvironment
{
    const Clock* clock = nullptr;
    MainQueue* mainQueue = nullptr;
    Scheduler* scheduler = nullptr;
    // Asked on the main thread for every signal; without it, no screen and an unknown scheme.
    std::function<DisplayInfo()> displayInfo = nullptr;
    // The signals still queued at termination are written through it.
    FileWriteQueue* writeQueue = &FileWriteQueue::immediate();

    static InsightsEnvironment system();
};
