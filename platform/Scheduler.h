#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

// Runs actions on the main thread after a delay. Every scheduled action is represented by a
// Task handle: dropping or cancelling the handle guarantees the action never runs.
class Scheduler
{
public:
    class Control
    {
    public:
        virtual ~Control() = default;
        virtual void cancel() = 0;
        virtual bool isPending() const = 0;
    };

    class Task
    {
    public:
        Task() = default;
        explicit Task(std::unique_ptr<Control> control);
        Task(Task&&) noexcept = default;
        Task& operator=(Task&& other) noexcept;
        ~Task();

        void cancel();
        bool isPending() const;

    private:
        std::unique_ptr<Control> m_control;
    };

    virtual ~Scheduler() = default;

    [[nodiscard]] virtual Task schedule(std::chrono::milliseconds delay,
                                        std::function<void()> action) = 0;
    [[nodiscard]] virtual Task scheduleRepeating(std::chrono::milliseconds interval,
                                                 std::function<void()> action) = 0;

    // Qt's timers on the main thread's event loop.
    static Scheduler& system();
};

// A scheduler whose time only moves when a test says so.
class ManualScheduler final : public Scheduler
{
public:
    Task schedule(std::chrono::milliseconds delay, std::function<void()> action) override;
    Task scheduleRepeating(std::chrono::milliseconds interval,
                           std::function<void()> action) override;

    // Moves time forward, running every action that falls due, in order of due time.
    void advance(std::chrono::milliseconds step);
    std::chrono::milliseconds elapsed() const { return m_now; }
    std::size_t pendingCount() const { return m_entries.size(); }

private:
    struct Entry
    {
        std::function<void()> action;
        std::chrono::milliseconds interval{0}; // zero for one-shot
    };
    using Key = std::pair<std::chrono::milliseconds, quint64>; // due time, then order of scheduling
    class ManualControl;

    Task add(std::chrono::milliseconds delay, std::chrono::milliseconds interval,
             std::function<void()> action);

    std::chrono::milliseconds m_now{0};
    quint64 m_nextSequence = 0;
    std::map<Key, std::shared_ptr<Entry>> m_entries;
};
