#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

// The harness overrides several of these, and the application relies on them as they are.
// The send period and back-off ceiling show in the sender tests.
TEST(InsightsConfigurationTest, AnIdentifierAloneGivesTheDefaults)
{
    const InsightsManagerConfiguration config(QStringLiteral("APP"));
    EXPECT_EQ(config.salt(), QString());
    EXPECT_EQ(config.insightsNamespace(), std::nullopt);
    EXPECT_EQ(config.cacheLimit(), 10000);
    EXPECT_FALSE(config.testMode());
    EXPECT_TRUE(config.sendNewSessionBeganSignal());
    EXPECT_TRUE(config.sessionStatsEnabled());
    EXPECT_TRUE(config.defaultParameters()().isEmpty());
    ASSERT_TRUE(config.logHandler());
    EXPECT_EQ(config.logHandler()->logLevel, LogLevel::info);
}

// The preview flag follows the environment at every read until it is set, then keeps what was
// set whatever the environment says.
TEST(InsightsConfigurationTest, PreviewModeReadsTheEnvironmentUntilItIsSet)
{
    InsightsManagerConfiguration config(QStringLiteral("APP"));
    const char* const variable = "XCODE_RUNNING_FOR_PREVIEWS";
    const std::pair<const char*, bool> environments[] = {
        {nullptr, false}, {"1", true}, {"0", false}, {"1 ", false}, {"", false}};
    for (const auto& [value, preview] : environments) {
        SCOPED_TRACE(value ? value : "unset");
        if (value)
            qputenv(variable, value);
        else
            qunsetenv(variable);
        EXPECT_EQ(config.swiftUIPreviewMode(), preview);
    }
    qputenv(variable, "1");
    config.setSwiftUIPreviewMode(false);
    EXPECT_FALSE(config.swiftUIPreviewMode());
    qunsetenv(variable);
    config.setSwiftUIPreviewMode(true);
    EXPECT_TRUE(config.swiftUIPreviewMode());
}

TEST(InsightsConfigurationTest, ConcurrentWritesAndReadsSeeWholeValues)
{
    InsightsManagerConfiguration config(QStringLiteral("APP"));
    const QString first(64, QLatin1Char('a'));
    const QString second(64, QLatin1Char('b'));
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            config.setDefaultUser(i % 2 ? first : second);
            config.setSessionID(QUuid::createUuid());
        }
    });
    for (int i = 0; i < 20000; ++i) {
        const auto user = config.defaultUser();
        if (user) {
            ASSERT_TRUE(*user == first || *user == second);
        }
        ASSERT_FALSE(config.sessionID().isNull());
    }
    stop = true;
    writer.join();
}

TEST(InsightsEntryTest, WithoutAClientSignalsAreDroppedAndNothingIsTouched)
{
    // A previous run's queue must survive until the client is really started.
    TestFiles::write(ClientHarness::cacheFilePath(), QByteArrayLiteral("[]"));
    // Outside a preview a manager is made for each access and never installed.
    const auto unstored = InsightsManager::shared();
    ASSERT_NE(unstored, nullptr);
    EXPECT_EQ(unstored->configuration()->insightsAppID(), QString());
    EXPECT_NE(InsightsManager::shared(), unstored);
    EXPECT_EQ(unstored->analyticsDefaults(), nullptr);
    Insights::signal(QStringLiteral("note_created"));
    Insights::internalSignal(QStringLiteral("x"));
    Insights::requestImmediateSync();
    Insights::applicationWillTerminate();
    EXPECT_FALSE(InsightsManager::isInitialized());
    EXPECT_EQ(analyticsDefaults(), nullptr);
    EXPECT_TRUE(QFile::exists(ClientHarness::cacheFilePath()));
}

using InsightsEntryFixture = ClientTest;

