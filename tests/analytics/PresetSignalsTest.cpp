#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsPresets.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class PresetSignalsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        harness.configuration->setDefaultSignalPrefix(QStringLiteral("App."));
        harness.configuration->setDefaultParameterPrefix(QStringLiteral("app."));
        harness.start();
    }
    QList<SignalPostBody> sent() { return harness.quitAndReadCache(); }

    ClientHarness harness;
};

TEST_F(PresetSignalsTest, SendFixedNamesAndKeysWithoutPrefixesOrWarnings)
{
    Insights::acquiredUser(QStringLiteral("newsletter"));
    Insights::coreFeatureUsed(QStringLiteral("search"),
                              {{QStringLiteral("q"), QStringLiteral("1")}});
    Insights::onboardingCompleted();
    Insights::acquiredUser(
        QStringLiteral("newsletter"),
        {{QStringLiteral("Insights.Acquisition.channel"), QStringLiteral("ad")}});
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].type, QStringLiteral("Insights.Acquisition.userAcquired"));
    EXPECT_EQ(records[0].payload.value(QStringLiteral("Insights.Acquisition.channel")),
              QStringLiteral("newsletter"));
    EXPECT_EQ(records[1].type, QStringLiteral("Insights.Activation.coreFeatureUsed"));
    EXPECT_EQ(records[1].payload.value(QStringLiteral("q")), QStringLiteral("1"));
    EXPECT_EQ(records[2].type, QStringLiteral("Insights.Activation.onboardingCompleted"));
    // Caller parameters win over the preset's own.
    EXPECT_EQ(records[3].payload.value(QStringLiteral("Insights.Acquisition.channel")),
              QStringLiteral("ad"));
    EXPECT_TRUE(harness.logs(LogLevel::error).isEmpty());
}

TEST_F(PresetSignalsTest, OptionalPartsAddKeysOnlyWhenGiven)
{
    Insights::referralSent(3);
    Insights::referralSent(1, QStringLiteral("email"));
    Insights::errorOccurred(QStringLiteral("E1"));
    Insights::errorOccurred(QStringLiteral("E2"), ErrorCategory::userInput, QStringLiteral("bad"),
                            {}, 2.0);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].payload.value(QStringLiteral("Insights.Referral.receiversCount")),
              QStringLiteral("3"));
    EXPECT_FALSE(records[0].payload.contains(QStringLiteral("Insights.Referral.kind")));
    EXPECT_EQ(records[1].payload.value(QStringLiteral("Insights.Referral.kind")),
              QStringLiteral("email"));
    EXPECT_TRUE(records[2].payload.contains(QStringLiteral("Insights.Error.id")));
    EXPECT_FALSE(records[2].payload.contains(QStringLiteral("Insights.Error.category")));
    EXPECT_FALSE(records[2].payload.contains(QStringLiteral("Insights.Error.message")));
    EXPECT_EQ(records[3].payload.value(QStringLiteral("Insights.Error.category")),
              QStringLiteral("user-input"));
    EXPECT_EQ(records[3].payload.value(QStringLiteral("Insights.Error.message")),
              QStringLiteral("bad"));
    EXPECT_EQ(records[3].floatValue, 2.0);
}

TEST_F(PresetSignalsTest, IdentifiableErrorsCarryTheirIdentifierAndDescription)
{
    const AnyIdentifiableError error(QStringLiteral("disk-full"), QStringLiteral("No space left"));
    Insights::errorOccurred(error, ErrorCategory::appState);
    Insights::errorOccurred(error, ErrorCategory::thrownException, std::nullopt);
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].payload.value(QStringLiteral("Insights.Error.id")),
              QStringLiteral("disk-full"));
    EXPECT_EQ(records[0].payload.value(QStringLiteral("Insights.Error.message")),
              QStringLiteral("No space left"));
    EXPECT_EQ(records[0].payload.value(QStringLiteral("Insights.Error.category")),
              QStringLiteral("app-state"));
    EXPECT_FALSE(records[1].payload.contains(QStringLiteral("Insights.Error.message")));
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
    EXPECT_EQ(records[0].payload.value(QStringLiteral("Insights.Referral.ratingValue")),
              QStringLiteral("0"));
    EXPECT_EQ(records[1].payload.value(QStringLiteral("Insights.Referral.ratingValue")),
              QStringLiteral("10"));
    EXPECT_EQ(harness.logs(LogLevel::error),
              (QStringList{QStringLiteral("Rating must be between 0 and 10"),
                           QStringLiteral("Rating must be between 0 and 10")}));
}

TEST_F(PresetSignalsTest, NavigationReportsChainTheirPaths)
{
    Insights::navigationPathChanged(QStringLiteral("notes"));
    Insights::navigationPathChanged(QStringLiteral("settings"));
    Insights::navigationPathChanged(QStringLiteral("a"), QStringLiteral("b"));
    Insights::navigationPathChanged(QStringLiteral("c"));
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 4);
    const QString identifier = QStringLiteral("Insights.Navigation.identifier");
    EXPECT_EQ(records[0].payload.value(identifier), QStringLiteral(" -> notes"));
    EXPECT_EQ(records[1].payload.value(identifier), QStringLiteral("notes -> settings"));
    EXPECT_EQ(records[2].payload.value(identifier), QStringLiteral("a -> b"));
    EXPECT_EQ(records[3].payload.value(identifier), QStringLiteral("b -> c"));
    EXPECT_EQ(records[3].payload.value(QStringLiteral("Insights.Navigation.schemaVersion")),
              QStringLiteral("1"));
    EXPECT_EQ(records[3].payload.value(QStringLiteral("Insights.Navigation.sourcePath")),
              QStringLiteral("b"));
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
