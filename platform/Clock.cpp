#include "Clock.h"

namespace {

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

} // namespace

const Clock& Clock::system()
{
    static const SystemClock clock;
    return clock;
}

ManualClock::ManualClock(const QDateTime& start)
    : m_msecsSinceEpoch(start.toMSecsSinceEpoch())
{}

QDateTime ManualClock::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_msecsSinceEpoch.load(), Qt::UTC);
}

void ManualClock::setNow(const QDateTime& time)
{
    m_msecsSinceEpoch.store(time.toMSecsSinceEpoch());
}

void ManualClock::advance(std::chrono::milliseconds step)
{
    m_msecsSinceEpoch.fetch_add(step.count());
}
