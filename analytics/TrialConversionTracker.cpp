#include "TrialConversionTracker.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/TransactionUpdates.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

const QString lastTrialKey = QStringLiteral("lastTrial");
const QString productIDKey = QStringLiteral("productID");
const QString originalTransactionIDKey = QStringLiteral("originalTransactionID");

} // namespace

QByteArray StoredTrial::encode() const
{
    // Integers that fit are written exactly; larger ones only as JSON doubles.
    const QJsonValue identifier =
        originalTransactionID <= quint64(std::numeric_limits<qint64>::max())
            ? QJsonValue(qint64(originalTransactionID))
            : QJsonValue(double(originalTransactionID));
    return QJsonDocument(
               QJsonObject{{productIDKey, productID}, {originalTransactionIDKey, identifier}})
        .toJson(QJsonDocument::Compact);
}

std::optional<StoredTrial> StoredTrial::decode(const QByteArray& data)
{
    const QJsonObject object = QJsonDocument::fromJson(data).object();
    const QJsonValue productID = object.value(productIDKey);
    const QJsonValue identifier = object.value(originalTransactionIDKey);
    if (!productID.isString() || !identifier.isDouble())
        return std::nullopt;
    const QVariant number = identifier.toVariant();
    if (number.metaType().id() == QMetaType::LongLong) {
        if (number.toLongLong() < 0)
            return std::nullopt;
        return StoredTrial{productID.toString(), quint64(number.toLongLong())};
    }
    const double value = identifier.toDouble();
    if (!(value >= 0.0 && value < 0x1p64) || value != std::floor(value))
        return std::nullopt;
    return StoredTrial{productID.toString(), quint64(value)};
}

TrialConversionTracker& TrialConversionTracker::shared()
{
    static auto* tracker = new TrialConversionTracker;
    return *tracker;
}

TrialConversionTracker::TrialConversionTracker()
{
    if (storedTrial())
        startObservingTransactions();
}

TrialConversionTracker::~TrialConversionTracker()
{
    const QMutexLocker lock(&m_mutex);
    stopObserving();
}

std::optional<StoredTrial> TrialConversionTracker::storedTrial()
{
    UserDefaults* suite = analyticsDefaults();
    if (!suite)
        return std::nullopt;
    return StoredTrial::decode(suite->data(lastTrialKey));
}

void TrialConversionTracker::storeTrial(const std::optional<StoredTrial>& trial)
{
    const QMutexLocker lock(&m_mutex);
    UserDefaults* suite = analyticsDefaults();
    if (!suite)
        return;
    if (trial)
        suite->set(lastTrialKey, trial->encode());
    else
        suite->remove(lastTrialKey);
}

void TrialConversionTracker::startObservingTransactions()
{
    const QMutexLocker lock(&m_mutex);
    stopObserving();
    const quint64 observation = m_nextObservation++;
    const quint64 subscription = TransactionUpdates::shared().subscribe(
        [this, observation](const TransactionUpdate& update) {
            observeTransactionUpdate(observation, update);
        });
    m_transactionUpdateTask = {observation, subscription};
}

void TrialConversionTracker::stopObserving()
{
    if (m_transactionUpdateTask)
        TransactionUpdates::shared().unsubscribe(m_transactionUpdateTask->second);
    m_transactionUpdateTask.reset();
}

void TrialConversionTracker::observeTransactionUpdate(quint64 observation,
                                                      const TransactionUpdate& update)
{
    // One update at a time, and only for the observation that is still current: a replaced
    // observation neither ends the newer one nor touches the newer trial's record.
    const QMutexLocker lock(&m_mutex);
    if (!m_transactionUpdateTask || m_transactionUpdateTask->first != observation)
        return;
    if (!update.verified)
        return;
    const auto manager = InsightsManager::shared();
    if (!manager || !manager->analyticsDefaults())
        return;
    UserDefaults* suite = manager->analyticsDefaults();
    const auto trial = StoredTrial::decode(suite->data(lastTrialKey));
    const Transaction& transaction = update.transaction;
    if (!trial || transaction.productID != trial->productID ||
        transaction.originalID != trial->originalTransactionID)
        return;

    const QDateTime now = manager->environment().clock->now();
    const bool ended = transaction.revocationDate.has_value() ||
                       (transaction.expirationDate && *transaction.expirationDate < now) ||
                       transaction.isUpgraded;
    if (!ended && transaction.isFreeTrial())
        return;
    if (!ended)
        Insights::internalSignal(QStringLiteral("Insights.Purchase.convertedFromTrial"),
                                 transaction.purchaseParameters(), transaction.priceInUSD());
    if (StoredTrial::decode(suite->data(lastTrialKey)) == trial)
        suite->remove(lastTrialKey);
    stopObserving();
}
