#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/InsightsPresets.h"
#include "analytics/TransactionUpdates.h"
#include "analytics/TrialConversionTracker.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace std::chrono_literals;

const QString convertedSignal = QStringLiteral("Insights.Purchase.convertedFromTrial");

Transaction trialStart()
{
    Transaction transaction;
    transaction.productID = QStringLiteral("pro.monthly");
    transaction.originalID = 1000;
    transaction.productType = Transaction::ProductType::autoRenewable;
    transaction.subscriptionGroupID = QStringLiteral("pro");
    transaction.offerType = Transaction::OfferType::introductory;
    transaction.offerPaymentMode = Transaction::PaymentMode::freeTrial;
    transaction.price = 0.0;
    transaction.currencyCode = QStringLiteral("GBP");
    transaction.countryCode = QStringLiteral("GBR");
    return transaction;
}

Transaction renewal()
{
    Transaction transaction = trialStart();
    transaction.offerType.reset();
    transaction.offerPaymentMode.reset();
    transaction.price = 4.99;
    return transaction;
}

// The record is written on the tracker's own queue: an update reads what has landed.
void publish(const Transaction& transaction, bool verified = true)
{
    TrialConversionTracker::shared().waitForPersistence();
    TransactionUpdates::shared().publish({transaction, verified});
}

std::optional<StoredTrial> storedTrial()
{
    TrialConversionTracker::shared().waitForPersistence();
    return TrialConversionTracker::storedTrial();
}

class TrialConversionTest : public ClientTest
{
protected:
    void SetUp() override
    {
        harness.start();
        Insights::purchaseCompleted(trialStart());
    }
    QList<SignalPostBody> converted() { return signalsOfType(sent(), convertedSignal); }
};

TEST_F(TrialConversionTest, ARenewalWithoutTheOfferConvertsOnce)
{
    publish(renewal());
    publish(renewal());
    const QList<SignalPostBody> records = converted();
    ASSERT_EQ(records.size(), 1);
    EXPECT_DOUBLE_EQ(*records.first().floatValue, 4.99 / 0.7948);
    expectParameters(records.first().payload, {{"Insights.Purchase.productID", "pro.monthly"}});
    EXPECT_EQ(storedTrial(), std::nullopt);
}

TEST_F(TrialConversionTest,
       TheTrialItselfOtherPurchasesUnverifiedUpdatesAndALaterExpiryChangeNothing)
{
    publish(trialStart());
    Transaction otherProduct = renewal();
    otherProduct.productID = QStringLiteral("pro.yearly");
    publish(otherProduct);
    Transaction otherPurchase = renewal();
    otherPurchase.originalID = 1001;
    publish(otherPurchase);
    publish(renewal(), false);
    Transaction running = trialStart();
    running.expirationDate = harness.clock.now().addDays(7);
    publish(running);
    EXPECT_TRUE(storedTrial().has_value());
    publish(renewal());
    EXPECT_EQ(converted().size(), 1);
}

TEST_F(TrialConversionTest, RefundsExpiriesAndUpgradesEndTheTrialSilently)
{
    for (int ending = 0; ending < 3; ++ending) {
        Transaction end = trialStart();
        if (ending == 0)
            end.revocationDate = harness.clock.now();
        else if (ending == 1)
            end.expirationDate = harness.clock.now().addSecs(-1);
        else
            end.isUpgraded = true;
        publish(end);
        EXPECT_EQ(storedTrial(), std::nullopt) << ending;
        // The observation has ended: a later renewal is not reported.
        publish(renewal());
        Insights::purchaseCompleted(trialStart());
    }
    EXPECT_TRUE(converted().isEmpty());
}

// Identifiers use every unsigned 64-bit value; the largest one is remembered exactly and its
// conversion reported.
TEST_F(TrialConversionTest, TheLargestIdentifiersConvertLikeAnyOther)
{
    for (const quint64 identifier : {quint64(1) << 63, std::numeric_limits<quint64>::max()}) {
        SCOPED_TRACE(identifier);
        Transaction start = trialStart();
        start.originalID = identifier;
        Insights::purchaseCompleted(start);
        EXPECT_EQ(storedTrial(), (StoredTrial{QStringLiteral("pro.monthly"), identifier}));
        Transaction paid = renewal();
        paid.originalID = identifier - 1;
        publish(paid);
        paid.originalID = identifier;
        publish(paid);
        EXPECT_EQ(storedTrial(), std::nullopt);
    }
    EXPECT_EQ(converted().size(), 2);
}

// Records are written in the order they were handed in, none waiting for the one before.
TEST_F(TrialConversionTest, StoresAreWrittenInTheirOrder)
{
    TrialConversionTracker& tracker = TrialConversionTracker::shared();
    const StoredTrial first{QStringLiteral("a"), 1};
    const StoredTrial second{QStringLiteral("b"), 2};
    tracker.storeTrial(first);
    tracker.storeTrial(std::nullopt);
    tracker.storeTrial(second);
    EXPECT_EQ(storedTrial(), second);
    tracker.storeTrial(std::nullopt);
    EXPECT_EQ(storedTrial(), std::nullopt);
}

