#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/InsightsPresets.h"
#include "analytics/Transaction.h"
#include "analytics/TrialConversionTracker.h"
#include "analytics/UsdExchangeRates.h"

#include <gtest/gtest.h>

namespace {

Transaction oneTimePurchase(double price, const std::optional<QString>& currency)
{
    Transaction transaction;
    transaction.productID = QStringLiteral("tip.small");
    transaction.originalID = 42;
    transaction.price = price;
    transaction.currencyCode = currency;
    transaction.countryCode = QStringLiteral("AUT");
    return transaction;
}

Transaction subscription(std::optional<double> price)
{
    Transaction transaction;
    transaction.productID = QStringLiteral("pro.yearly");
    transaction.originalID = 7;
    transaction.productType = Transaction::ProductType::autoRenewable;
    transaction.subscriptionGroupID = QStringLiteral("pro");
    transaction.offerType = Transaction::OfferType::introductory;
    transaction.offerPaymentMode = Transaction::PaymentMode::freeTrial;
    transaction.price = price;
    transaction.currencyCode = QStringLiteral("EUR");
    transaction.countryCode = QStringLiteral("DEU");
    return transaction;
}

TEST(UsdExchangeRatesTest, HoldsTheTableInCodeOrderWithItsTellingRows)
{
    const auto& rows = usdExchangeRateRows();
    ASSERT_EQ(rows.size(), 161);
    EXPECT_EQ(rows.first().first, QStringLiteral("AED"));
    EXPECT_EQ(rows.last().first, QStringLiteral("ZWL"));
    for (qsizetype i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].first, rows[i].first);
    const auto& rates = usdExchangeRates();
    EXPECT_EQ(rates.size(), 161);
    EXPECT_FALSE(rates.contains(QStringLiteral("USD")));
    const std::pair<const char*, double> telling[] = {
        {"AED", 3.6725}, {"AUD", 1.5742}, {"CAD", 1.4182}, {"CHF", 0.8997},  {"CNY", 7.2626},
        {"EUR", 0.9533}, {"GBP", 0.7948}, {"FKP", 0.7948}, {"GGP", 0.7948},  {"GIP", 0.7948},
        {"IMP", 0.7948}, {"JEP", 0.7948}, {"SHP", 0.7948}, {"INR", 86.7955}, {"JPY", 152.3479},
        {"KWD", 0.3085}, {"BMD", 1.0},    {"BSD", 1.0},    {"PAB", 1.0},     {"LBP", 89500.0}};
    for (const auto& [code, rate] : telling)
        EXPECT_EQ(rates.value(QString::fromLatin1(code)), rate) << code;
    for (const char* local : {"FOK", "KID", "TVD"})
        EXPECT_TRUE(rates.contains(QString::fromLatin1(local))) << local;
}

TEST(TransactionTest, PricesConvertToDollarsByTheTable)
{
    EXPECT_DOUBLE_EQ(oneTimePurchase(9.99, QStringLiteral("EUR")).priceInUSD(), 9.99 / 0.9533);
    EXPECT_EQ(oneTimePurchase(9.99, QStringLiteral("USD")).priceInUSD(), 9.99);
    EXPECT_EQ(oneTimePurchase(9.99, QStringLiteral("usd")).priceInUSD(), 0.0);
    EXPECT_EQ(oneTimePurchase(9.99, QStringLiteral("XYZ")).priceInUSD(), 0.0);
    EXPECT_EQ(oneTimePurchase(9.99, std::nullopt).priceInUSD(), 0.0);
    Transaction noPrice = oneTimePurchase(0, QStringLiteral("USD"));
    noPrice.price.reset();
    EXPECT_EQ(noPrice.priceInUSD(), 0.0);
}

TEST(TransactionTest, PurchaseParametersTellSubscriptionsByTheirGroup)
{
    EXPECT_EQ(oneTimePurchase(1, QStringLiteral("EUR")).purchaseParameters(),
              (SignalParameters{
                  {QStringLiteral("Insights.Purchase.type"), QStringLiteral("one-time-purchase")},
                  {QStringLiteral("Insights.Purchase.countryCode"), QStringLiteral("AUT")},
                  {QStringLiteral("Insights.Purchase.productID"), QStringLiteral("tip.small")},
                  {QStringLiteral("Insights.Purchase.currencyCode"), QStringLiteral("EUR")}}));
    const SignalParameters noCurrency = oneTimePurchase(1, std::nullopt).purchaseParameters();
    EXPECT_FALSE(noCurrency.contains(QStringLiteral("Insights.Purchase.currencyCode")));
    EXPECT_EQ(
        subscription(0.0).purchaseParameters().value(QStringLiteral("Insights.Purchase.type")),
        QStringLiteral("subscription"));
}

using PurchaseSignalsTest = ClientTest;

// Free introductory offers of subscriptions start trials; every other purchase, discounted or
// free, is a completed one priced in dollars.
TEST_F(PurchaseSignalsTest, PurchasesAreReportedByTheirKind)
{
    harness.start();
    Insights::purchaseCompleted(oneTimePurchase(9.99, QStringLiteral("EUR")));
    Insights::purchaseCompleted(
        oneTimePurchase(1.0, QStringLiteral("USD")),
        {{QStringLiteral("Insights.Purchase.type"), QStringLiteral("gift")}});
    Insights::purchaseCompleted(subscription(1.99));
    Transaction freeItem = oneTimePurchase(0.0, QStringLiteral("EUR"));
    freeItem.offerType = Transaction::OfferType::introductory;
    Insights::purchaseCompleted(freeItem);
    EXPECT_EQ(TrialConversionTracker::storedTrial(), std::nullopt);
    Insights::purchaseCompleted(subscription(0.0), {}, QStringLiteral("user"));
    Transaction unpriced = subscription(std::nullopt);
    unpriced.originalID = 8;
    Insights::purchaseCompleted(unpriced);
    // Only the last trial is remembered, once its record is written.
    TrialConversionTracker::shared().waitForPersistence();
    EXPECT_EQ(TrialConversionTracker::storedTrial(),
              (StoredTrial{QStringLiteral("pro.yearly"), 8}));

    const QString completed = QStringLiteral("Insights.Purchase.completed");
    const QString trial = QStringLiteral("Insights.Purchase.freeTrialStarted");
    const std::pair<QString, std::optional<double>> expected[] = {
        {completed, 9.99 / 0.9533}, {completed, 1.0},      {completed, 1.99 / 0.9533},
        {completed, 0.0},           {trial, std::nullopt}, {trial, std::nullopt}};
    const QList<SignalPostBody> records = sent();
    ASSERT_EQ(records.size(), qsizetype(std::size(expected)));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].type, expected[i].first);
        EXPECT_EQ(records[i].floatValue.has_value(), expected[i].second.has_value());
        if (expected[i].second) {
            EXPECT_DOUBLE_EQ(records[i].floatValue.value_or(-1), *expected[i].second);
        }
    }
    expectParameters(records[0].payload, {{"Insights.Purchase.type", "one-time-purchase"}});
    // Caller parameters replace computed ones.
    expectParameters(records[1].payload, {{"Insights.Purchase.type", "gift"}});
}

} // namespace