// In a design-time preview the manager made on access is installed, and its signals, like every
// signal of a preview, are dropped.
TEST_F(InsightsEntryFixture, APreviewInstallsTheManagerItMakesAfterATerminate)
{
    harness.start();
    Insights::terminate();
    harness.mainQueue.runPending();
    const char* const variable = "XCODE_RUNNING_FOR_PREVIEWS";
    qputenv(variable, "1");
    Insights::signal(QStringLiteral("note_created"));
    const bool installed = InsightsManager::isInitialized();
    const auto first = InsightsManager::shared();
    const auto second = InsightsManager::shared();
    qunsetenv(variable);
    EXPECT_TRUE(installed);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->configuration()->insightsAppID(), QString());
    EXPECT_NE(first->analyticsDefaults(), nullptr);
    Insights::terminate();
}

TEST_F(InsightsEntryFixture, PrefixesApplyToThePublicEntryOnly)
{
    harness.configuration->setDefaultSignalPrefix(QStringLiteral("App."));
    harness.configuration->setDefaultParameterPrefix(QStringLiteral("app."));
    harness.configuration->setDefaultParameters([] {
        return SignalParameters{{QStringLiteral("plan"), QStringLiteral("free")}};
    });
    harness.start();
    Insights::signal(QStringLiteral("opened"),
                     {{QStringLiteral("tab"), QStringLiteral("notes")},
                      {QStringLiteral("Insights.kept"), QStringLiteral("1")}});
    Insights::internalSignal(QStringLiteral("Insights.own"),
                             {{QStringLiteral("raw"), QStringLiteral("2")}});
    Insights::signal(QStringLiteral("x"), {{QStringLiteral("plan"), QStringLiteral("paid")}});
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].type, QStringLiteral("App.opened"));
    expectParameters(
        records[0].payload,
        {{"app.tab", "notes"}, {"Insights.kept", "1"}, {"app.plan", "free"}, {"tab", nullptr}});
    EXPECT_EQ(records[1].type, QStringLiteral("Insights.own"));
    expectParameters(records[1].payload,
                     {{"raw", "2"}, {"app.raw", nullptr}, {"app.plan", "free"}});
    // A given parameter wins over a default one.
    expectParameters(records[2].payload, {{"app.plan", "paid"}});
}

TEST(PrefixedParameterKeysTest, CollidingKeysHaveADeterministicWinner)
{
    InsightsManagerConfiguration configuration(QStringLiteral("APP"));
    configuration.setDefaultParameterPrefix(QStringLiteral("Insights."));
    // "a" becomes "Insights.a", the key given as it is.
    const SignalParameters parameters{{QStringLiteral("a"), QStringLiteral("plain")},
                                      {QStringLiteral("Insights.a"), QStringLiteral("kept")},
                                      {QStringLiteral("z"), QStringLiteral("last")}};
    EXPECT_EQ(prefixedParameterKeys(parameters, configuration),
              (SignalParameters{{QStringLiteral("Insights.a"), QStringLiteral("kept")},
                                {QStringLiteral("Insights.z"), QStringLiteral("last")}}));
}

TEST_F(InsightsEntryFixture, ReservedNamesAreWarnedAboutAndStillSent)
{
    harness.start();
    Insights::signal(QStringLiteral("insights.Custom"));
    Insights::signal(QStringLiteral("PlatForm"));
    Insights::signal(QStringLiteral("fine"), {{QStringLiteral("appVersion"), QStringLiteral("1")},
                                              {QStringLiteral("INSIGHTS.x"), QStringLiteral("2")}});
    EXPECT_EQ(sent().size(), 3);
    const QStringList errors = harness.logs(LogLevel::error);
    EXPECT_EQ(
        QSet(errors.cbegin(), errors.cend()),
        (QSet<QString>{
            QStringLiteral("Sending signal with reserved prefix 'Insights.' will cause "
                           "unexpected behavior. Please use another prefix instead."),
            QStringLiteral("Sending signal with reserved name 'PlatForm' will cause "
                           "unexpected behavior. Please use another name instead."),
            QStringLiteral("Sending parameter with reserved key 'appVersion' will cause "
                           "unexpected behavior. Please use another key instead."),
            QStringLiteral("Sending parameter with reserved key prefix 'Insights.' will "
                           "cause unexpected behavior. Please use another prefix instead.")}));
}

