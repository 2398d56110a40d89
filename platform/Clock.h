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
    void setNow(const QDateTime& time);
    void advance(std::chrono::milliseconds step);

private:
    std::atomic<qint64> m_msecsSinceEpoch;
};
