#include "SessionManager.h"

#include "analytics/Insights.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr qint64 sessionRetentionSecs = 7'776'000; // 90 days
constexpr std::chrono::milliseconds durationUpdateInterval{1000};
constexpr double msecsPerSecond = 1000.0;
constexpr double shortestStoredSessionSecs = 1.0;

const QString recentSessionsKey = QStringLiteral("recentSessions");
const QString deletedSessionsCountKey = QStringLiteral("deletedSessionsCount");
const QString firstSessionDateKey = QStringLiteral("firstSessionDate");
const QString distinctDaysUsedKey = QStringLiteral("distinctDaysUsed");
const QString startedAtKey = QStringLiteral("st");
const QString durationKey = QStringLiteral("dn");

// The ISO 8601 full date of the moment in the current time zone.
QString dayOf(const QDateTime& moment)
{
    return moment.toLocalTime().date().toString(Qt::ISODate);
}

} // namespace

SessionManager::SessionManager(UserDefaults* store, const InsightsEnvironment& environment)
    : m_store(store)
    , m_clock(*environment.clock)
    , m_scheduler(*environment.scheduler)
{
    const QDateTime cutOff = m_clock.now().addSecs(-sessionRetentionSecs);
    const auto decoded = m_store ? decodeSessions(m_store->data(recentSessionsKey)) : std::nullopt;
    if (decoded) {
        QList<StoredSession> kept;
        for (const StoredSession& session : *decoded) {
            if (session.startedAt > cutOff)
                kept.append(session);
        }
        const qint64 deleted =
            m_store->integer(deletedSessionsCountKey) + (decoded->size() - kept.size());
        m_unsafeRecentSessions = kept;
        // The pruned list and the count go to the store together, or a run that ends before
        // the next session write would count the same sessions again.
        m_persistenceQueue.async([store = m_store, deleted, data = encodeSessions(kept)] {
            store->set(recentSessionsKey, data);
            store->set(deletedSessionsCountKey, deleted);
        });
    }
    // A start shorter than a second stores no session, but its day of use is kept.
    m_startKnownWithinRetention = countDistinctDays(dayOf(cutOff), distinctDaysUsed()) > 0;
    recordTodayAsUsedDay();
}

SessionManager::~SessionManager() = default;

QString SessionManager::today() const
{
    return dayOf(m_clock.now());
}

void SessionManager::startNewSession()
{
    stopSessionTimer();
    bool firstStart = false;
    {
        const QMutexLocker lock(&m_sessionsLock);
        firstStart = m_unsafeRecentSessions.isEmpty();
    }
    // A run too short to store its session is still no new installation.
    if (firstStart && !m_startKnownWithinRetention) {
        const QString day = today();
        if (m_store)
            m_persistenceQueue.async(
                [store = m_store, day] { store->set(firstSessionDateKey, day); });
        Insights::internalSignal(QStringLiteral("Insights.Acquisition.newInstallDetected"),
                                 {{QStringLiteral("Insights.Acquisition.firstSessionDate"), day}});
    }
    m_startKnownWithinRetention = true;
    m_currentSessionStartedAt = m_clock.now();
    m_currentSessionDuration = 0.0;
    if (m_applicationActive)
        startMeasuring();
}

void SessionManager::updateSessionDuration()
{
    const QDateTime now = m_clock.now();
    if (m_sessionDurationLastUpdatedAt) {
        // A clock set back must not take time away.
        const qint64 elapsed = std::max<qint64>(0, m_sessionDurationLastUpdatedAt->msecsTo(now));
        m_currentSessionDuration += double(elapsed) / msecsPerSecond;
    }
    m_sessionDurationLastUpdatedAt = now;
    persistCurrentSession();
}

void SessionManager::handleDidEnterBackgroundNotification()
{
    m_applicationActive = false;
    if (!m_currentSessionStartedAt.isValid())
        return;
    updateSessionDuration();
    stopSessionTimer();
}

void SessionManager::handleWillEnterForegroundNotification()
{
    m_applicationActive = true;
    if (!m_currentSessionStartedAt.isValid())
        return;
    // A timer still held (no resign notice came first) is stopped, not orphaned.
    m_sessionDurationUpdater.cancel();
    startMeasuring();
}