TEST_F(InsightsEntryFixture, DefaultParametersAreCheckedEvenWithWarningsOff)
{
    harness.configuration->setReservedParameterWarningsEnabled(false);
    harness.configuration->setDefaultParameters([] {
        return SignalParameters{{QStringLiteral("locale"), QStringLiteral("x")}};
    });
    harness.start();
    Insights::signal(QStringLiteral("platform"),
                     {{QStringLiteral("appVersion"), QStringLiteral("1")}});
    const QStringList errors = harness.logs(LogLevel::error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(QStringLiteral("reserved key 'locale'")));
}

TEST_F(InsightsEntryFixture, ReportingOffLetsOnlyTheSwitchOffSignalLeave)
{
    harness.configuration->setSessionStatsEnabled(true);
    harness.start();
    // Reporting switched off before the first session starts.
    Insights::signal(QStringLiteral("analytics_disabled"));
    harness.configuration->setAnalyticsDisabled(true);
    Insights::signal(QStringLiteral("note_created"));
    harness.advance(1s);
    Insights::applicationWillBecomeActive();
    harness.advance(5s);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().type, QStringLiteral("analytics_disabled"));
}

TEST_F(InsightsEntryFixture, EverySessionAssignmentSendsTheStartSignal)
{
    harness.configuration->setSendNewSessionBeganSignal(true);
    harness.start();
    const QUuid same = QUuid::createUuid();
    harness.configuration->setSessionID(same);
    harness.configuration->setSessionID(same);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].type, QStringLiteral("Insights.Session.started"));
    EXPECT_EQ(records[0].sessionID, same.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(records[1].type, QStringLiteral("Insights.Session.started"));
}

TEST_F(InsightsEntryFixture, TheFirstSessionStartsHalfASecondAfterInitialisation)
{
    harness.configuration->setSessionStatsEnabled(true);
    harness.start();
    const QUuid initial = harness.configuration->sessionID();
    Insights::signal(QStringLiteral("app_launched"));
    harness.advance(499ms);
    EXPECT_EQ(harness.configuration->sessionID(), initial);
    harness.advance(1ms);
    EXPECT_NE(harness.configuration->sessionID(), initial);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 2);
    // The launch signal was handed over before the session changed.
    EXPECT_EQ(records[0].type, QStringLiteral("app_launched"));
    EXPECT_EQ(records[1].type, QStringLiteral("Insights.Acquisition.newInstallDetected"));
}

TEST_F(InsightsEntryFixture, ASessionStartRequestedOffTheMainThreadRunsOnIt)
{
    harness.configuration->setSessionStatsEnabled(true);
    harness.start();
    std::thread([] { Insights::generateNewSession(); }).join();
    // Nothing ran on the other thread: the start waits for the main queue.
    EXPECT_FALSE(harness.mainQueue.isEmpty());
    harness.mainQueue.runPending();
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().type, QStringLiteral("Insights.Acquisition.newInstallDetected"));
}

TEST_F(InsightsEntryFixture, AReturnAfterFiveMinutesInTheBackgroundStartsASession)
{
    harness.start();
    const auto manager = InsightsManager::shared();
    const QUuid first = harness.configuration->sessionID();
    manager->didEnterBackground();
    harness.clock.advance(300s);
    manager->willEnterForeground();
    EXPECT_EQ(harness.configuration->sessionID(), first);
    manager->didEnterBackground();
    harness.clock.advance(301s);
    manager->willEnterForeground();
    EXPECT_NE(harness.configuration->sessionID(), first);
}

} // namespace
