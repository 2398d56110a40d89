#include "platform/StoredFile.h"

#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Longer than any read or sync of a small file takes; a call still busy then waits for ever.
constexpr auto patience = 10s;

class StoredFileTest : public testing::Test
{
protected:
    QByteArray name(const QString& path) const { return QFile::encodeName(path); }

    // Runs `call` on a thread of its own and says whether it returned in time. Once it is late,
    // a writer comes and goes at each FIFO of `fifos` until it returns, so that the case ends
    // either way.
    bool returnsInTime(const std::function<void()>& call, const QStringList& fifos)
    {
        std::future<void> done = std::async(std::launch::async, call);
        if (done.wait_for(patience) == std::future_status::ready)
            return true;
        do {
            for (const QString& fifo : fifos) {
                const int writer = ::open(name(fifo).constData(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    ::close(writer);
            }
        } while (done.wait_for(1ms) != std::future_status::ready);
        return false;
    }

    QTemporaryDir m_folder;
    QString m_path = m_folder.path() + QStringLiteral("/notes.json");
};

// A recovery copy is synced a moment after it was made; what took its name meanwhile is not
// waited on, and a link is not followed to another file.
TEST_F(StoredFileTest, WhatTookTheNameOfAFileToSyncIsRefusedAtOnce)
{
    TestFiles::write(m_path, "notes");
    EXPECT_EQ(StoredFile::sync(m_path), QString());

    const QString elsewhere = m_folder.path() + QStringLiteral("/elsewhere");
    TestFiles::write(elsewhere, "the user's");
    QFile::remove(m_path);
    ASSERT_TRUE(QFile::link(elsewhere, m_path));
    EXPECT_FALSE(StoredFile::sync(m_path).isEmpty()) << "a link";

    QFile::remove(m_path);
    ASSERT_EQ(::mkfifo(name(m_path).constData(), 0600), 0);
    QString error;
    EXPECT_TRUE(returnsInTime([&] { error = StoredFile::sync(m_path); }, {m_path}));
    EXPECT_EQ(error, QStringLiteral("not a regular file"));

    QFile::remove(m_path);
    EXPECT_FALSE(StoredFile::sync(m_path).isEmpty()) << "nothing there";
}

// Someone else's program swaps a FIFO and a file at the path as fast as it can while the file
// is read: each read gives the file or refuses, and none waits for a writer.
TEST_F(StoredFileTest, AFifoSwappedInWhileTheFileIsReadIsNeverWaitedOn)
{
    const QString fifo = m_folder.path() + QStringLiteral("/other");
    TestFiles::write(m_path, "notes");
    ASSERT_EQ(::mkfifo(name(fifo).constData(), 0600), 0);

    std::atomic<bool> reading = true;
    std::thread swapper([&] {
        const QByteArray a = name(m_path);
        const QByteArray b = name(fifo);
        while (reading)
            ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE);
    });
    constexpr int reads = 20'000;
    int refused = 0;
    int readWhole = 0;
    const bool inTime = returnsInTime(
        [&] {
            for (int i = 0; i < reads; ++i) {
                const StoredFile::Contents contents = StoredFile::read(m_path);
                if (contents.error.isEmpty())
                    readWhole += contents.bytes == "notes";
                else
                    ++refused;
            }
        },
        {m_path, fifo});
    reading = false;
    swapper.join();
    EXPECT_TRUE(inTime) << "a read waited on the FIFO";
    EXPECT_EQ(readWhole + refused, reads);
    EXPECT_GT(refused, 0) << "the swaps never reached a read";
}

} // namespace
