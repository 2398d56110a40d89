#include "RecordingReportingServices.h"

#include "app/shell/Analytics.h"

#include <gtest/gtest.h>

namespace {

const QString dsn = QStringLiteral("https://0123456789abcdef0123456789abcdef@crash.example/42");
const QString appID = QStringLiteral("5C1D7E2A-6B3F-4A8C-9D0E-1F2A3B4C5D6E");

TEST(AnalyticsGateTest, StartingOffStartsNothingAndSwitchingOnSendsNoLaunchSignal)
{
    RecordingReportingServices services;
    Analytics analytics(services, dsn, appID);
    analytics.start(false);
    EXPECT_TRUE(services.calls.isEmpty());
    analytics.signal(QStringLiteral("note_created"));
    EXPECT_TRUE(services.calls.isEmpty());

    analytics.setEnabled(true);
    EXPECT_EQ(services.calls, (QStringList{QStringLiteral("startCrashReporting"),
                                           QStringLiteral("startCrashSession"),
                                           QStringLiteral("configureAnalytics"),
                                           QStringLiteral("setAnalyticsAllowed 1")}));
    EXPECT_TRUE(analytics.crashReportingStarted());
    EXPECT_TRUE(analytics.analyticsStarted());
}

TEST(AnalyticsGateTest, StartingOnStartsBothThenSendsTheLaunchSignal)
{
    RecordingReportingServices services;
    Analytics analytics(services, dsn, appID);
    analytics.start(true);
    EXPECT_EQ(
        services.calls,
        (QStringList{QStringLiteral("startCrashReporting"), QStringLiteral("startCrashSession"),
                     QStringLiteral("configureAnalytics"), QStringLiteral("signal app_launched")}));
    analytics.signal(QStringLiteral("note_created"));
    EXPECT_EQ(services.signals().last(), QStringLiteral("signal note_created"));
}

TEST(AnalyticsGateTest, SwitchingOffSendsOneSignalAndClosesTheCrashReporter)
{
    RecordingReportingServices services;
    Analytics analytics(services, dsn, appID);
    analytics.start(true);
    services.calls.clear();

    analytics.setEnabled(false);
    EXPECT_EQ(services.calls, (QStringList{QStringLiteral("signal analytics_disabled"),
                                           QStringLiteral("setAnalyticsAllowed 0"),
                                           QStringLiteral("endCrashSession"),
                                           QStringLiteral("closeCrashReporting")}));
    services.calls.clear();
    analytics.setEnabled(false);
    analytics.signal(QStringLiteral("note_deleted"));
    analytics.applicationWillTerminate();
    EXPECT_TRUE(services.calls.isEmpty());

    // On again: a new crash session, but the client is configured once per process.
    analytics.setEnabled(true);
    EXPECT_EQ(services.calls, (QStringList{QStringLiteral("startCrashReporting"),
                                           QStringLiteral("startCrashSession"),
                                           QStringLiteral("setAnalyticsAllowed 1")}));
    analytics.applicationWillTerminate();
    EXPECT_EQ(services.calls.last(), QStringLiteral("endCrashSession"));
}

TEST(AnalyticsGateTest, EmptyBuildValuesKeepTheirServiceOff)
{
    RecordingReportingServices services;
    Analytics noCrashReports(services, QString(), appID);
    noCrashReports.start(true);
    EXPECT_FALSE(services.calls.contains(QStringLiteral("startCrashReporting")));
    EXPECT_TRUE(services.calls.contains(QStringLiteral("signal app_launched")));

    services.calls.clear();
    Analytics noAnalytics(services, dsn, QString());
    noAnalytics.start(true);
    noAnalytics.signal(QStringLiteral("note_created"));
    EXPECT_TRUE(services.signals().isEmpty());
    EXPECT_TRUE(noAnalytics.crashReportingStarted());
}

TEST(AnalyticsGateTest, ACrashReporterThatFailsToStartIsNotCountedAsStarted)
{
    RecordingReportingServices services;
    services.crashReporterStarts = false;
    Analytics analytics(services, dsn, appID);
    analytics.start(true);
    EXPECT_FALSE(analytics.crashReportingStarted());
    EXPECT_FALSE(services.calls.contains(QStringLiteral("startCrashSession")));
    services.calls.clear();
    analytics.setEnabled(false);
    EXPECT_FALSE(services.calls.contains(QStringLiteral("closeCrashReporting")));
}

} // namespace
