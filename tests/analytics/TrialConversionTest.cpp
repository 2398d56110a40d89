#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/InsightsPresets.h"
#include "analytics/TransactionUpdates.h"
#include "analytics/TrialConversionTracker.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

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

void publish(const Transaction& transaction, bool verified = true)
{
    TransactionUpdates::shared().publish({transaction, verified});
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
    EXPECT_EQ(TrialConversionTracker::storedTrial(), std::nullopt);
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
    EXPECT_TRUE(TrialConversionTracker::storedTrial().has_value());
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
        EXPECT_EQ(TrialConversionTracker::storedTrial(), std::nullopt) << ending;
        // The observation has ended: a later renewal is not reported.
        publish(renewal());
        Insights::purchaseCompleted(trialStart());
    }
    EXPECT_TRUE(converted().isEmpty());
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
    EXPECT_EQ(TrialConversionTracker::storedTrial(),
              (StoredTrial{QStringLiteral("pro.monthly"), 2000}));
    publish(secondRenewal);
    EXPECT_EQ(converted().size(), 1);
}

TEST(TrialConversionWithoutClientTest, UpdatesAreSkippedAndTheRecordStays)
{
    ClientHarness harness;
    harness.start();
    Insights::purchaseCompleted(trialStart());
    Insights::terminate();
    harness.mainQueue.runPending();
    publish(renewal());
    harness.start();
    EXPECT_TRUE(TrialConversionTracker::storedTrial().has_value());
}

TEST(StoredTrialTest, EncodesBothMembersAndRejectsOtherData)
{
    const StoredTrial trial{QStringLiteral("p"), 9'007'199'254'740'993ull};
    EXPECT_EQ(
        trial.encode(),
        QByteArrayLiteral("{\"originalTransactionID\":9007199254740993,\"productID\":\"p\"}"));
    EXPECT_EQ(StoredTrial::decode(trial.encode()), trial);
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
    analyticsDefaults()->set(QStringLiteral("lastTrial"),
                             StoredTrial{QStringLiteral("pro.monthly"), 1000}.encode());
    const TrialConversionTracker tracker;
    publish(renewal());
    EXPECT_EQ(signalsOfType(harness.quitAndReadCache(), convertedSignal).size(), 1);
}

} // namespace
