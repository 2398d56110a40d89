#include "ClientHarness.h"

#include "analytics/DurationSignalTracker.h"
#include "analytics/Insights.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QString durationKey = QStringLiteral("Insights.Signal.durationInSeconds");

class DurationSignalTest : public ClientTest
{
protected:
    void SetUp() override { harness.start(); }
};

TEST_F(DurationSignalTest, TheStopSendsTheDurationRoundedDownToTheMillisecond)
{
    Insights::startDurationSignal(QStringLiteral("export"),
                                  {{QStringLiteral("format"), QStringLiteral("pdf")},
                                   {QStringLiteral("k"), QStringLiteral("start")}});
    harness.clock.advance(2500ms);
    Insights::stopAndSendDurationSignal(QStringLiteral("export"),
                                        {{QStringLiteral("k"), QStringLiteral("stop")}});
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().type, QStringLiteral("export"));
    expectParameters(
        records.first().payload,
        {{"Insights.Signal.durationInSeconds", "2.5"}, {"format", "pdf"}, {"k", "stop"}});
}

TEST_F(DurationSignalTest, DurationTextIsShortestWithAFractionAndNeverRoundsUp)
{
    EXPECT_EQ(DurationSignalTracker::durationText(3.0), QStringLiteral("3.0"));
    EXPECT_EQ(DurationSignalTracker::durationText(12.3459), QStringLiteral("12.345"));
    EXPECT_EQ(DurationSignalTracker::durationText(0.0009), QStringLiteral("0.0"));
    EXPECT_EQ(DurationSignalTracker::durationText(1'000'000.0), QStringLiteral("1000000.0"));
}

TEST_F(DurationSignalTest, InactiveTimeIsLeftOutUnlessAskedFor)
{
    Insights::startDurationSignal(QStringLiteral("active"));
    Insights::startDurationSignal(QStringLiteral("wall"), {}, true);
    harness.clock.advance(5s);
    Insights::applicationDidResignActive();
    harness.clock.advance(10s);
    Insights::applicationWillBecomeActive();
    harness.clock.advance(1s);
    Insights::stopAndSendDurationSignal(QStringLiteral("active"));
    Insights::stopAndSendDurationSignal(QStringLiteral("wall"));
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].payload.value(durationKey), QStringLiteral("6.0"));
    EXPECT_EQ(records[1].payload.value(durationKey), QStringLiteral("16.0"));
}

TEST_F(DurationSignalTest, AStartDuringInactivityNeverGivesANegativeDuration)
{
    Insights::applicationDidResignActive();
    harness.clock.advance(10s);
    Insights::startDurationSignal(QStringLiteral("late"));
    harness.clock.advance(2s);
    Insights::applicationWillBecomeActive();
    harness.clock.advance(1s);
    Insights::stopAndSendDurationSignal(QStringLiteral("late"));
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().payload.value(durationKey), QStringLiteral("0.0"));
}

TEST_F(DurationSignalTest, CancelledOrUnknownTimingsSendNothing)
{
    Insights::stopAndSendDurationSignal(QStringLiteral("never"));
    Insights::startDurationSignal(QStringLiteral("dropped"));
    Insights::cancelDurationSignal(QStringLiteral("dropped"));
    Insights::stopAndSendDurationSignal(QStringLiteral("dropped"));
    Insights::startDurationSignal(QStringLiteral("once"));
    Insights::stopAndSendDurationSignal(QStringLiteral("once"));
    Insights::stopAndSendDurationSignal(QStringLiteral("once"));
    EXPECT_EQ(sent().size(), 1);
}

TEST_F(DurationSignalTest, ASecondStartRestartsTheTimingAndAGivenDurationWins)
{
    Insights::startDurationSignal(QStringLiteral("x"));
    harness.clock.advance(5s);
    Insights::startDurationSignal(QStringLiteral("x"));
    harness.clock.advance(2s);
    Insights::stopAndSendDurationSignal(QStringLiteral("x"));
    Insights::startDurationSignal(QStringLiteral("y"));
    Insights::stopAndSendDurationSignal(QStringLiteral("y"),
                                        {{durationKey, QStringLiteral("given")}});
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].payload.value(durationKey), QStringLiteral("2.0"));
    EXPECT_EQ(records[1].payload.value(durationKey), QStringLiteral("given"));
}

// One tracker serves the process: a timing started before the client is installed, or under
// a client that is then replaced, is sent by the client installed at its stop. The
// application's notices reach it without a client too.
TEST(DurationSignalAcrossClientsTest, TimingsOutliveTheirClient)
{
    ClientHarness harness;
    Insights::startDurationSignal(QStringLiteral("before"));
    Insights::applicationDidResignActive();
    harness.clock.advance(10s);
    Insights::applicationWillBecomeActive();
    harness.clock.advance(2s);
    harness.start();
    Insights::startDurationSignal(QStringLiteral("across"));
    harness.clock.advance(1s);
    harness.start();
    harness.clock.advance(1s);
    Insights::stopAndSendDurationSignal(QStringLiteral("before"));
    Insights::stopAndSendDurationSignal(QStringLiteral("across"));
    const QList<SignalPostBody> records = harness.quitAndReadCache();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].payload.value(durationKey), QStringLiteral("4.0"));
    EXPECT_EQ(records[1].payload.value(durationKey), QStringLiteral("2.0"));
}

} // namespace
