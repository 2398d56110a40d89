#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsPresets.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// The prefixes are set so that a preset that wrongly applies them shows.
class PresetSignalsTest : public ClientTest
{
protected:
    void SetUp() override
    {
        harness.configuration->setDefaultSignalPrefix(QStringLiteral("App."));
        harness.configuration->setDefaultParameterPrefix(QStringLiteral("app."));
        harness.start();
    }
};

TEST_F(PresetSignalsTest, SendFixedNamesAndKeysWithoutPrefixesOrWarnings)
{
    Insights::acquiredUser(QStringLiteral("newsletter"));
    Insights::acquiredUser(
        QStringLiteral("newsletter"),
        {{QStringLiteral("Insights.Acquisition.channel"), QStringLiteral("ad")}});
    Insights::coreFeatureUsed(QStringLiteral("search"),
                              {{QStringLiteral("q"), QStringLiteral("1")}});
    Insights::onboardingCompleted();
    Insights::referralSent(3);
    Insights::referralSent(1, QStringLiteral("email"));
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 6);
    EXPECT_EQ(records[0].type, QStringLiteral("Insights.Acquisition.userAcquired"));
    expectParameters(records[0].payload, {{"Insights.Acquisition.channel", "newsletter"}});
    // Caller parameters win over the preset's own.
    expectParameters(records[1].payload, {{"Insights.Acquisition.channel", "ad"}});
    EXPECT_EQ(records[2].type, QStringLiteral("Insights.Activation.coreFeatureUsed"));
    expectParameters(records[2].payload, {{"q", "1"}});
    EXPECT_EQ(records[3].type, QStringLiteral("Insights.Activation.onboardingCompleted"));
    expectParameters(records[4].payload, {{"Insights.Referral.receiversCount", "3"},
                                          {"Insights.Referral.kind", nullptr}});
    expectParameters(records[5].payload, {{"Insights.Referral.kind", "email"}});
    EXPECT_TRUE(harness.logs(LogLevel::error).isEmpty());
}

TEST_F(PresetSignalsTest, ErrorsCarryOnlyTheirGivenParts)
{
    const AnyIdentifiableError error(QStringLiteral("disk-full"), QStringLiteral("No space left"));
    Insights::errorOccurred(QStringLiteral("E1"));
    Insights::errorOccurred(QStringLiteral("E2"), ErrorCategory::userInput, QStringLiteral("bad"),
                            {}, 2.0);
    Insights::errorOccurred(error, ErrorCategory::appState);
    Insights::errorOccurred(error, ErrorCategory::thrownException, std::nullopt);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 4);
    expectParameters(records[0].payload, {{"Insights.Error.id", "E1"},
                                          {"Insights.Error.category", nullptr},
                                          {"Insights.Error.message", nullptr}});
    expectParameters(records[1].payload, {{"Insights.Error.category", "user-input"},
                                          {"Insights.Error.message", "bad"}});
    EXPECT_EQ(records[1].floatValue, 2.0);
    expectParameters(records[2].payload, {{"Insights.Error.id", "disk-full"},
                                          {"Insights.Error.message", "No space left"},
                                          {"Insights.Error.category", "app-state"}});
    expectParameters(records[3].payload, {{"Insights.Error.message", nullptr}});
    EXPECT_EQ(errorCategoryFromRawValue(QStringLiteral("thrown-exception")),
              ErrorCategory::thrownException);
    EXPECT_EQ(errorCategoryFromRawValue(QStringLiteral("User-Input")), std::nullopt);
}

TEST_F(PresetSignalsTest, RatingsOutsideZeroToTenAreRefused)
{
    for (qint64 rating : {-1, 0, 10, 11})
        Insights::userRatingSubmitted(rating);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 2);
    expectParameters(records[0].payload, {{"Insights.Referral.ratingValue", "0"}});
    expectParameters(records[1].payload, {{"Insights.Referral.ratingValue", "10"}});
    EXPECT_EQ(harness.logs(LogLevel::error),
              QStringList(2, QStringLiteral("Rating must be between 0 and 10")));
}

TEST_F(PresetSignalsTest, NavigationReportsChainTheirPaths)
{
    Insights::navigationPathChanged(QStringLiteral("notes"));
    Insights::navigationPathChanged(QStringLiteral("settings"));
    Insights::navigationPathChanged(QStringLiteral("a"), QStringLiteral("b"));
    Insights::navigationPathChanged(QStringLiteral("c"));
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 4);
    expectParameters(records[0].payload, {{"Insights.Navigation.identifier", " -> notes"}});
    expectParameters(records[1].payload, {{"Insights.Navigation.identifier", "notes -> settings"}});
    expectParameters(records[2].payload, {{"Insights.Navigation.identifier", "a -> b"}});
    expectParameters(records[3].payload, {{"Insights.Navigation.identifier", "b -> c"},
                                          {"Insights.Navigation.schemaVersion", "1"},
                                          {"Insights.Navigation.sourcePath", "b"}});
}

TEST_F(PresetSignalsTest, ConcurrentNavigationReportsFormOneChain)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                Insights::navigationPathChanged(QStringLiteral("%1-%2").arg(t).arg(i));
        });
    for (std::thread& thread : threads)
        thread.join();
    QSet<QString> sources;
    QSet<QString> destinations;
    for (const SignalPostBody& record : sent()) {
        sources.insert(record.payload.value(QStringLiteral("Insights.Navigation.sourcePath")));
        destinations.insert(
            record.payload.value(QStringLiteral("Insights.Navigation.destinationPath")));
    }
    // Every destination is the source of exactly one later report, except the last one.
    EXPECT_EQ(destinations.size(), 200);
    EXPECT_EQ(sources.size(), 200);
    EXPECT_EQ((destinations - sources).size(), 1);
}

} // namespace
