#pragma once

#include "analytics/SignalParameters.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>

#include <optional>

class Clock;

// Times signals between a start and a stop, by name. Time while the application is not
// active is left out unless the start asks for it. One serves the whole process, whether a
// client is installed or not, so timings run on across an installation. Safe to call from any
// thread.
class DurationSignalTracker
{
public:
    struct Result
    {
        double duration; // seconds, never negative
        SignalParameters parameters;
    };

    static const QString durationKey;

    // On the real clock.
    DurationSignalTracker();

    // Made on first use by a start, a stop or a cancel.
    static DurationSignalTracker& shared();
    // The shared one, or null before its first use: the application's notices do not make it.
    static DurationSignalTracker* sharedIfMade();

    // Forgets every timing and reads the time from `clock` from now on, like a program started
    // afresh: tests drive the shared tracker's time by hand.
    void restart(const Clock& clock);

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

    QMutex m_mutex;
    const Clock* m_clock;
    QHash<QString, CachedData> m_startedSignals;
    std::optional<QDateTime> m_lastEnteredBackground;
};
