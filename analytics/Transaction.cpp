#include "Transaction.h"

#include "analytics/UsdExchangeRates.h"

bool Transaction::hasIntroductoryOffer() const
{
    return offerType == OfferType::introductory;
}

bool Transaction::startsFreeTrial() const
{
    return productType == ProductType::autoRenewable && hasIntroductoryOffer()
           && (!price || *price == 0.0);
}

bool Transaction::isFreeTrial() const
{
    return hasIntroductoryOffer() && offerPaymentMode == PaymentMode::freeTrial;
}

SignalParameters Transaction::purchaseParameters() const
{
    SignalParameters parameters{
        {QStringLiteral("Insights.Purchase.type"),
         subscriptionGroupID ? QStringLiteral("subscription")
                             : QStringLiteral("one-time-purchase")},
        {QStringLiteral("Insights.Purchase.countryCode"), countryCode},
        {QStringLiteral("Insights.Purchase.productID"), productID},
    };
    if (currencyCode)
        parameters.insert(QStringLiteral("Insights.Purchase.currencyCode"), *currencyCode);
    return parameters;
}

double Transaction::priceInUSD() const
{
    const double amount = price.value_or(0.0);
    if (!currencyCode)
        return 0.0;
    if (*currencyCode == QLatin1String("USD"))
        return amount;
    const auto& rates = usdExchangeRates();
    const auto rate = rates.constFind(*currencyCode);
    return rate == rates.constEnd() ? 0.0 : amount / *rate;
}
