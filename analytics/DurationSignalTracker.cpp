#include "DurationSignalTracker.h"

#include "analytics/DoubleText.h"
#include "analytics/ProcessWide.h"
#include "platform/Clock.h"

#include <cmath>

namespace {
constexpr double msecsPerSecond = 1000.0;
}

const QString DurationSignalTracker::durationKey =
    QStringLiteral("Insights.Signal.durationInSeconds");

DurationSignalTracker::DurationSignalTracker()
    : m_clock(&Clock::system())
{}

DurationSignalTracker& DurationSignalTracker::shared()
{
    return ProcessWide<DurationSignalTracker>::instance();
}

DurationSignalTracker* DurationSignalTracker::sharedIfMade()
{
    return ProcessWide<DurationSignalTracker>::ifMade();
}

void DurationSignalTracker::restart(const Clock& clock)
{
    const QMutexLocker lock(&m_mutex);
    m_clock = &clock;
    m_startedSignals.clear();
    m_lastEnteredBackground.reset();
}

void DurationSignalTracker::startTracking(const QString& signalName,
                                          const SignalParameters& parameters,
                                          bool includeBackgroundTime)
{
    const QMutexLocker lock(&m_mutex);
    m_startedSignals.insert(signalName, {m_clock->now(), parameters, includeBackgroundTime});
}

std::optional<DurationSignalTracker::Result>
DurationSignalTracker::stopTracking(const QString& signalName)
{
    const QMutexLocker lock(&m_mutex);
    const auto found = m_startedSignals.constFind(signalName);
    if (found == m_startedSignals.constEnd())
        return std::nullopt;
    const CachedData data = *found;
    m_startedSignals.erase(found);
    // A start moved forward by inactive time from before it began can lie in the future; a
    // negative duration means nothing to whoever reads it, so it counts as none.
    const double duration =
        std::max<qint64>(0, data.startTime.msecsTo(m_clock->now())) / msecsPerSecond;
    return Result{duration, data.parameters};
}

void DurationSignalTracker::handleDidEnterBackgroundNotification()
{
    const QMutexLocker lock(&m_mutex);
    m_lastEnteredBackground = m_clock->now();
}

void DurationSignalTracker::handleWillEnterForegroundNotification()
{
    const QMutexLocker lock(&m_mutex);
    if (!m_lastEnteredBackground)
        return;
    const qint64 inactiveMsecs = m_lastEnteredBackground->msecsTo(m_clock->now());
    for (CachedData& data : m_startedSignals) {
        if (!data.includeBackgroundTime)
            data.startTime = data.startTime.addMSecs(inactiveMsecs);
    }
    m_lastEnteredBackground.reset();
}

QString DurationSignalTracker::durationText(double seconds)
{
    return doubleText(std::floor(seconds * msecsPerSecond) / msecsPerSecond);
}
