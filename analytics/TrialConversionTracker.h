#pragma once

#include "platform/DispatchQueue.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <optional>

struct TransactionUpdate;

// The free trial the purchase statistics remember, kept in the client's suite.
struct StoredTrial
{
    QString productID;
    quint64 originalTransactionID = 0;

    friend bool operator==(const StoredTrial&, const StoredTrial&) = default;

    QByteArray encode() const;
    static std::optional<StoredTrial> decode(const QByteArray& data);
};

// Watches the transaction updates for the remembered free trial and sends
// "Insights.Purchase.convertedFromTrial" once when it turns into a paid subscription; a trial
// that is refunded, expires or is upgraded away is forgotten without a signal.
class TrialConversionTracker
{
public:
    // Made on first use and kept until the process ends.
    static TrialConversionTracker& shared();

    // Starts observing when an earlier run left a trial behind.
    TrialConversionTracker();
    // Must not run while an update is being published.
    ~TrialConversionTracker();
    TrialConversionTracker(const TrialConversionTracker&) = delete;
    TrialConversionTracker& operator=(const TrialConversionTracker&) = delete;

    // Remembers the trial, or forgets it when there is none. Returns at once; the record is
    // written on the tracker's own queue, in the order of the calls.
    void storeTrial(const std::optional<StoredTrial>& trial);
    // Waits until the records handed in so far are written.
    void waitForPersistence();
    // At termination: the shared tracker's records reach the suite before it is flushed.
    static void waitForSharedPersistence();
    // Replaces the current observation, so at most one is running.
    void startObservingTransactions();

    // The trial in the installed client's suite.
    static std::optional<StoredTrial> storedTrial();

private:
    void observeTransactionUpdate(quint64 observation, const TransactionUpdate& update);
    void stopObserving();
    // Forgets the record when it still names `trial`, so that a newer trial stored meanwhile
    // stays.
    void forgetTrial(const StoredTrial& trial);

    DispatchQueue m_persistenceQueue{QStringLiteral("analytics.client.trialtracker.persistence")};
    QMutex m_mutex;
    quint64 m_nextObservation = 1;
    // The current observation and its subscription to the updates.
    std::optional<std::pair<quint64, quint64>> m_transactionUpdateTask;
};
