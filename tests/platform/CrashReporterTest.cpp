#include "platform/CrashReporter.h"
#include "platform/ReportingFlag.h"

#include "LoopbackHttpServer.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int replyTimeoutMs = 10'000;

QStringList reportFiles(const QString& directory)
{
    return QDir(directory).entryList({QStringLiteral("*.report")}, QDir::Files, QDir::Name);
}

// The signal disposition the process has now, to see whether a reporter left its mark.
void* currentHandler(int signalNumber)
{
    struct sigaction action = {};
    sigaction(signalNumber, nullptr, &action);
    return reinterpret_cast<void*>(action.sa_sigaction);
}

class CrashReporterTest : public testing::Test
{
protected:
    // The cases of one run share the home: none finds the reports another left.
    CrashReporterTest() { QDir(directory).removeRecursively(); }

    LoopbackHttpServer server;
    QString directory = TestFiles::home() + QStringLiteral("/cache/Quillory/crash-reports");
    CrashReporter reporter{directory};
    ReportingFlag flag;

    CrashReporter::Options options()
    {
        CrashReporter::Options options;
        options.dsn = QStringLiteral("http://0123456789abcdef0123456789abcdef@127.0.0.1:%1/7")
                          .arg(server.port());
        options.release = QStringLiteral("0.1.0");
        options.beforeSend = [this](const CrashReport& report) -> std::optional<CrashReport> {
            if (!flag.value())
                return std::nullopt;
            return report;
        };
        return options;
    }

    void writeReport(const QString& name, int signalNumber)
    {
        TestFiles::write(directory + QLatin1Char('/') + name,
                         QByteArray(CrashReport::fileHeader) +
                             "release=0.0.9\nsession=abc\nsignal=" +
                             QByteArray::number(signalNumber) + "\ntime=1700000000\n");
    }

    // Forks a child that dies of `signalNumber` with the reporter's handlers in place.
    void crashChild(int signalNumber)
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (signalNumber == SIGABRT)
                std::abort();
            ::raise(signalNumber);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signalNumber);
    }

    bool startAndWait(const CrashReporter::Options& startOptions)
    {
        QSignalSpy handled(&reporter, &CrashReporter::pendingReportsHandled);
        if (!reporter.start(startOptions))
            return false;
        return !handled.isEmpty() || handled.wait(replyTimeoutMs);
    }
};

TEST(CrashReporterDsnTest, TheEndpointComesFromTheDsn)
{
    EXPECT_EQ(CrashReporter::endpoint(QStringLiteral("https://key@crash.example.org/42")),
              QUrl(QStringLiteral("https://crash.example.org/api/42/crash-reports")));
    EXPECT_EQ(CrashReporter::endpoint(QStringLiteral("https://key@crash.example.org:8443/42")),
              QUrl(QStringLiteral("https://crash.example.org:8443/api/42/crash-reports")));
    for (const char* invalid :
         {"", "https://crash.example.org/42", "https://key@crash.example.org/",
          "https://key@crash.example.org/4x2", "ftp://key@example.org/1",
          "http://key@crash.example.org/42", "not a url"})
        EXPECT_TRUE(CrashReporter::endpoint(QString::fromLatin1(invalid)).isEmpty()) << invalid;
}

