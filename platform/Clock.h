#pragma once

#include <QDateTime>

#include <atomic>
#include <chrono>

// The source of "now" for everything that stamps or compares times, so tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Time that only moves forward, whatever is done to the wall clock, and goes on while the
    // machine sleeps; only differences between two readings mean anything.
    virtual std::chrono::milliseconds monotonicNow() const = 0;

    // The real UTC clock.
    static const Clock& system();
};

// A clock that stands still until a test moves it. Safe to read from any thread.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(const QDateTime& start = QDateTime::fromSecsSinceEpoch(1'700'000'000,
                                                                                Qt::UTC));

    QDateTime now() const override;
    std::chrono::milliseconds monotonicNow() const override;
    // Sets the wall clock alone, as a person or the network does.
    void setNow(const QDateTime& time);
    // Time passes: both clocks move.
    void advance(std::chrono::milliseconds step);
    // The wall clock is set `step` ahead (or back); the monotonic clock stays.
    void jump(std::chrono::milliseconds step);

private:
    std::atomic<qint64> m_msecsSinceEpoch;
    std::atomic<qint64> m_monotonicMsecs{0};
};