void SessionManager::startMeasuring()
{
    updateSessionDuration();
    m_sessionDurationUpdater =
        m_scheduler.scheduleRepeating(durationUpdateInterval, [this] { updateSessionDuration(); });
}

void SessionManager::stopSessionTimer()
{
    m_sessionDurationUpdater.cancel();
    m_sessionDurationLastUpdatedAt.reset();
}

void SessionManager::persistCurrentSession()
{
    if (m_currentSessionDuration < shortestStoredSessionSecs)
        return;
    m_persistenceQueue.async(
        [this, startedAt = m_currentSessionStartedAt, seconds = qint64(m_currentSessionDuration)] {
            storeSession(startedAt, seconds);
        });
}

void SessionManager::storeSession(const QDateTime& startedAt, qint64 durationInSeconds)
{
    QList<StoredSession> sessions;
    {
        const QMutexLocker lock(&m_sessionsLock);
        auto found = std::find_if(
            m_unsafeRecentSessions.rbegin(), m_unsafeRecentSessions.rend(),
            [&](const StoredSession& session) { return session.startedAt == startedAt; });
        if (found != m_unsafeRecentSessions.rend())
            found->durationInSeconds = durationInSeconds;
        else
            m_unsafeRecentSessions.append({startedAt, durationInSeconds});
        sessions = m_unsafeRecentSessions;
    }
    if (m_store)
        m_store->set(recentSessionsKey, encodeSessions(sessions));
}

void SessionManager::recordTodayAsUsedDay()
{
    QStringList days = distinctDaysUsed();
    const QString day = today();
    if (!days.isEmpty() && days.last() == day)
        return;
    days.append(day);
    if (m_store)
        m_persistenceQueue.async(
            [store = m_store, days] { store->set(distinctDaysUsedKey, days); });
}

qint64 SessionManager::averageSessionSeconds() const
{
    const QList<StoredSession> sessions = recentSessions();
    if (sessions.isEmpty())
        return -1;
    if (sessions.size() == 1)
        return sessions.first().durationInSeconds;
    qint64 sum = 0;
    for (qsizetype i = 0; i < sessions.size() - 1; ++i)
        sum += sessions[i].durationInSeconds;
    return sum / (sessions.size() - 1);
}

qint64 SessionManager::totalSessionsCount() const
{
    const qint64 deleted = m_store ? m_store->integer(deletedSessionsCountKey) : 0;
    return recentSessions().size() + deleted;
}

QStringList SessionManager::distinctDaysUsed() const
{
    QStringList days;
    if (!m_store)
        return days;
    for (const QVariant& day : m_store->array(distinctDaysUsedKey))
        days.append(day.toString());
    return days;
}

QString SessionManager::firstSessionDate() const
{
    return m_store ? m_store->string(firstSessionDateKey) : QString();
}

QList<StoredSession> SessionManager::recentSessions() const
{
    const QMutexLocker lock(&m_sessionsLock);
    return m_unsafeRecentSessions;
}

qsizetype SessionManager::countDistinctDays(const QString& notBefore, const QStringList& days)
{
    return std::count_if(days.begin(), days.end(),
                         [&](const QString& day) { return day >= notBefore; });
}

void SessionManager::waitForPersistence()
{
    m_persistenceQueue.sync([] {});
}

QByteArray SessionManager::encodeSessions(const QList<StoredSession>& sessions)
{
    QJsonArray array;
    for (const StoredSession& session : sessions)
        array.append(QJsonObject{{startedAtKey, session.startedAt.toSecsSinceEpoch()},
                                 {durationKey, session.durationInSeconds}});
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<StoredSession>> SessionManager::decodeSessions(const QByteArray& data)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isArray())
        return std::nullopt;
    QList<StoredSession> sessions;
    for (const QJsonValue& value : document.array()) {
        const QJsonValue startedAt = value.toObject().value(startedAtKey);
        const QJsonValue duration = value.toObject().value(durationKey);
        if (!startedAt.isDouble() || !duration.isDouble())
            return std::nullopt;
        const qint64 msecs = qRound64(startedAt.toDouble() * msecsPerSecond);
        sessions.append({QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC), duration.toInteger()});
    }
    return sessions;
}
