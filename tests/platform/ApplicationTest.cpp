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

#include <pwd.h>
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
constexpr auto readableByAll =
    ownerOnly | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr auto writableByAll = QFile::Permissions(0x7777);

QFile::Permissions modeOf(const QString& path)
{
    return QFileInfo(path).permissions() & ownerGroupOther;
}

void makeFolder(const QString& path, QFile::Permissions mode)
{
    QDir().mkpath(path);
    QFile::setPermissions(path, mode);
}

// Only root can give a folder away; these cases are left out for others.
bool giveToAnotherUser(const QString& path)
{
    constexpr uid_t nobody = 65534;
    return ::chown(QFile::encodeName(path).constData(), nobody, nobody) == 0;
}

// Where Qt makes a runtime folder when XDG_RUNTIME_DIR will not do.
QString qtRuntimeFallback()
{
    return QDir::tempPath() + QStringLiteral("/runtime-") +
           QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
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
    const struct
    {
        const char* left;
        std::optional<QByteArray> lock;
    } table[]{
        {"no folder", std::nullopt},
        {"an empty lock", QByteArray()},
        {"an unparsable lock", QByteArray("\x01garbage")},
        {"a lock of another host", QByteArray("4711\nquillory\nelsewhere.example\n")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.left);
        QDir(instanceDirectory()).removeRecursively();
        if (row.lock) {
            makeFolder(instanceDirectory(), readableByAll);
            TestFiles::write(lockFile, *row.lock);
        }
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
        ASSERT_TRUE(socket.waitForConnected(processTimeoutMs));
        socket.write("reopen\n");
        EXPECT_TRUE(reopen.wait(processTimeoutMs));
    }
}

// Only a folder the user alone can change holds the lock and the notes kept at quit: another
// user who made it first could keep the program from starting or read the notes. Else a folder
// of an unguessable name is made in the temporary folder.
TEST(ApplicationTest, TheRuntimeFolderIsUsedOnlyWhenItIsTheUsersAlone)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString ours = runtime + QStringLiteral("/Quillory");
    const QString temporary = TestFiles::home() + QStringLiteral("/tmp");
    qputenv("TMPDIR", QFile::encodeName(temporary));
    const struct
    {
        const char* found;
        std::function<bool()> arrange; // false: only root can arrange it
        std::function<QString()> used; // none: a new folder in the temporary folder
    } table[]{
        {"nothing", [] { return true; }, [&] { return ours; }},
        {"a folder others may read, as older versions left it",
         [&] {
             makeFolder(ours, readableByAll);
             return true;
         },
         [&] { return ours; }},
        {"a folder its group may change",
         [&] {
             makeFolder(ours, ownerOnly | QFile::WriteGroup | QFile::ExeGroup);
             return true;
         },
         {}},
        {"a folder everyone may change",
         [&] {
             makeFolder(ours, writableByAll);
             return true;
         },
         {}},
        {"a link to a private folder",
         [&] {
             makeFolder(TestFiles::home() + QStringLiteral("/elsewhere"), ownerOnly);
             return QFile::link(TestFiles::home() + QStringLiteral("/elsewhere"), ours);
         },
         {}},
        {"another user's folder",
         [&] {
             makeFolder(ours, ownerOnly);
             return giveToAnotherUser(ours);
         },
         {}},
        {"a runtime folder others may read: Qt's own fallback",
         [&] {
             makeFolder(runtime, ownerOnly | QFile::ReadOther);
             return true;
         },
         [] { return qtRuntimeFallback() + QStringLiteral("/Quillory"); }},
        {"no runtime folder but Qt's fallback, which everyone may change",
         [&] {
             makeFolder(runtime, writableByAll);
             makeFolder(qtRuntimeFallback(), writableByAll);
             return true;
         },
         {}},
        {"no runtime folder but Qt's fallback, made first by another user",
         [&] {
             makeFolder(runtime, writableByAll);
             makeFolder(qtRuntimeFallback(), ownerOnly);
             return giveToAnotherUser(qtRuntimeFallback());
         },
         {}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.found);
        QDir(TestFiles::home()).removeRecursively();
        makeFolder(runtime, ownerOnly);
        makeFolder(temporary, writableByAll);
        if (!row.arrange())
            continue;
        LogCapture log;
        const QString chosen = Application::defaultInstanceDirectory();
        if (row.used) {
            EXPECT_EQ(chosen.toStdString(), row.used().toStdString());
            EXPECT_EQ(log.matching(QStringLiteral("Quillory: ")), QStringList());
        } else {
            EXPECT_TRUE(chosen.startsWith(temporary + QStringLiteral("/Quillory-")))
                << chosen.toStdString();
            EXPECT_EQ(QDir(temporary).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
                      QFileInfo::exists(qtRuntimeFallback()) ? 2 : 1);
            // Said once, however often it is asked for.
            EXPECT_EQ(Application::defaultInstanceDirectory(), chosen);
            EXPECT_EQ(
                log.matching(QStringLiteral("using ") + chosen + QStringLiteral(" instead")).size(),
                1);
            EXPECT_EQ(log.matching(QStringLiteral("Quillory: ")).size(), 1);
        }
        EXPECT_TRUE(QFileInfo(chosen).isDir() && !QFileInfo(chosen).isSymLink());
        EXPECT_EQ(modeOf(chosen), ownerOnly);
        EXPECT_EQ(QFileInfo(chosen).ownerId(), ::geteuid());
    }
}

