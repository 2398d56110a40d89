#include "platform/Application.h"

#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// The child processes of these tests run this same program with one of the disabled cases
// below; they find the parent's instance folder through this variable.
const char* const instanceVariable = "QUILLORY_TEST_INSTANCE_DIR";
constexpr int processTimeoutMs = 20'000;

QString instanceDirectory()
{
    return TestFiles::home() + QStringLiteral("/instance");
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
    // The running copy acknowledged the request, so this launch gave up without waiting.
    EXPECT_EQ(log.matching(QStringLiteral("did not answer")), QStringList());
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

} // namespace
