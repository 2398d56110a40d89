#pragma once

#include "analytics/Transaction.h"

#include <QMutex>

#include <functional>
#include <map>

struct TransactionUpdate
{
    Transaction transaction;
    bool verified = true;
};

// The stream of transaction updates. There is no store on Linux: whoever learns of a
// renewal, refund or expiry publishes it here, and every current observer hears of it on
// the publishing thread.
class TransactionUpdates
{
public:
    using Observer = std::function<void(const TransactionUpdate&)>;

    static TransactionUpdates& shared();

    quint64 subscribe(Observer observer);
    void unsubscribe(quint64 subscription);
    void publish(const TransactionUpdate& update);

private:
    QMutex m_mutex;
    quint64 m_nextSubscription = 1;
    std::map<quint64, Observer> m_observers;
};
