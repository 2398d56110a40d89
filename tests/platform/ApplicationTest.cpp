#include "platform/Application.h"

#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>

#include <unistd.h>

namespace {

// The child processes of these tests run this same program with one of the disabled cases
// below; they find the parent's instance folder through this variable.
const char* const instanceVariable = "QUILLORY_TEST_INSTANCE_DIR";
constexpr int processTimeoutMs = 20'000;

QString instanceDirectory()
{
    return TestFiles::home() + QStringLiteral("/instance");
}

constexpr auto ownerGroupOther = QFile::Permissions(0x7077);
constexpr auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr auto writableByAll = QFile::Permissions(0x7777);

QFile::Permissions modeOf(const QString& path)
{
    return QFileInfo(path).permissions() & ownerGroupOther;
}

QProcess* startChild(const QString& testName, const QString& directory)
{
    auto* child = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(instanceVariable), directory);
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"),
                  QStringLiteral("--gtest_filter=ApplicationChild.") + testName});
    return child;
}

QString childInstanceDirectory()
{
    return QString::fromLocal8Bit(qgetenv(instanceVariable));
}

void reportWillTerminate(Application& application)
{
    QObject::connect(&application, &Application::willTerminate, [] {
        QFile out;
        if (out.open(stdout, QIODevice::WriteOnly))
            out.write("will terminate\n");
    });
}

TEST(ApplicationChild, DISABLED_SecondLaunch)
{
    Application application(childInstanceDirectory());
    LogCapture log;
    EXPECT_FALSE(application.claimSingleInstance());
    EXPECT_FALSE(application.isPrimaryInstance());
    // The running copy acknowledged the request, so this launch gave up quietly.
    EXPECT_EQ(log.messages(), QStringList());
}

TEST(ApplicationChild, DISABLED_FirstLaunchThatStaysRunning)
{
    Application application(childInstanceDirectory());
    ASSERT_TRUE(application.claimSingleInstance());
    QFile out;
    ASSERT_TRUE(out.open(stdout, QIODevice::WriteOnly));
    out.write("claimed\n");
    out.flush();
    application.exec();
}

// Exits the way Qt does when the X server goes away: from inside the event loop.
TEST(ApplicationChild, DISABLED_ExitFromInsideTheEventLoop)
{
    Application application(childInstanceDirectory());
    reportWillTerminate(application);
    QObject::connect(&application, &Application::launchingFinished, [] { std::exit(3); });
    application.exec();
}

TEST(ApplicationChild, DISABLED_ExitAfterAnOrderlyQuit)
{
    auto application = std::make_unique<Application>(childInstanceDirectory());
    reportWillTerminate(*application);
    QObject::connect(application.get(), &Application::launchingFinished, application.get(),
                     &Application::terminate);
    application->exec();
    application.reset();
    std::exit(0);
}

TEST(ApplicationTest, AnExitInsideTheEventLoopStillRunsTheWillTerminateStepOnce)
{
    for (const auto& [test, exitCode] : {std::pair{"DISABLED_ExitFromInsideTheEventLoop", 3},
                                         std::pair{"DISABLED_ExitAfterAnOrderlyQuit", 0}}) {
        std::unique_ptr<QProcess> child(startChild(QString::fromLatin1(test), instanceDirectory()));
        ASSERT_TRUE(child->waitForFinished(processTimeoutMs)) << test;
        EXPECT_EQ(child->exitCode(), exitCode) << test;
        EXPECT_EQ(child->readAllStandardOutput().count("will terminate\n"), 1) << test;
    }
}