TEST_F(CrashReporterTest, AFatalSignalWritesAReportWithTheSessionIfOneIsRunning)
{
    ASSERT_TRUE(startAndWait(options()));
    reporter.startSession();
    ASSERT_FALSE(reporter.sessionId().isEmpty());
    const QString session = reporter.sessionId();
    crashChild(SIGSEGV);
    reporter.endSession();
    crashChild(SIGABRT);

    QList<CrashReport> reports;
    for (const QString& file : reportFiles(directory)) {
        const QString path = directory + QLatin1Char('/') + file;
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
        const std::optional<CrashReport> report =
            CrashReport::parse(file.chopped(7), TestFiles::read(path));
        ASSERT_TRUE(report) << file.toStdString();
        reports.append(*report);
    }
    ASSERT_EQ(reports.size(), 2);
    std::sort(reports.begin(), reports.end(), [](const CrashReport& a, const CrashReport& b) {
        return a.signalNumber > b.signalNumber;
    });
    EXPECT_EQ(reports[0].signalNumber, SIGSEGV);
    EXPECT_EQ(reports[0].release, QStringLiteral("0.1.0"));
    EXPECT_EQ(reports[0].sessionId, session);
    EXPECT_LE(qAbs(reports[0].time.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_EQ(reports[1].signalNumber, SIGABRT);
    EXPECT_TRUE(reports[1].sessionId.isEmpty());
}

TEST_F(CrashReporterTest, PendingReportsAreSentThroughTheHookAtStartAndThenDeleted)
{
    writeReport(QStringLiteral("crash-10-1700000000.report"), SIGBUS);
    // Unreadable reports are removed unsent.
    TestFiles::write(directory + QStringLiteral("/crash-3-3.report"), "garbage");
    TestFiles::write(directory + QStringLiteral("/crash-4-4.report"),
                     QByteArray(CrashReport::fileHeader) + "signal=11\n"); // no time
    server.respondWith(200, "{}");
    CrashReporter::Options changing = options();
    changing.beforeSend = [](const CrashReport& report) -> std::optional<CrashReport> {
        CrashReport copy = report;
        copy.sessionId.clear();
        return copy;
    };
    ASSERT_TRUE(startAndWait(changing));

    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackHttpServer::Request& request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/api/7/crash-reports");
    EXPECT_EQ(request.headers.value("x-quillory-key"), "0123456789abcdef0123456789abcdef");
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();
    EXPECT_EQ(body.value(QStringLiteral("signal")).toInt(), SIGBUS);
    EXPECT_EQ(body.value(QStringLiteral("release")).toString(), QStringLiteral("0.0.9"));
    EXPECT_EQ(body.value(QStringLiteral("id")).toString(), QStringLiteral("crash-10-1700000000"));
    EXPECT_EQ(body.value(QStringLiteral("time")).toString(),
              QStringLiteral("2023-11-14T22:13:20Z"));
    EXPECT_EQ(body.value(QStringLiteral("session")).toString(), QString());
    EXPECT_TRUE(reportFiles(directory).isEmpty());
}

TEST_F(CrashReporterTest, ARefusedReportIsKeptForTheNextStartAndOneTheHookDropsIsDeleted)
{
    LogCapture log;
    writeReport(QStringLiteral("crash-1-1.report"), SIGSEGV);
    // The server failing, and the server refusing this report or this client for now.
    const int refusals[] = {500, 400, 429};
    for (const int status : refusals) {
        SCOPED_TRACE(status);
        server.respondWith(status, "{}");
        ASSERT_TRUE(startAndWait(options()));
        reporter.close();
        EXPECT_EQ(reportFiles(directory).size(), 1);
    }
    EXPECT_EQ(server.requests().size(), std::size(refusals));
    EXPECT_EQ(log.matching(QStringLiteral("kept for later")).size(), std::size(refusals));

    writeReport(QStringLiteral("crash-2-2.report"), SIGILL);
    flag.setValue(false);
    ASSERT_TRUE(startAndWait(options()));
    EXPECT_EQ(server.requests().size(), std::size(refusals));
    EXPECT_TRUE(reportFiles(directory).isEmpty());
}

TEST_F(CrashReporterTest, AnEmptyDsnNeverStartsCloseRemovesTheHandlersAndOneReporterRuns)
{
    void* before = currentHandler(SIGSEGV);
    CrashReporter::Options empty = options();
    empty.dsn.clear();
    writeReport(QStringLiteral("crash-1-1.report"), SIGSEGV);
    EXPECT_FALSE(reporter.start(empty));
    EXPECT_FALSE(reporter.isStarted());
    EXPECT_EQ(currentHandler(SIGSEGV), before);
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(reportFiles(directory).size(), 1);

    ASSERT_TRUE(startAndWait(options()));
    EXPECT_NE(currentHandler(SIGSEGV), before);
    CrashReporter second(directory);
    EXPECT_FALSE(second.start(options()));
    reporter.startSession();
    reporter.close();
    EXPECT_FALSE(reporter.isStarted());
    EXPECT_TRUE(reporter.sessionId().isEmpty());
    EXPECT_EQ(currentHandler(SIGSEGV), before);
    EXPECT_TRUE(second.start(options()));
    second.close();
    // Started again after closing, as often as the user switches reporting back on.
    EXPECT_TRUE(startAndWait(options()));
}

} // namespace
