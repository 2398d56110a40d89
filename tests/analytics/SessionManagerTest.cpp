#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/SessionManager.h"
#include "platform/UserDefaults.h"

#include <QFile>
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

// A session is stored from its start, also when the application never becomes active, and
// nothing ticks until it does.
TEST_F(SessionManagerTest, ASessionIsStoredFromItsStartWithItsActiveTimeOnly)
{
    auto sessions = open();
    sessions->startNewSession();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    pass(5s);
    sessions->waitForPersistence();
    EXPECT_EQ(storedSessions(), (QList<StoredSession>{{start, 0}}));
    EXPECT_EQ(store->string(QStringLiteral("firstSessionDate")), QStringLiteral("2024-03-10"));

    sessions->handleWillEnterForegroundNotification();
    pass(5s);
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

// Sent on the first start only, also when that start never became active.
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

} // namespace
