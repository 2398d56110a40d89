#include "TrialConversionTracker.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/ProcessWide.h"
#include "analytics/TransactionUpdates.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

const QString lastTrialKey = QStringLiteral("lastTrial");
const QString productIDKey = QStringLiteral("productID");
const QString originalTransactionIDKey = QStringLiteral("originalTransactionID");

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

qsizetype skipSpace(const QByteArray& json, qsizetype i)
{
    while (i < json.size() && QChar::isSpace(uchar(json[i])))
        ++i;
    return i;
}

// Past the closing quote of the string whose opening quote is at `start`.
qsizetype stringTokenEnd(const QByteArray& json, qsizetype start)
{
    qsizetype i = start + 1;
    while (i < json.size() && json[i] != '"')
        i += json[i] == '\\' ? 2 : 1;
    return i + 1;
}

// The raw text of the last top-level member `key` of a JSON object that has parsed already:
// the parser rounds integers beyond the signed 64-bit range to doubles.
QByteArray memberText(const QByteArray& json, const QString& key)
{
    static const QByteArray valueEnds = QByteArrayLiteral(",}] \t\r\n");
    QByteArray found;
    int depth = 0;
    qsizetype i = 0;
    while (i < json.size()) {
        const char c = json[i];
        if (c != '"') {
            if (c == '{' || c == '[')
                ++depth;
            else if (c == '}' || c == ']')
                --depth;
            ++i;
            continue;
        }
        // Strings are skipped whole, so brackets and quotes inside them count for nothing.
        const qsizetype end = stringTokenEnd(json, i);
        const qsizetype colon = skipSpace(json, end);
        if (depth == 1 && colon < json.size() && json[colon] == ':' &&
            QJsonDocument::fromJson('[' + json.sliced(i, end - i) + ']').array().first() == key) {
            const qsizetype valueStart = skipSpace(json, colon + 1);
            qsizetype valueEnd = valueStart;
            while (valueEnd < json.size() && !valueEnds.contains(json[valueEnd]))
                ++valueEnd;
            found = json.sliced(valueStart, valueEnd - valueStart);
        }
        i = end;
    }
    return found;
}

} // namespace

QByteArray StoredTrial::encode() const
{
    // Written by hand: the JSON writer keeps integers exact only up to the signed 64-bit
    // limit, and a transaction identifier may use every unsigned bit.
    const QByteArray product =
        QJsonDocument(QJsonArray{productID}).toJson(QJsonDocument::Compact).chopped(1).sliced(1);
    return "{\"" + productIDKey.toLatin1() + "\":" + product + ",\"" +
           originalTransactionIDKey.toLatin1() + "\":" + QByteArray::number(originalTransactionID) +
           '}';
}

std::optional<StoredTrial> StoredTrial::decode(const QByteArray& data)
{
    const QJsonObject object = QJsonDocument::fromJson(data).object();
    const QJsonValue productID = object.value(productIDKey);
    const QJsonValue identifier = object.value(originalTransactionIDKey);
    if (!productID.isString() || !identifier.isDouble())
        return std::nullopt;
    const QByteArray text = memberText(data, originalTransactionIDKey);
    if (!text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit)) {
        bool inRange = false;
        const quint64 value = text.toULongLong(&inRange);
        if (!inRange)
            return std::nullopt;
        return StoredTrial{productID.toString(), value};
    }
    // Written as a double by an earlier version: kept when it is a whole number in range.
    const double value = identifier.toDouble();
    if (!(value >= 0.0 && value < 0x1p64) || value != std::floor(value))
        return std::nullopt;
    return StoredTrial{productID.toString(), quint64(value)};
}

TrialConversionTracker& TrialConversionTracker::shared()
{
    return ProcessWide<TrialConversionTracker>::instance();
}

void TrialConversionTracker::waitForSharedPersistence()
{
    // Not made at termination when no trial was ever reported.
    if (TrialConversionTracker* tracker = ProcessWide<TrialConversionTracker>::ifMade())
        tracker->waitForPersistence();
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
    m_persistenceQueue.async([trial] {
        UserDefaults* suite = analyticsDefaults();
        if (!suite)
            return;
        if (trial)
            suite->set(lastTrialKey, trial->encode());
        else
            suite->remove(lastTrialKey);
    });
}

void TrialConversionTracker::waitForPersistence()
{
    m_persistenceQueue.sync([] {});
}

void TrialConversionTracker::forgetTrial(const StoredTrial& trial)
{
    m_persistenceQueue.async([trial] {
        UserDefaults* suite = analyticsDefaults();
        if (suite && StoredTrial::decode(suite->data(lastTrialKey)) == trial)
            suite->remove(lastTrialKey);
    });
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
    const auto manager = InsightsManager::installed();
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
    forgetTrial(*trial);
    stopObserving();
}
