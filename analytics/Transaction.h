#pragma once

#include "analytics/SignalParameters.h"

#include <QDateTime>

#include <optional>

// A finished in-app purchase as the caller describes it: only the values the purchase
// statistics read.
struct Transaction
{
    enum class ProductType { consumable, nonConsumable, nonRenewable, autoRenewable };
    enum class OfferType { introductory, promotional, code };
    enum class PaymentMode { freeTrial, payAsYouGo, payUpFront };

    QString productID;
    quint64 originalID = 0; // shared by every transaction of the same purchase
    ProductType productType = ProductType::nonConsumable;
    std::optional<OfferType> offerType;
    std::optional<PaymentMode> offerPaymentMode;
    std::optional<double> price; // in the purchase currency
    std::optional<QString> currencyCode;
    QString countryCode;
    std::optional<QString> subscriptionGroupID;
    std::optional<QDateTime> revocationDate;
    std::optional<QDateTime> expirationDate;
    bool isUpgraded = false;

    bool hasIntroductoryOffer() const;
    // An auto-renewable subscription whose introductory offer costs nothing starts a trial.
    bool startsFreeTrial() const;
    // The trial is still running: an introductory offer in free-trial mode.
    bool isFreeTrial() const;
    SignalParameters purchaseParameters() const;
    // 0 without a price, without a currency, or in a currency the rate table lacks.
    double priceInUSD() const;
};
