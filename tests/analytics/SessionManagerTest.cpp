#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/SessionManager.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QHash>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QDateTime start(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC);

class SessionManagerTest : public testing::Test
{
protected:
    SessionManagerTest()
        : clock(start)
        , store(std::make_unique<UserDefaults>(QStringLiteral("suite"), m_folder.path()))
    {}

    std::unique_ptr<SessionManager> open()
    {
        return std::make_unique<SessionManager>(
            store.get(), InsightsEnvironment{&clock, &mainQueue, &scheduler});
    }
    void storeSessions(const QList<StoredSession>& sessions)
    {
        store->set(QStringLiteral("recentSessions"), SessionManager::encodeSessions(sessions));
    }
    QList<StoredSession> storedSessions() const
    {
        return SessionManager::decodeSessions(store->data(QStringLiteral("recentSessions")))
            .value_or(QList<StoredSession>());
    }
    // Moves the clock and the timers on together.
    void pass(std::chrono::milliseconds step)
    {
        for (auto done = 0ms; done < step; done += 100ms) {
            clock.advance(100ms);
            scheduler.advance(100ms);
        }
    }

    QTemporaryDir m_folder;
    ManualClock clock;
    ManualMainQueue mainQueue;
    ManualScheduler scheduler;
    std::unique_ptr<UserDefaults> store;
};

TEST_F(SessionManagerTest, AveragesLeaveOutTheRunningSession)
{
    const auto averageOf = [&](const QList<qint64>& durations) {
        QList<StoredSession> sessions;
        for (qint64 duration : durations)
            sessions.append({start.addSecs(-3600 + sessions.size()), duration});
        storeSessions(sessions);
        return open()->averageSessionSeconds();
    };
    EXPECT_EQ(averageOf({10, 20, 5}), 15);
    EXPECT_EQ(averageOf({10, 21}), 10);
    EXPECT_EQ(averageOf({7}), 7);
    EXPECT_EQ(averageOf({}), -1);
    EXPECT_EQ(averageOf({1, 2, 100}), 1);
}

TEST_F(SessionManagerTest, OldSessionsArePrunedCountedAndWrittenBackTogether)
{
    const StoredSession old{start.addSecs(-7'776'001), 30};
    const StoredSession edge{start.addSecs(-7'776'000), 40};
    const StoredSession recent{start.addSecs(-60), 50};
    storeSessions({old, edge, recent});
    store->set(QStringLiteral("deletedSessionsCount"), 4);
    {
        auto sessions = open();
        EXPECT_EQ(sessions->recentSessions(), (QList<StoredSession>{recent}));
        sessions->waitForPersistence();
        EXPECT_EQ(sessions->totalSessionsCount(), 7);
    }
    // The run ended without storing a session: the next start must not count them again.
    EXPECT_EQ(store->integer(QStringLiteral("deletedSessionsCount")), 6);
    EXPECT_EQ(storedSessions(), (QList<StoredSession>{recent}));
    auto next = open();
    next->waitForPersistence();
    EXPECT_EQ(next->totalSessionsCount(), 7);
}

TEST_F(SessionManagerTest, EachDayOfUseIsRecordedOnce)
{
    open()->waitForPersistence();
    open()->waitForPersistence();
    EXPECT_EQ(open()->distinctDaysUsed(), (QStringList{QStringLiteral("2024-03-10")}));
    clock.advance(24h);
    open()->waitForPersistence();
    auto sessions = open();
    EXPECT_EQ(sessions->distinctDaysUsed(),
              (QStringList{QStringLiteral("2024-03-10"), QStringLiteral("2024-03-11")}));
}

// A session counts its active time only, and nothing ticks while the application is
// inactive; it is stored once it has a second of it.
TEST_F(SessionManagerTest, ASessionIsStoredWithItsActiveTimeOnceItReachesASecond)
{
    auto sessions = open();
    sessions->startNewSession();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    pass(5s);
    sessions->waitForPersistence();
    EXPECT_TRUE(storedSessions().isEmpty());
    EXPECT_EQ(store->string(QStringLiteral("firstSessionDate")), QStringLiteral("2024-03-10"));

    sessions->handleWillEnterForegroundNotification();
    pass(900ms);
    sessions->waitForPersistence();
    EXPECT_TRUE(storedSessions().isEmpty());
    pass(4100ms);
    sessions->handleDidEnterBackgroundNotification();
    pass(10s);
    sessions->handleWillEnterForegroundNotification();
    sessions->handleWillEnterForegroundNotification();
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    pass(5s);
    // Active when it starts: the next session counts at once.
    sessions->startNewSession();
    pass(2s);
    sessions->waitForPersistence();
    EXPECT_EQ(storedSessions(), (QList<StoredSession>{{start, 10}, {start.addSecs(25), 2}}));
}

