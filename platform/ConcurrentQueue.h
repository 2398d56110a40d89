#pragma once

#include <QString>

#include <mutex>
#include <shared_mutex>

// Synchronous access to shared state: plain blocks may run at the same time as each other,
// a barrier block runs alone.
class ConcurrentQueue
{
public:
    explicit ConcurrentQueue(const QString& label)
        : m_label(label)
    {
    }
    ConcurrentQueue(const ConcurrentQueue&) = delete;
    ConcurrentQueue& operator=(const ConcurrentQueue&) = delete;

    QString label() const { return m_label; }

    template <typename Work>
    auto sync(Work&& work) const
    {
        const std::shared_lock lock(m_mutex);
        return work();
    }

    template <typename Work>
    auto barrierSync(Work&& work) const
    {
        const std::unique_lock lock(m_mutex);
        return work();
    }

private:
    const QString m_label;
    mutable std::shared_mutex m_mutex;
};
