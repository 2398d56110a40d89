#include "platform/FolderLock.h"

#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// The child process of the test below runs this same program with the disabled case; it finds
// the parent's folder through this variable.
const char* const folderVariable = "QUILLORY_TEST_LOCKED_FOLDER";
constexpr int childTimeoutMs = 20'000;

QString folder()
{
    return TestFiles::home() + QStringLiteral("/data/Quillory");
}

TEST(FolderLockChild, DISABLED_HoldsTheFolder)
{
    FolderLock lock(qEnvironmentVariable(folderVariable));
    ASSERT_EQ(lock.tryLock("the child"), FolderLock::Result::acquired);
    QFile out;
    ASSERT_TRUE(out.open(stdout, QIODevice::WriteOnly));
    out.write("locked\n");
    out.flush();
    QThread::sleep(childTimeoutMs / 1000);
}

TEST(FolderLockTest, TheFolderIsHeldUntilItsHolderGoesAndOthersFindHowToReachIt)
{
    auto holder = std::make_unique<FolderLock>(folder());
    ASSERT_EQ(holder->tryLock("the holder's socket"), FolderLock::Result::acquired);
    EXPECT_EQ(QFileInfo(folder()).permissions() & QFile::Permissions(0x7077),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    FolderLock other(folder());
    EXPECT_EQ(other.tryLock("mine"), FolderLock::Result::heldElsewhere);
    EXPECT_EQ(other.holderContact(), "the holder's socket");
    holder.reset();
    EXPECT_EQ(other.tryLock("mine"), FolderLock::Result::acquired);
    EXPECT_EQ(other.holderContact(), "mine");
}

// The kernel holds the lock for the other process and lets go when it dies, however it dies.
TEST(FolderLockTest, AnotherProcessHoldsTheFolderUntilItIsKilled)
{
    QProcess other;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(folderVariable), folder());
    other.setProcessEnvironment(environment);
    other.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=FolderLockChild.DISABLED_HoldsTheFolder")});
    QByteArray said;
    while (!said.contains("locked\n") && other.waitForReadyRead(childTimeoutMs))
        said += other.readAllStandardOutput();
    ASSERT_TRUE(said.contains("locked\n")) << said.toStdString();
    FolderLock lock(folder());
    EXPECT_EQ(lock.tryLock({}), FolderLock::Result::heldElsewhere);
    EXPECT_EQ(lock.holderContact(), "the child");
    other.kill();
    other.waitForFinished();
    EXPECT_EQ(lock.tryLock({}), FolderLock::Result::acquired);
}

TEST(FolderLockTest, AFolderThatCannotBeMadeIsAFailureWithItsReason)
{
    TestFiles::write(TestFiles::home() + QStringLiteral("/file"), "in the way");
    FolderLock lock(TestFiles::home() + QStringLiteral("/file/Quillory"));
    EXPECT_EQ(lock.tryLock({}), FolderLock::Result::failed);
    EXPECT_TRUE(lock.errorString().contains(QStringLiteral("/file/Quillory")))
        << lock.errorString().toStdString();
}

} // namespace
