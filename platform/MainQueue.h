#pragma once

#include <QMutex>

#include <deque>
#include <functional>

// Hands work to the main thread, to run on its next turn of the event loop. Callable from
// any thread.
class MainQueue
{
public:
    virtual ~MainQueue() = default;
    virtual void async(std::function<void()> work) = 0;

    // The Qt event loop of the application's main thread.
    static MainQueue& system();
};

// Holds the work until a test runs it.
class ManualMainQueue final : public MainQueue
{
public:
    void async(std::function<void()> work) override;

    // Runs what is queued, including work queued by that work; returns how many ran.
    int runPending();
    bool isEmpty() const;

private:
    mutable QMutex m_mutex;
    std::deque<std::function<void()>> m_work;
};