// The folder made for one process goes with it, unless something was kept in it.
TEST(ApplicationTest, AFolderMadeForThisProcessGoesWithTheApplicationUnlessSomethingIsLeftInIt)
{
    const QString temporary = TestFiles::home() + QStringLiteral("/tmp");
    makeFolder(temporary, writableByAll);
    qputenv("TMPDIR", QFile::encodeName(temporary));
    makeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), writableByAll);
    makeFolder(qtRuntimeFallback(), writableByAll);
    for (const bool leaveSomething : {false, true}) {
        SCOPED_TRACE(leaveSomething ? "with notes left in it" : "with nothing left in it");
        QString folder;
        {
            Application application;
            ASSERT_TRUE(application.claimSingleInstance());
            folder = QFileInfo(application.socketPath()).absolutePath();
            EXPECT_TRUE(folder.startsWith(temporary + QStringLiteral("/Quillory-")));
            EXPECT_TRUE(QFileInfo::exists(application.socketPath()));
            if (leaveSomething)
                TestFiles::write(folder + QStringLiteral("/notes.json.recovered-1"), "{}");
        }
        EXPECT_EQ(QFileInfo::exists(folder), leaveSomething);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System),
                  leaveSomething ? QStringList{QStringLiteral("notes.json.recovered-1")}
                                 : QStringList());
    }
}

// With no folder to be had at all the program still runs, without the guard, and says so.
TEST(ApplicationTest, WithNoFolderOfItsOwnTheCopyRunsUnguardedAndSaysSoOnce)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString file = TestFiles::home() + QStringLiteral("/a-file");
    TestFiles::write(file, "not a folder");
    const struct
    {
        const char* found;
        QString runtime; // a folder everyone may change
        QString temporary;
    } table[]{
        {"a file for the temporary folder", runtime, file},
        {"no temporary folder", runtime + QStringLiteral("/Quillory"),
         TestFiles::home() + QStringLiteral("/missing")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.found);
        makeFolder(runtime, ownerOnly);
        makeFolder(row.runtime, writableByAll);
        qputenv("TMPDIR", QFile::encodeName(row.temporary));
        LogCapture log;
        EXPECT_EQ(Application::defaultInstanceDirectory(), QString());
        Application application;
        EXPECT_TRUE(application.claimSingleInstance());
        EXPECT_EQ(application.socketPath(), QString());
        EXPECT_FALSE(Application::sendReopenRequest(application.socketPath()));
        EXPECT_EQ(log.matching(QStringLiteral("running without the single-copy guard")).size(), 1)
            << log.messages().join(QLatin1Char('\n')).toStdString();
    }
}

} // namespace