TEST_F(TrialConversionTest, StartingTwiceLeavesOneObservation)
{
    TrialConversionTracker::shared().startObservingTransactions();
    TrialConversionTracker::shared().startObservingTransactions();
    publish(renewal());
    EXPECT_EQ(converted().size(), 1);
}

TEST_F(TrialConversionTest, AnUpdateOfAnEarlierTrialLeavesTheNewerOneAlone)
{
    Transaction second = trialStart();
    second.originalID = 2000;
    Insights::purchaseCompleted(second);
    Transaction secondRenewal = renewal();
    secondRenewal.originalID = 2000;
    publish(renewal());
    EXPECT_EQ(storedTrial(), (StoredTrial{QStringLiteral("pro.monthly"), 2000}));
    publish(secondRenewal);
    EXPECT_EQ(converted().size(), 1);
}

TEST(TrialConversionWithoutClientTest, UpdatesAreSkippedAndTheRecordStays)
{
    ClientHarness harness;
    harness.start();
    Insights::purchaseCompleted(trialStart());
    // Written while the client is there.
    TrialConversionTracker::shared().waitForPersistence();
    Insights::terminate();
    harness.mainQueue.runPending();
    publish(renewal());
    harness.start();
    EXPECT_TRUE(storedTrial().has_value());
}

TEST(StoredTrialTest, EncodesBothMembersAndRejectsOtherData)
{
    const StoredTrial trial{QStringLiteral("p"), 9'007'199'254'740'993ull};
    EXPECT_EQ(
        trial.encode(),
        QByteArrayLiteral("{\"productID\":\"p\",\"originalTransactionID\":9007199254740993}"));
    EXPECT_EQ(StoredTrial::decode(trial.encode()), trial);
    // Beyond the signed range, where a double would round, and a name that needs escaping.
    for (const quint64 identifier : {quint64(1) << 63, std::numeric_limits<quint64>::max()}) {
        const StoredTrial large{QStringLiteral("pro \"monthly\"\\"), identifier};
        EXPECT_EQ(StoredTrial::decode(large.encode()), large) << identifier;
    }
    const StoredTrial largest{QStringLiteral("p"), std::numeric_limits<quint64>::max()};
    EXPECT_EQ(
        largest.encode(),
        QByteArrayLiteral("{\"productID\":\"p\",\"originalTransactionID\":18446744073709551615}"));
    // Only the object's own member counts, not the same name inside a string or a nested
    // object, wherever the members stand and however they are spaced.
    EXPECT_EQ(
        StoredTrial::decode("{\"list\":[1,[2]], \"originalTransactionID\" : 18446744073709551614 ,"
                            "\"nested\":{\"originalTransactionID\":7},"
                            "\"productID\":\"x\\\",\\\"originalTransactionID\\\":5\"}"),
        (StoredTrial{QStringLiteral("x\",\"originalTransactionID\":5"),
                     18'446'744'073'709'551'614ull}));
    EXPECT_EQ(StoredTrial::decode("{\"productID\":\"p\"}"), std::nullopt);
    EXPECT_EQ(StoredTrial::decode("garbage"), std::nullopt);
    // Only a whole number from 0 to the largest 64-bit one names a transaction.
    for (const char* identifier : {"-1", "2.5", "1e-3", "18446744073709551616", "\"7\""}) {
        SCOPED_TRACE(identifier);
        EXPECT_EQ(
            StoredTrial::decode(QByteArray("{\"productID\":\"p\",\"originalTransactionID\":") +
                                identifier + '}'),
            std::nullopt);
    }
    EXPECT_EQ(
        StoredTrial::decode("{\"productID\":\"p\",\"originalTransactionID\":18446744073709549568}"),
        (StoredTrial{QStringLiteral("p"), 18'446'744'073'709'549'568ull}));
}

TEST(TrialFromEarlierRunTest, IsObservedWhenTheTrackerIsMade)
{
    ClientHarness harness;
    harness.start();
    // The shared tracker may still observe the trial of an earlier case: a refund ends that.
    const StoredTrial trial{QStringLiteral("pro.monthly"), 1000};
    TrialConversionTracker::shared().storeTrial(trial);
    Transaction refund = trialStart();
    refund.revocationDate = harness.clock.now();
    publish(refund);
    TrialConversionTracker::shared().waitForPersistence();

    analyticsDefaults()->set(QStringLiteral("lastTrial"), trial.encode());
    const TrialConversionTracker tracker;
    TransactionUpdates::shared().publish({renewal(), true});
    EXPECT_EQ(signalsOfType(harness.quitAndReadCache(), convertedSignal).size(), 1);
}

} // namespace