TEST(ApplicationTest, AfterTheRunningCopyDiedTheNextLaunchRunsAndOnlyALaterLaunchAsksItToReopen)
{
    std::unique_ptr<QProcess> first(
        startChild(QStringLiteral("DISABLED_FirstLaunchThatStaysRunning"), instanceDirectory()));
    QByteArray output;
    while (!output.contains("claimed\n") && first->waitForReadyRead(processTimeoutMs))
        output += first->readAll();
    ASSERT_TRUE(output.contains("claimed\n"));
    first->kill();
    ASSERT_TRUE(first->waitForFinished(processTimeoutMs));
    const QString socketPath = instanceDirectory() + QStringLiteral("/quillory.socket");
    ASSERT_TRUE(QFile::exists(socketPath)) << "the killed copy left no socket file behind";

    Application application(instanceDirectory());
    EXPECT_TRUE(application.claimSingleInstance());
    // The dead copy's socket was replaced: a later launch reaches this one and gives up.
    QSignalSpy reopen(&application, &Application::reopenRequested);
    std::unique_ptr<QProcess> third(
        startChild(QStringLiteral("DISABLED_SecondLaunch"), instanceDirectory()));
    ASSERT_TRUE(reopen.wait(processTimeoutMs));
    ASSERT_TRUE(third->waitForFinished(processTimeoutMs));
    EXPECT_EQ(third->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(third->exitCode(), 0) << third->readAllStandardOutput().toStdString();
    EXPECT_EQ(reopen.count(), 1);

    // An unknown request is logged and ignored.
    LogCapture log;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    ASSERT_TRUE(socket.waitForConnected(processTimeoutMs));
    socket.write("open everything\n");
    QSignalSpy disconnected(&socket, &QLocalSocket::disconnected);
    ASSERT_TRUE(disconnected.wait(processTimeoutMs));
    EXPECT_EQ(reopen.count(), 1);
    EXPECT_EQ(log.matching(QStringLiteral("unknown request")).size(), 1);
}

class TerminationSignalTest : public testing::TestWithParam<int>
{};

TEST_P(TerminationSignalTest, QuitsInOrderAfterTheWillTerminateStep)
{
    Application application(instanceDirectory());
    ASSERT_TRUE(application.claimSingleInstance());
    QSignalSpy launched(&application, &Application::launchingFinished);
    int terminations = 0;
    bool loopWasRunning = false;
    QObject::connect(&application, &Application::willTerminate, [&] {
        ++terminations;
        loopWasRunning = launched.count() == 1;
    });
    const int signalNumber = GetParam();
    QObject::connect(&application, &Application::launchingFinished,
                     [signalNumber] { ::raise(signalNumber); });

    EXPECT_EQ(application.exec(), 0);
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(loopWasRunning);
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(ApplicationTest, SignalsWhileTheLoopIsBusyQuitOnceItTurnsAgainWhateverWorkIsQueued)
{
    Application application(instanceDirectory());
    int terminations = 0;
    bool handledWhileBusy = false;
    // Work that queues more of itself, as a long job done in steps does; it ends the loop by
    // itself only if no signal did.
    constexpr int lastStep = 10'000;
    int steps = 0;
    std::function<void()> step = [&] {
        if (++steps == lastStep)
            QCoreApplication::quit();
        else
            QTimer::singleShot(0, &application, step);
    };
    QObject::connect(&application, &Application::willTerminate, [&] { ++terminations; });
    QObject::connect(&application, &Application::launchingFinished, [&] {
        for (int signalNumber : {SIGTERM, SIGHUP, SIGTERM})
            ::raise(signalNumber);
        handledWhileBusy = terminations > 0;
        step();
    });

    EXPECT_EQ(application.exec(), 0);
    EXPECT_FALSE(handledWhileBusy);
    EXPECT_EQ(terminations, 1);
    EXPECT_LT(steps, lastStep);
}

TEST(ApplicationTest, QuittingAnotherWayStillRunsTheWillTerminateStepOnce)
{
    Application application(instanceDirectory());
    int terminations = 0;
    QObject::connect(&application, &Application::willTerminate, [&] { ++terminations; });
    QObject::connect(&application, &Application::launchingFinished,
                     [] { QCoreApplication::quit(); });
    application.exec();
    application.terminate();
    EXPECT_EQ(terminations, 1);
}

// A lock nobody answers for was left by a copy that is gone, or was never a lock: the caller
// holds what every copy claims first (the notes' folder), so the launch takes the lock over,
// and what the folder holds becomes the user's alone, as older versions did not make it.
TEST(ApplicationTest, ALockNobodyAnswersForIsReplacedAndTheFolderMadeTheUsersAlone)
{
    const QString lockFile = instanceDirectory() + QStringLiteral("/quillory.lock");
    for (const char* left : {"", "\x01unparsable", "4711\nquillory\nanother.host\n"}) {
        SCOPED_TRACE(left);
        TestFiles::makeFolder(instanceDirectory(), ownerOnly | QFile::ReadOther | QFile::ExeOther);
        TestFiles::write(lockFile, left);
        Application application(instanceDirectory());
        ASSERT_TRUE(application.claimSingleInstance());
        EXPECT_TRUE(TestFiles::read(lockFile).startsWith(
            QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
        EXPECT_EQ(modeOf(instanceDirectory()), ownerOnly);
        EXPECT_EQ(modeOf(lockFile), QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(modeOf(application.socketPath()) & ~ownerOnly, QFile::Permissions());

        QSignalSpy reopen(&application, &Application::reopenRequested);
        QLocalSocket socket;
        socket.connectToServer(application.socketPath());
        socket.write("reopen\n");
        EXPECT_TRUE(reopen.wait(processTimeoutMs));
    }
}

// Another user who made the folder first could keep the program from starting, or read the
// notes kept there at quit: only a folder the user alone can change is used, made 0700.
// Otherwise a folder of an unguessable name is made in the temporary folder.
TEST(ApplicationTest, TheRuntimeFolderIsUsedOnlyWhenItIsTheUsersAlone)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString ours = runtime + QStringLiteral("/Quillory");
    const QString temporary = TestFiles::home() + QStringLiteral("/tmp");
    TestFiles::makeFolder(temporary, writableByAll);
    qputenv("TMPDIR", QFile::encodeName(temporary));
    enum class Found { nothing, folder, link, anotherUsersFolder };
    const struct
    {
        const char* found;
        Found kind;
        QFile::Permissions mode;
        bool used;
    } table[]{
        {"nothing", Found::nothing, {}, true},
        {"a folder left open to all by older versions", Found::folder,
         ownerOnly | QFile::ReadOther | QFile::ExeOther, true},
        {"a folder its group may change", Found::folder,
         ownerOnly | QFile::WriteGroup | QFile::ExeGroup, false},
        {"a folder anyone may change", Found::folder, writableByAll, false},
        {"a link to a private folder", Found::link, ownerOnly, false},
        {"another user's folder", Found::anotherUsersFolder, ownerOnly, false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.found);
        QDir(runtime).removeRecursively();
        TestFiles::makeFolder(runtime, ownerOnly);
        const QString made =
            row.kind == Found::link ? temporary + QStringLiteral("/elsewhere") : ours;
        if (row.kind != Found::nothing)
            TestFiles::makeFolder(made, row.mode);
        if (row.kind == Found::link)
            QFile::link(made, ours);
        constexpr uid_t nobody = 65534;
        // Only root can give a folder away.
        if (row.kind == Found::anotherUsersFolder &&
            ::chown(QFile::encodeName(ours).constData(), nobody, nobody) != 0)
            continue;
        const QString chosen = Application::defaultInstanceDirectory();
        EXPECT_EQ(chosen == ours, row.used) << chosen.toStdString();
        EXPECT_EQ(chosen.startsWith(temporary + QStringLiteral("/Quillory-")), !row.used);
        EXPECT_FALSE(QFileInfo(chosen).isSymLink());
        EXPECT_EQ(QFileInfo(chosen).ownerId(), ::geteuid());
        EXPECT_EQ(modeOf(chosen), ownerOnly);
    }
}

// The folder made for one process goes with it, said in one line, unless something was kept in
// it.
TEST(ApplicationTest, AFolderMadeForThisProcessGoesWithTheApplicationUnlessSomethingIsLeftInIt)
{
    const QString temporary = TestFiles::home() + QStringLiteral("/tmp");
    TestFiles::makeFolder(temporary, writableByAll);
    TestFiles::shareRuntimeFolders(temporary);
    for (const bool leaveSomething : {false, true}) {
        SCOPED_TRACE(leaveSomething ? "with notes left in it" : "with nothing left in it");
        QString folder;
        {
            LogCapture log;
            Application application;
            ASSERT_TRUE(application.claimSingleInstance());
            folder = QFileInfo(application.socketPath()).absolutePath();
            EXPECT_EQ(log.matching(QStringLiteral("Quillory: ")),
                      QStringList{QStringLiteral(
                                      "Quillory: no runtime folder is the user's alone; using ") +
                                  folder + QStringLiteral(" instead")});
            if (leaveSomething)
                TestFiles::write(folder + QStringLiteral("/notes.json.recovered-1"), "{}");
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System),
                  leaveSomething ? QStringList{QStringLiteral("notes.json.recovered-1")}
                                 : QStringList());
        EXPECT_EQ(QFileInfo::exists(folder), leaveSomething);
    }
}

// With no folder to be had at all the program still runs, without the guard, and says so once.
TEST(ApplicationTest, WithNoFolderOfItsOwnTheCopyRunsUnguardedAndSaysSoOnce)
{
    const QString file = TestFiles::home() + QStringLiteral("/a-file");
    TestFiles::write(file, "not a folder");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    for (const bool runtimeFolderIsShared : {true, false}) {
        SCOPED_TRACE(runtimeFolderIsShared ? "a file for the temporary folder"
                                           : "no temporary folder");
        if (runtimeFolderIsShared) {
            TestFiles::shareRuntimeFolders(file);
        } else {
            TestFiles::makeFolder(runtime, ownerOnly);
            TestFiles::makeFolder(runtime + QStringLiteral("/Quillory"), writableByAll);
            qputenv("TMPDIR", "/nonexistent");
        }
        LogCapture log;
        EXPECT_EQ(Application::defaultInstanceDirectory(), QString());
        Application application;
        EXPECT_TRUE(application.claimSingleInstance());
        EXPECT_EQ(application.socketPath(), QString());
        EXPECT_EQ(log.matching(QStringLiteral("running without the single-copy guard")).size(), 1);
    }
}

} // namespace
