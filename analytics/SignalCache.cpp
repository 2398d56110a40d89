#include "SignalCache.h"

#include "platform/FileWriteQueue.h"
#include "platform/StoredFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace {

const QString cacheFileName = QStringLiteral("insightssignalcache");
const QString saveErrorMessage = QStringLiteral("Error saving Insights cache");

qsizetype clampedLimit(qint64 limit)
{
    return qsizetype(std::clamp<qint64>(limit, 0, std::numeric_limits<qsizetype>::max()));
}

} // namespace

SignalCache::SignalCache(std::optional<LogHandler> logHandler, qint64 cacheLimit,
                         const QString& cacheFilePath)
    : m_logHandler(std::move(logHandler))
    , m_cacheLimit(clampedLimit(cacheLimit))
    , m_cacheFilePath(cacheFilePath)
{
    m_queue.barrierSync([this] { loadFromDisk(); });
}

void SignalCache::log(LogLevel level, const QString& message) const
{
    if (m_logHandler)
        m_logHandler->log(level, message);
}

void SignalCache::push(const SignalPostBody& signal)
{
    m_queue.barrierSync([&] {
        m_cachedSignals.push_back(signal);
        trimToLimit();
    });
}

void SignalCache::push(const QList<SignalPostBody>& signals)
{
    m_queue.barrierSync([&] {
        m_cachedSignals.insert(m_cachedSignals.end(), signals.begin(), signals.end());
        trimToLimit();
    });
}

QList<SignalPostBody> SignalCache::pop()
{
    return m_queue.barrierSync([this] {
        const auto size = std::min<std::size_t>(m_cachedSignals.size(),
                                                std::size_t(maximumNumberOfSignalsToPopAtOnce));
        const auto end = m_cachedSignals.begin() + qsizetype(size);
        QList<SignalPostBody> batch(m_cachedSignals.begin(), end);
        m_cachedSignals.erase(m_cachedSignals.begin(), end);
        return batch;
    });
}

qsizetype SignalCache::count() const
{
    return m_queue.sync([this] { return qsizetype(m_cachedSignals.size()); });
}

void SignalCache::trimToLimit()
{
    if (qsizetype(m_cachedSignals.size()) > m_cacheLimit)
        m_cachedSignals.erase(m_cachedSignals.begin(),
                              m_cachedSignals.end() - qsizetype(m_cacheLimit));
}

QString SignalCache::diskCachePath() const
{
    if (!m_cacheFilePath.isEmpty())
        return m_cacheFilePath;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty())
        return {};
    return folder + QLatin1Char('/') + cacheFileName;
}

void SignalCache::loadFromDisk()
{
    const QString path = diskCachePath();
    if (path.isEmpty()) {
        log(LogLevel::error, QStringLiteral("Failed to get disk cache url from FileManager."));
        return;
    }
    log(LogLevel::info,
        QStringLiteral("Loading Insights cache from: ") + QUrl::fromLocalFile(path).toString());

    const StoredFile::Contents contents = StoredFile::read(path);
    if (!contents.error.isEmpty())
        return;
    QFile::remove(path);

    const QJsonDocument document = QJsonDocument::fromJson(contents.bytes);
    if (!document.isArray())
        return;
    std::vector<SignalPostBody> loaded;
    for (const QJsonValue& value : document.array()) {
        auto body = SignalPostBody::fromCacheJson(value.toObject());
        if (!body)
            return;
        loaded.push_back(std::move(*body));
    }
    log(LogLevel::info, QStringLiteral("Loaded %1 signals").arg(loaded.size()));
    m_cachedSignals.insert(m_cachedSignals.end(), std::make_move_iterator(loaded.begin()),
                           std::make_move_iterator(loaded.end()));
    trimToLimit();
}

void SignalCache::backupToDisk(FileWriteQueue& writeQueue)
{
    QByteArray data;
    qsizetype count = 0;
    // Exclusive: a concurrent push must not change the queue while it is read.
    m_queue.barrierSync([&] {
        QJsonArray array;
        for (const SignalPostBody& body : m_cachedSignals)
            array.append(body.toCacheJson());
        data = QJsonDocument(array).toJson(QJsonDocument::Compact);
        count = qsizetype(m_cachedSignals.size());
    });

    const QString path = diskCachePath();
    if (path.isEmpty()) {
        log(LogLevel::error, saveErrorMessage);
        return;
    }
    // The write waits where the disk may hold it up, never on the caller's thread; the records
    // leave memory only once they are in the file.
    auto written = std::make_shared<bool>(false);
    writeQueue.submit(
        path,
        [path, data, count, written, logHandler = m_logHandler] {
            const auto log = [&](LogLevel level, const QString& message) {
                if (logHandler)
                    logHandler->log(level, message);
            };
            // A hashed user id and device facts: the user's alone. The cache folder is made so
            // when it is missing; one that is there is the user's and other programs', and
            // keeps its mode.
            QString error;
            if (!QFileInfo(path).absoluteDir().exists())
                error = StoredFile::makePrivateFolder(path);
            if (error.isEmpty())
                error = StoredFile::write(path, data, StoredFile::privateFileMode);
            if (!error.isEmpty()) {
                // The reason on a line of its own, so the first line reads the same every time.
                log(LogLevel::error, saveErrorMessage + QLatin1Char('\n') + error);
                return;
            }
            log(LogLevel::info, QStringLiteral("Saved Insights cache %1 bytes of %2 signals")
                                    .arg(data.size())
                                    .arg(count));
            *written = true;
        },
        [this, alive = std::weak_ptr<bool>(m_alive), count, written] {
            if (alive.expired() || !*written)
                return;
            m_queue.barrierSync([this, count] {
                const auto end =
                    m_cachedSignals.begin() + std::min(count, qsizetype(m_cachedSignals.size()));
                m_cachedSignals.erase(m_cachedSignals.begin(), end);
            });
        });
}
