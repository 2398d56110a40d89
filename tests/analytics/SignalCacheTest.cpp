#include "analytics/SignalCache.h"

#include "platform/FileWriteQueue.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include <sys/stat.h>

namespace {

SignalPostBody record(int number)
{
    SignalPostBody body;
    body.receivedAt = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + number, Qt::UTC);
    body.type = QStringLiteral("signal %1").arg(number);
    body.isTestMode = QStringLiteral("false");
    return body;
}

QStringList types(const QList<SignalPostBody>& records)
{
    QStringList list;
    for (const SignalPostBody& body : records)
        list.append(body.type);
    return list;
}

class SignalCacheTest : public testing::Test
{
protected:
    QString path() const { return m_folder.path() + QStringLiteral("/cache/insightssignalcache"); }
    std::unique_ptr<SignalCache> open(qint64 limit = 10000)
    {
        return std::make_unique<SignalCache>(handler(), limit, path());
    }
    LogHandler handler()
    {
        return {LogLevel::debug, [this](LogLevel level, const QString& message) {
                    m_logs.append({level, message});
                }};
    }
    QStringList messages(LogLevel level) const
    {
        QStringList list;
        for (const auto& [logged, message] : m_logs) {
            if (logged == level)
                list.append(message);
        }
        return list;
    }

    QTemporaryDir m_folder;
    QList<std::pair<LogLevel, QString>> m_logs;
};

TEST_F(SignalCacheTest, TheLimitDropsTheOldestAndANegativeLimitKeepsNothing)
{
    auto cache = open(3);
    for (int i = 0; i < 4; ++i)
        cache->push(record(i));
    EXPECT_EQ(types(cache->pop()),
              (QStringList{QStringLiteral("signal 1"), QStringLiteral("signal 2"),
                           QStringLiteral("signal 3")}));
    cache->push({record(4), record(5), record(6), record(7)});
    EXPECT_EQ(cache->count(), 3);

    auto none = std::make_unique<SignalCache>(std::nullopt, -5, path() + QStringLiteral("2"));
    none->push(record(1));
    EXPECT_EQ(none->count(), 0);
}

// The file is read back once, before newer records, under the next run's limit.
TEST_F(SignalCacheTest, TheBackupIsLoadedAndDeletedAtTheNextStart)
{
    {
        auto cache = open();
        EXPECT_EQ(messages(LogLevel::info),
                  QStringList(QStringLiteral("Loading Insights cache from: ") +
                              QUrl::fromLocalFile(path()).toString()));
        cache->push({record(0), record(1), record(2)});
        cache->backupToDisk(FileWriteQueue::immediate());
        EXPECT_EQ(cache->count(), 0);
        EXPECT_EQ(messages(LogLevel::info).filter(QStringLiteral("Saved Insights cache ")).size(),
                  1);
    }
    m_logs.clear();
    auto limited = open(2);
    EXPECT_FALSE(QFile::exists(path()));
    EXPECT_TRUE(messages(LogLevel::info).contains(QStringLiteral("Loaded 3 signals")));
    limited->push(record(3));
    EXPECT_EQ(limited->pop(), (QList<SignalPostBody>{record(2), record(3)}));
}

TEST_F(SignalCacheTest, ACorruptFileIsIgnoredAndRemoved)
{
    for (const QByteArray& content : {QByteArrayLiteral("not json"), QByteArrayLiteral("{\"a\":1}"),
                                      QByteArrayLiteral("[{\"type\":\"x\"}]")}) {
        TestFiles::write(path(), content);
        auto cache = open();
        EXPECT_EQ(cache->count(), 0) << content.constData();
        EXPECT_FALSE(QFile::exists(path())) << content.constData();
    }
}

// The file is written where the program's writes wait for a slow disk; until it is there, the
// records stay, and those that came meanwhile stay after it.
TEST_F(SignalCacheTest, TheBackupIsWrittenByTheWriteQueueAndOnlyThenLeavesMemory)
{
    auto cache = open();
    cache->push({record(0), record(1)});
    ManualFileWriteQueue disk;
    cache->backupToDisk(disk);
    EXPECT_FALSE(QFile::exists(path()));
    cache->push(record(2));
    EXPECT_EQ(cache->count(), 3);

    EXPECT_EQ(disk.runPending(), 1);
    EXPECT_EQ(cache->pop(), QList<SignalPostBody>{record(2)});
    auto next = open();
    EXPECT_EQ(next->pop(), (QList<SignalPostBody>{record(0), record(1)}));
}

TEST_F(SignalCacheTest, AnEmptyQueueIsWrittenAsAnEmptyArray)
{
    auto cache = open();
    cache->backupToDisk(FileWriteQueue::immediate());
    EXPECT_EQ(TestFiles::read(path()), QByteArrayLiteral("[]"));
    EXPECT_EQ(messages(LogLevel::info).filter(QStringLiteral(" of 0 signals")).size(), 1);
}

// The records hold a hashed user id and device facts: the file is the user's alone, also in
// place of one an older version left open (0644). A cache folder it has to make is the user's
// alone too; the user's own, shared with other programs, keeps its mode.
TEST_F(SignalCacheTest, TheBackupIsTheUsersAloneAndSoIsACacheFolderItMakes)
{
    const QString folder = QFileInfo(path()).absolutePath();
    // The folder's mode when it was there, and after the backup.
    const std::pair<std::optional<unsigned>, unsigned> rows[] = {{std::nullopt, 0700},
                                                                 {0755, 0755}};
    for (const auto& [found, left] : rows) {
        QDir(folder).removeRecursively();
        if (found) {
            TestFiles::write(path(), "[]");
            ::chmod(QFile::encodeName(folder).constData(), *found);
            ::chmod(QFile::encodeName(path()).constData(), 0644);
        }
        open()->backupToDisk(FileWriteQueue::immediate());
        EXPECT_EQ(TestFiles::mode(path()), 0600u);
        EXPECT_EQ(TestFiles::mode(folder), left);
    }
}

TEST_F(SignalCacheTest, AFailedBackupIsLoggedAndKeepsTheRecords)
{
    // A folder where the file should be: it cannot be replaced.
    QDir().mkpath(path() + QStringLiteral("/occupied"));
    auto cache = open();
    cache->push(record(1));
    cache->backupToDisk(FileWriteQueue::immediate());
    const QStringList errors = messages(LogLevel::error);
    ASSERT_EQ(errors.size(), 1);
    // The line itself is exact; the reason, when there is one, follows on its own line.
    const QStringList lines = errors.first().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.first(), QStringLiteral("Error saving Insights cache"));
    EXPECT_EQ(lines.size(), 2);
    EXPECT_EQ(cache->count(), 1);
}

TEST_F(SignalCacheTest, TheBackupWaitsForConcurrentWritersAndLosesNothing)
{
    // Far above what the writer reaches meanwhile, so that no record leaves by the limit.
    auto cache = open(1'000'000);
    std::atomic<bool> stop = false;
    std::atomic<int> pushed = 0;
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            cache->push(record(i));
            pushed = i + 1;
            cache->count();
        }
    });
    while (pushed < 100)
        std::this_thread::yield();
    cache->backupToDisk(FileWriteQueue::immediate());
    stop = true;
    writer.join();
    const qsizetype inMemory = cache->count();
    auto reread = std::make_unique<SignalCache>(std::nullopt, 100000, path());
    EXPECT_EQ(reread->count() + inMemory, pushed.load());
}

} // namespace
