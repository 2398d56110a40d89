#pragma once

class Clock;
class MainQueue;
class Scheduler;

// The time source, main-thread hand-over and main-thread timers the client runs on. Tests
// pass manual ones.
struct InsightsEnvironment
{
    const Clock* clock = nullptr;
    MainQueue* mainQueue = nullptr;
    Scheduler* scheduler = nullptr;

    static InsightsEnvironment system();
};

// Whether the caller is on the application's main thread, where the main queue runs.
bool isMainThread();
