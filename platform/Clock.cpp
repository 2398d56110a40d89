#include "Clock.h"

#include <time.h>

namespace {

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }

    // The boot-time clock rather than the plain monotonic one, which stops while the machine
    // sleeps: a week asleep is a week that passed.
    std::chrono::milliseconds monotonicNow() const override
    {
        timespec reading{};
        clock_gettime(CLOCK_BOOTTIME, &reading);
        return std::chrono::seconds(reading.tv_sec) +
               std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::nanoseconds(reading.tv_nsec));
    }
};

} // namespace

const Clock& Clock::system()
{
    // Never destroyed: a write still running on its own thread as the program ends reads it.
    static const auto* const clock = new SystemClock;
    return *clock;
}

ManualClock::ManualClock(const QDateTime& start)
    : m_msecsSinceEpoch(start.toMSecsSinceEpoch())
{}

QDateTime ManualClock::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_msecsSinceEpoch.load(), Qt::UTC);
}

std::chrono::milliseconds ManualClock::monotonicNow() const
{
    return std::chrono::milliseconds(m_monotonicMsecs.load());
}

void ManualClock::setNow(const QDateTime& time)
{
    m_msecsSinceEpoch.store(time.toMSecsSinceEpoch());
}

void ManualClock::advance(std::chrono::milliseconds step)
{
    m_msecsSinceEpoch.fetch_add(step.count());
    m_monotonicMsecs.fetch_add(step.count());
}

void ManualClock::jump(std::chrono::milliseconds step)
{
    m_msecsSinceEpoch.fetch_add(step.count());
}
