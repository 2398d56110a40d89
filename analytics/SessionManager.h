#pragma once

#include "analytics/InsightsEnvironment.h"
#include "platform/DispatchQueue.h"
#include "platform/Scheduler.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <optional>

class UserDefaults;

struct StoredSession
{
    QDateTime startedAt;
    qint64 durationInSeconds = 0;

    friend bool operator==(const StoredSession&, const StoredSession&) = default;
};

// Keeps the usage figures in the client's suite: the sessions of the last 90 days with
// their active time, how many older ones were dropped, the first session's day and the days
// of use. A session's time is measured only while the application is active (it starts
// inactive, until told otherwise), so nothing ticks while it sits unused; it is stored once
// it reaches a second. Sessions, timers
// and notices belong to the main thread; the figures may be read from any thread; every
// write to the store happens in order on a queue of its own.
class SessionManager
{
public:
    // Drops stored sessions older than 90 days (counting them) and records today as a day
    // of use. A null store keeps nothing.
    SessionManager(UserDefaults* store, const InsightsEnvironment& environment);
    // Finishes the writes already submitted.
    ~SessionManager();
    SessionManager(const SessionManager&) = delete;
    SessionManager& operator=(const SessionManager&) = delete;

    void startNewSession();
    void updateSessionDuration();
    void handleDidEnterBackgroundNotification();
    void handleWillEnterForegroundNotification();

    // -1 without sessions; with several, the mean of all but the running (last) one.
    qint64 averageSessionSeconds() const;
    qint64 totalSessionsCount() const;
    QStringList distinctDaysUsed() const;
    QString firstSessionDate() const;
    QList<StoredSession> recentSessions() const;
    static qsizetype countDistinctDays(const QString& notBefore, const QStringList& days);

    // Waits until every write submitted so far is in the store.
    void waitForPersistence();

    static QByteArray encodeSessions(const QList<StoredSession>& sessions);
    static std::optional<QList<StoredSession>> decodeSessions(const QByteArray& data);

private:
    QString today() const;
    void stopSessionTimer();
    // Counts from now, once a second, until the application resigns active.
    void startMeasuring();
    void persistCurrentSession();
    void storeSession(const QDateTime& startedAt, qint64 durationInSeconds);
    void recordTodayAsUsedDay();

    UserDefaults* const m_store;
    const Clock& m_clock;
    Scheduler& m_scheduler;

    mutable QMutex m_sessionsLock;
    QList<StoredSession> m_unsafeRecentSessions;

    // Main thread only. No session has started while the start is invalid.
    QDateTime m_currentSessionStartedAt;
    double m_currentSessionDuration = 0.0;
    Scheduler::Task m_sessionDurationUpdater;
    std::optional<QDateTime> m_sessionDurationLastUpdatedAt;
    bool m_applicationActive = false;
    // A day of use in the last 90 days before this run, or a session started in it.
    bool m_startKnownWithinRetention = false;

    DispatchQueue m_persistenceQueue{QStringLiteral("analytics.client.sessionmanager.persistence")};
};
