#include "platform/FolderLock.h"

#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

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

// The lock's file removed or replaced while it is held (the folder cleared by hand, a clean-up
// tool): the holder takes the lock again in the new one, unless a copy started meanwhile took
// it first, and then as soon as that copy goes.
TEST(FolderLockTest, ALockWhoseFileWasRemovedIsTakenAgainUnlessAnotherCopyTookItFirst)
{
    const QString lockFile = folder() + QLatin1Char('/') + FolderLock::fileName;
    const std::vector<std::pair<const char*, std::function<void()>>> removals{
        {"the folder removed", [] { QDir(folder()).removeRecursively(); }},
        {"the file removed", [&] { QFile::remove(lockFile); }},
        {"the file replaced",
         [&] {
             QFile::remove(lockFile);
             TestFiles::write(lockFile, "restored from a backup");
         }},
    };
    for (const auto& [label, remove] : removals) {
        SCOPED_TRACE(label);
        FolderLock holder(folder());
        ASSERT_EQ(holder.tryLock("the holder"), FolderLock::Result::acquired);
        EXPECT_EQ(holder.claimAgain(), FolderLock::Result::acquired);

        remove();
        EXPECT_EQ(holder.claimAgain(), FolderLock::Result::acquired);
        FolderLock later(folder());
        EXPECT_EQ(later.tryLock("later"), FolderLock::Result::heldElsewhere);
        EXPECT_EQ(later.holderContact(), "the holder");

        remove();
        auto meanwhile = std::make_unique<FolderLock>(folder());
        ASSERT_EQ(meanwhile->tryLock("meanwhile"), FolderLock::Result::acquired);
        EXPECT_EQ(holder.claimAgain(), FolderLock::Result::heldElsewhere);
        meanwhile.reset();
        EXPECT_EQ(holder.claimAgain(), FolderLock::Result::acquired);
        EXPECT_EQ(later.tryLock("later"), FolderLock::Result::heldElsewhere);
        EXPECT_EQ(later.holderContact(), "the holder");
    }
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