// Only a start with no session and no day of use in the last 90 days is a new installation;
// a short run, which stores no session, still counts as a start.
TEST_F(SessionManagerTest, ANewInstallationIsAStartWithNothingInTheLast90Days)
{
    struct Row
    {
        const char* name;
        QStringList daysUsed;
        QList<StoredSession> sessions;
        bool newInstallation;
    };
    const Row rows[] = {
        {"first start", {}, {}, true},
        {"short runs before", {QStringLiteral("2024-01-15")}, {}, false},
        {"only old days", {QStringLiteral("2023-12-01")}, {}, true},
        {"a recent session", {}, {{start.addSecs(-60), 5}}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        store->removePersistentDomain();
        store->set(QStringLiteral("distinctDaysUsed"), row.daysUsed);
        storeSessions(row.sessions);
        auto sessions = open();
        sessions->startNewSession();
        sessions->waitForPersistence();
        EXPECT_EQ(store->object(QStringLiteral("firstSessionDate")).isValid(), row.newInstallation);
        // A second start of the same run is never one, though the first stored nothing.
        store->remove(QStringLiteral("firstSessionDate"));
        sessions->startNewSession();
        sessions->waitForPersistence();
        EXPECT_FALSE(store->object(QStringLiteral("firstSessionDate")).isValid());
    }
}

TEST_F(SessionManagerTest, AClockSetBackAddsNoTime)
{
    auto sessions = open();
    sessions->handleWillEnterForegroundNotification();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    sessions->startNewSession();
    pass(3s);
    clock.advance(-60s);
    scheduler.advance(1s);
    pass(1s);
    sessions->waitForPersistence();
    EXPECT_EQ(storedSessions().last().durationInSeconds, 4);
}

TEST_F(SessionManagerTest, UndecodableSessionDataCountsAsNone)
{
    store->set(QStringLiteral("recentSessions"), QByteArrayLiteral("[{\"st\":\"x\"}]"));
    auto sessions = open();
    EXPECT_TRUE(sessions->recentSessions().isEmpty());
    EXPECT_EQ(sessions->totalSessionsCount(), 0);
}

// Sent on the first start only, also when that start never became active and so stored no
// session.
TEST(NewInstallTest, IsSentOnlyOnTheFirstStart)
{
    QList<SignalPostBody> records;
    for (int run = 0; run < 2; ++run) {
        ClientHarness harness;
        harness.configuration->setSessionStatsEnabled(true);
        harness.clock.setNow(QDateTime(QDate(2024, 7, 4 + run), QTime(10, 0), Qt::LocalTime));
        harness.start();
        harness.advance(500ms);
        records.append(harness.quitAndReadCache());
        // Counted once: the next run must not send this run's queue again.
        QFile::remove(ClientHarness::cacheFilePath());
        Insights::terminate();
        harness.mainQueue.runPending();
    }
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().type, QStringLiteral("Insights.Acquisition.newInstallDetected"));
    expectParameters(records.first().payload,
                     {{"Insights.Acquisition.firstSessionDate", "2024-07-04"}});
}

// Against the service: the payload of a signal counts a session only from its first second.
TEST(ShortSessionTest, IsCountedFromItsFirstSecond)
{
    ClientHarness harness;
    harness.configuration->setSessionStatsEnabled(true);
    harness.start();
    Insights::applicationWillBecomeActive();
    const auto pass = [&](std::chrono::milliseconds step) {
        for (auto done = 0ms; done < step; done += 100ms) {
            harness.clock.advance(100ms);
            harness.advance(100ms);
        }
    };
    pass(500ms); // the first session starts
    pass(900ms);
    Insights::signal(QStringLiteral("short"));
    harness.mainQueue.runPending();
    pass(100ms);
    InsightsManager::shared()->sessionManager()->waitForPersistence();
    Insights::signal(QStringLiteral("counted"));
    harness.mainQueue.runPending();
    ASSERT_TRUE(harness.waitUntil([&] {
        harness.advance(ClientHarness::sendPeriod);
        return harness.server.receivedSignalCount() >= 3;
    }));

    QHash<QString, QJsonObject> payloads;
    for (const QJsonObject& signal : harness.server.receivedSignals())
        payloads.insert(signal.value(QStringLiteral("type")).toString(),
                        signal.value(QStringLiteral("payload")).toObject());
    const auto figure = [&](const char* type, const char* key) {
        return payloads.value(QString::fromLatin1(type)).value(QString::fromLatin1(key)).toString();
    };
    EXPECT_EQ(figure("short", "Insights.Retention.totalSessionsCount"), QStringLiteral("0"));
    EXPECT_EQ(figure("short", "Insights.Retention.averageSessionSeconds"), QStringLiteral("-1"));
    EXPECT_EQ(figure("counted", "Insights.Retention.totalSessionsCount"), QStringLiteral("1"));
    EXPECT_EQ(figure("counted", "Insights.Retention.averageSessionSeconds"), QStringLiteral("1"));
}

} // namespace
