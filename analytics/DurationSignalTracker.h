#pragma once

#include "analytics/SignalParameters.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>

#include <optional>

class Clock;

// Times signals between a start and a stop, by name. Time while the application is not
// active is left out unless the start asks for it. Safe to call from any thread.
class DurationSignalTracker
{
public:
    struct Result
    {
        double duration; // seconds, never negative
        SignalParameters parameters;
    };

    static const QString durationKey;

    explicit DurationSignalTracker(const Clock& clock);

    void startTracking(const QString& signalName, const SignalParameters& parameters,
                       bool includeBackgroundTime);
    std::optional<Result> stopTracking(const QString& signalName);
    void handleDidEnterBackgroundNotification();
    void handleWillEnterForegroundNotification();

    // Rounded down to the millisecond, in the shortest text that reads back the same, with
    // ".0" on whole numbers.
    static QString durationText(double seconds);

private:
    struct CachedData
    {
        QDateTime startTime;
        SignalParameters parameters;
        bool includeBackgroundTime;
    };

    const Clock& m_clock;
    QMutex m_mutex;
    QHash<QString, CachedData> m_startedSignals;
    std::optional<QDateTime> m_lastEnteredBackground;
};
