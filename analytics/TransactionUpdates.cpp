#include "TransactionUpdates.h"

#include <vector>

TransactionUpdates& TransactionUpdates::shared()
{
    static auto* updates = new TransactionUpdates;
    return *updates;
}

quint64 TransactionUpdates::subscribe(Observer observer)
{
    const QMutexLocker lock(&m_mutex);
    const quint64 subscription = m_nextSubscription++;
    m_observers.emplace(subscription, std::move(observer));
    return subscription;
}

void TransactionUpdates::unsubscribe(quint64 subscription)
{
    const QMutexLocker lock(&m_mutex);
    m_observers.erase(subscription);
}

void TransactionUpdates::publish(const TransactionUpdate& update)
{
    std::vector<Observer> observers;
    {
        const QMutexLocker lock(&m_mutex);
        for (const auto& [subscription, observer] : m_observers)
            observers.push_back(observer);
    }
    // Called without the lock, so an observer may subscribe or unsubscribe.
    for (const Observer& observer : observers)
        observer(update);
}
