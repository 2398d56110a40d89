#pragma once

#include "analytics/LogHandler.h"
#include "analytics/SignalPostBody.h"
#include "platform/ConcurrentQueue.h"

#include <deque>
#include <memory>

class FileWriteQueue;

// The records waiting to be sent, oldest first, at most `cacheLimit` of them. What is still
// queued at termination is written to a file, which the next start reads back and deletes.
// Every member is safe to call from any thread.
class SignalCache
{
public:
    static constexpr qsizetype maximumNumberOfSignalsToPopAtOnce = 100;

    // Reads and deletes the previous run's file before it returns. An empty path means the
    // default file, "insightssignalcache" in the user's cache folder. A negative limit
    // counts as 0.
    SignalCache(std::optional<LogHandler> logHandler, qint64 cacheLimit,
                const QString& cacheFilePath = {});
    SignalCache(const SignalCache&) = delete;
    SignalCache& operator=(const SignalCache&) = delete;

    void push(const SignalPostBody& signal);
    void push(const QList<SignalPostBody>& signals);
    // The oldest records, at most 100, removed from the queue.
    QList<SignalPostBody> pop();
    qsizetype count() const;
    // Hands everything queued to `writeQueue` for the file and, once it is written there,
    // takes those records out of the queue.
    void backupToDisk(FileWriteQueue& writeQueue);

    // Empty when the user's cache folder is unknown.
    QString diskCachePath() const;

private:
    void log(LogLevel level, const QString& message) const;
    void loadFromDisk();
    void trimToLimit();

    const std::optional<LogHandler> m_logHandler;
    const qsizetype m_cacheLimit;
    const QString m_cacheFilePath;
    ConcurrentQueue m_queue{QStringLiteral("analytics.client.SignalCache")};
    std::deque<SignalPostBody> m_cachedSignals;
    // Tells a write that finishes after the cache is gone to leave it alone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
