#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/SharedURLSession.h"
#include "analytics/SignalManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <limits>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(SignalEndpointTest, JoinsTheBaseAndTheNamespaceAsOneSegment)
{
    struct Row
    {
        const char* base;
        const char* insightsNamespace; // null: none given
        const char* expected;          // null: no endpoint
    };
    const Row rows[] = {
        {"https://ingest.example.org", nullptr, "https://ingest.example.org/v2/"},
        {"https://ingest.example.org/", nullptr, "https://ingest.example.org/v2/"},
        {"https://ingest.example.org", "", "https://ingest.example.org/v2/"},
        {"https://ingest.example.org", "team", "https://ingest.example.org/v2/namespace/team/"},
        {"https://example.org/api/", "team", "https://example.org/api/v2/namespace/team/"},
        {"https://example.org", "a/../b?c#d",
         "https://example.org/v2/namespace/a%2F..%2Fb%3Fc%23d/"},
        {"", nullptr, nullptr},
        {"not a url", nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.base);
        const auto url = SignalManager::signalEndpointURL(
            QUrl(QString::fromLatin1(row.base)),
            row.insightsNamespace ? std::optional(QString::fromLatin1(row.insightsNamespace))
                                  : std::nullopt);
        EXPECT_EQ(url.has_value(), row.expected != nullptr);
        if (url && row.expected) {
            EXPECT_EQ(url->toString(), QString::fromLatin1(row.expected));
        }
    }
}

TEST(ResponseClassificationTest, SuccessRejectionAndRetryClasses)
{
    using Kind = SignalManager::Classification::Kind;
    for (int status : {200, 202, 204, 299})
        EXPECT_EQ(SignalManager::classifyResponse(status).kind, Kind::accepted) << status;
    const std::pair<int, const char*> rejected[] = {
        {400, "Bad Request (400)"},       {401, "Unauthorized (401)"},
        {403, "Forbidden (403)"},         {404, "Not Found (404)"},
        {413, "Payload Too Large (413)"}, {422, "Unprocessable Entity (422)"},
        {501, "Not Implemented (501)"},   {505, "HTTP Version Not Supported (505)"}};
    for (const auto& [status, reason] : rejected) {
        const auto result = SignalManager::classifyResponse(status);
        EXPECT_EQ(result.kind, Kind::rejected) << status;
        EXPECT_EQ(result.reason, QString::fromLatin1(reason));
    }
    for (int status : {100, 199, 301, 402, 408, 429, 500, 502, 503})
        EXPECT_EQ(SignalManager::classifyResponse(status).kind, Kind::retry) << status;
    EXPECT_EQ(SignalManager::classifyResponse(std::nullopt).kind, Kind::retry);
}

// A server on a thread of its own that takes one request and answers it only when told to,
// so the answer can arrive while the test's own thread is busy quitting the client.
class LateAnswer
{
public:
    LateAnswer()
    {
        std::promise<quint16> port;
        m_port = port.get_future();
        m_thread = std::thread([this, port = std::move(port)]() mutable { serve(port); });
    }
    ~LateAnswer()
    {
        m_stop = true;
        m_thread.join();
    }

    QUrl baseUrl() { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port.get())); }
    bool hasRequest() const { return m_received; }
    void answerAfter(std::chrono::milliseconds delay)
    {
        m_answerAt = (std::chrono::steady_clock::now() + delay).time_since_epoch().count();
    }

private:
    static constexpr int waitStepMsecs = 10;

    void serve(std::promise<quint16>& port)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        port.set_value(server.serverPort());
        while (!m_stop && !server.waitForNewConnection(waitStepMsecs)) {
        }
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        QByteArray request;
        while (!m_stop && socket && !complete(request)) {
            socket->waitForReadyRead(waitStepMsecs);
            request += socket->readAll();
        }
        m_received = socket != nullptr;
        while (!m_stop &&
               (m_answerAt == 0 ||
                std::chrono::steady_clock::now().time_since_epoch().count() < m_answerAt))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!socket)
            return;
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
        socket->waitForBytesWritten();
        while (!m_stop)
            socket->waitForReadyRead(waitStepMsecs);
    }

    static bool complete(const QByteArray& request)
    {
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return false;
        const qsizetype lengthAt = request.toLower().indexOf("content-length:");
        const qsizetype length =
            lengthAt < 0
                ? 0
                : request.mid(lengthAt + 15, request.indexOf('\r', lengthAt) - lengthAt - 15)
                      .trimmed()
                      .toLongLong();
        return request.size() >= headerEnd + 4 + length;
    }

    std::shared_future<quint16> m_port;
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_received = false;
    std::atomic<std::chrono::steady_clock::rep> m_answerAt = 0;
    std::thread m_thread;
};

class SignalSenderTest : public ClientTest
{
protected:
    // Inactive, as a tray program nearly always is, and past the first session's start, so
    // that only the send timer can be pending.
    void start()
    {
        harness.start();
        harness.advance(500ms);
    }
    // Queues the signals and waits until they have armed the send timer.
    void send(int count)
    {
        for (int i = 0; i < count; ++i)
            Insights::signal(QStringLiteral("note_created"),
                             {{QStringLiteral("n"), QString::number(i)}});
        harness.mainQueue.runPending();
        ASSERT_TRUE(rearmed());
    }
    bool requestsReach(qsizetype count)
    {
        return harness.waitUntil([&] { return harness.server.requests().size() >= count; });
    }
    // Exactly one send timer is armed again, whatever the step did.
    bool rearmed()
    {
        return harness.waitUntil([&] { return harness.scheduler.pendingCount() > 0; }) &&
               harness.scheduler.pendingCount() == 1;
    }
    // One tick of the send timer: waits for its request and for the timer to be armed again
    // while records wait.
    void tick(qsizetype expectedRequests, bool recordsLeft = true)
    {
        harness.advance(ClientHarness::sendPeriod);
        ASSERT_TRUE(requestsReach(expectedRequests));
        ASSERT_TRUE(!recordsLeft || rearmed());
    }
    // Fires the send timer armed `delay` ago and waits for the request it makes.
    void expectSendAfter(std::chrono::milliseconds delay, bool recordsLeft = true)
    {
        const qsizetype before = harness.server.requests().size();
        harness.advance(delay - 1ms);
        harness.settle();
        EXPECT_EQ(harness.server.requests().size(), before) << delay.count();
        harness.advance(1ms);
        EXPECT_TRUE(requestsReach(before + 1)) << delay.count();
        EXPECT_TRUE(!recordsLeft || rearmed()) << delay.count();
    }
};

TEST_F(SignalSenderTest, BatchesArePostedAsJsonArraysOfAtMostAHundred)
{
    start();
    send(250);
    tick(1);
    tick(2);
    tick(3, false);

    QList<qsizetype> sizes;
    for (const auto& request : harness.server.requests()) {
        EXPECT_EQ(request.method, QByteArrayLiteral("POST"));
        EXPECT_EQ(request.path, QByteArrayLiteral("/v2/"));
        EXPECT_EQ(request.headers.value("content-type"), QByteArrayLiteral("application/json"));
        sizes.append(QJsonDocument::fromJson(request.body).array().size());
    }
    EXPECT_EQ(sizes, (QList<qsizetype>{100, 100, 50}));
    const QList<QJsonObject> received = harness.server.receivedSignals();
    for (int i = 0; i < received.size(); ++i)
        EXPECT_EQ(
            received[i].value(QStringLiteral("payload")).toObject().value(QStringLiteral("n")),
            QString::number(i));
}

TEST_F(SignalSenderTest, ARecordCarriesTheWireFieldsOfTheSignal)
{
    harness.configuration->setTestMode(true);
    // The first session has begun: the record carries its identifier.
    start();
    harness.clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(12, 34, 56, 789), Qt::UTC));
    Insights::signal(QStringLiteral("settings_opened"), {}, 1.5);
    harness.mainQueue.runPending();
    ASSERT_TRUE(rearmed());
    harness.advance(ClientHarness::sendPeriod);
    ASSERT_TRUE(requestsReach(1));

    QJsonObject signal = harness.server.receivedSignals().first();
    EXPECT_TRUE(signal.take(QStringLiteral("payload")).isObject());
    EXPECT_EQ(
        signal,
        (QJsonObject{{QStringLiteral("appID"), harness.configuration->insightsAppID()},
                     {QStringLiteral("clientUser"), InsightsManager::shared()->hashedDefaultUser()},
                     {QStringLiteral("floatValue"), 1.5},
                     {QStringLiteral("isTestMode"), QStringLiteral("true")},
                     {QStringLiteral("receivedAt"), QStringLiteral("2024-05-01T12:34:56+0000")},
                     {QStringLiteral("sessionID"),
                      harness.configuration->sessionID().toString(QUuid::WithoutBraces).toUpper()},
                     {QStringLiteral("type"), QStringLiteral("settings_opened")}}));
    // On the wire in the order of the record's fields.
    const QByteArray body = harness.server.requests().first().body;
    qsizetype previous = -1;
    for (const char* key : {"receivedAt", "appID", "clientUser", "sessionID", "type", "floatValue",
                            "payload", "isTestMode"}) {
        const qsizetype at = body.indexOf(QByteArray("\"") + key + "\":");
        EXPECT_GT(at, previous) << key;
        previous = at;
    }
}

TEST_F(SignalSenderTest, RejectedBatchesAreDroppedWithTheReasonAndResetTheBackOff)
{
    start();
    // Nothing is queued: the timer rests.
    EXPECT_EQ(harness.scheduler.pendingCount(), 0u);
    harness.server.respondWith({500, 413});
    send(3);
    tick(1);
    expectSendAfter(20s, false);
    EXPECT_TRUE(harness.waitUntil([&] {
        return harness.logs(LogLevel::error)
            .contains(
                QStringLiteral("Dropping 3 signal(s): rejected by server Payload Too Large (413)"));
    }));
    // The drop emptied the queue and reset the back-off: the next record goes a period later.
    send(1);
    expectSendAfter(ClientHarness::sendPeriod, false);
    harness.settle();
    EXPECT_EQ(harness.server.requests().size(), 3);
    EXPECT_TRUE(harness.quitAndReadCache().isEmpty());
}

TEST_F(SignalSenderTest, RetriedBatchesGoBehindNewerRecordsAndLogTheStatus)
{
    start();
    harness.server.respondWith({429, 301});
    send(2);
    harness.advance(ClientHarness::sendPeriod);
    // Arrives while the first batch is out; the server answers only once the test waits.
    Insights::signal(QStringLiteral("newer"));
    harness.mainQueue.runPending();
    ASSERT_TRUE(requestsReach(1));
    ASSERT_TRUE(rearmed());
    EXPECT_TRUE(
        harness.logs(LogLevel::debug)
            .contains(QStringLiteral("Failed to send events (status 429), will try again later")));
    expectSendAfter(20s);
    expectSendAfter(40s, false);

    QStringList types;
    for (const QJsonObject& signal : harness.server.receivedSignals())
        types.append(signal.value(QStringLiteral("type")).toString());
    EXPECT_EQ(types, (QStringList{QStringLiteral("note_created"), QStringLiteral("note_created"),
                                  QStringLiteral("newer"), QStringLiteral("note_created"),
                                  QStringLiteral("note_created"), QStringLiteral("newer"),
                                  QStringLiteral("note_created"), QStringLiteral("note_created")}));
}

TEST_F(SignalSenderTest, FailuresBackOffUpToTheCeilingAndASuccessResetsIt)
{
    start();
    harness.server.respondWith({500, 500, 500, 500, 500, 500});
    send(1);
    tick(1);
    for (auto delay : {20s, 40s, 80s, 160s, 300s})
        expectSendAfter(delay);
    // The seventh attempt succeeded: the next record goes one period later.
    expectSendAfter(300s, false);
    send(1);
    expectSendAfter(ClientHarness::sendPeriod, false);
}

// A change of activity neither calls off nor hurries a retry: failed batches go out on the
// growing delay whether or not anyone uses the program.
TEST_F(SignalSenderTest, FailedBatchesAreRetriedOnTheGrowingDelayWhateverTheActivity)
{
    start();
    harness.server.respondWith({500, 503});
    send(2);
    tick(1);
    Insights::applicationWillBecomeActive();
    expectSendAfter(20s);
    Insights::applicationDidResignActive();
    expectSendAfter(40s, false);
    EXPECT_EQ(harness.server.receivedSignals().size(), 6);
}

// A host's own network access, on the host's thread, which marks the requests it makes.
class MarkingSession final : public QNetworkAccessManager
{
protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override
    {
        QNetworkRequest marked(request);
        marked.setRawHeader("X-Transport", "host");
        return QNetworkAccessManager::createRequest(operation, marked, outgoingData);
    }
};

// The client's own session unless the host sets another, which the next batch goes through.
TEST_F(SignalSenderTest, BatchesGoThroughTheUrlSessionOfTheConfiguration)
{
    EXPECT_EQ(harness.configuration->urlSession(), sharedURLSession());
    start();
    send(1);
    tick(1, false);
    MarkingSession session;
    harness.configuration->setUrlSession(&session);
    send(1);
    tick(2, false);
    const QList<LoopbackServer::Request>& requests = harness.server.requests();
    EXPECT_FALSE(requests[0].headers.contains("x-transport"));
    EXPECT_EQ(requests[1].headers.value("x-transport"), QByteArrayLiteral("host"));
    EXPECT_EQ(harness.server.receivedSignalCount(), 2);
    harness.configuration->setUrlSession(nullptr);
    EXPECT_EQ(harness.configuration->urlSession(), sharedURLSession());
}

// Run as a process of its own by the case below: requests are still being opened on the
// client's own session as the program ends.
TEST(SharedUrlSessionChild, DISABLED_EndsWhileRequestsOpen)
{
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/v2/").arg(listener.serverPort()));
    QNetworkAccessManager* session = sharedURLSession();
    constexpr int requests = 200;
    QMetaObject::invokeMethod(
        session,
        [session, url] {
            for (int i = 0; i < requests; ++i)
                session->post(QNetworkRequest(url), QByteArrayLiteral("[]"));
        },
        Qt::QueuedConnection);
}

TEST(SharedUrlSessionEndTest, RequestsStillOpeningAsTheProgramEndsLetItEndQuietly)
{
    // The end races the session's own thread: a few runs give it its chances.
    constexpr int runs = 10;
    constexpr auto patience = 30s;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=SharedUrlSessionChild.*")});
        ASSERT_TRUE(child.waitForFinished(int(std::chrono::milliseconds(patience).count())));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << run;
        EXPECT_EQ(child.exitCode(), 0) << run << child.readAllStandardError().toStdString();
    }
}

TEST_F(SignalSenderTest, TransportErrorsAreLoggedAndRetried)
{
    // Nothing listens on the discard port of the loopback interface.
    harness.configuration = harness.makeConfiguration(QUrl(QStringLiteral("http://127.0.0.1:9")));
    start();
    send(1);
    harness.advance(ClientHarness::sendPeriod);
    EXPECT_TRUE(harness.waitUntil([&] { return !harness.logs(LogLevel::error).isEmpty(); }));
    EXPECT_TRUE(rearmed());
    EXPECT_EQ(harness.quitAndReadCache().size(), 1);
}

TEST_F(SignalSenderTest, WithoutABaseUrlEverySendFailsAndTheQueueStaysBounded)
{
    harness.configuration = harness.makeConfiguration(QUrl());
    harness.configuration->setCacheLimit(5);
    start();
    send(8);
    harness.advance(ClientHarness::sendPeriod);
    EXPECT_TRUE(harness.waitUntil([&] {
        return harness.logs(LogLevel::error).contains(QStringLiteral("Invalid endpoint URL"));
    }));
    EXPECT_TRUE(
        harness.logs(LogLevel::error)
            .contains(QStringLiteral("Unable to construct signal API URL for namespace nil")));
    const QList<SignalPostBody> cached = harness.quitAndReadCache();
    ASSERT_EQ(cached.size(), 5);
    EXPECT_EQ(cached.last().payload.value(QStringLiteral("n")), QStringLiteral("7"));
}

TEST_F(SignalSenderTest, ABatchInFlightAtQuitIsSavedWithTheQueue)
{
    start();
    harness.server.holdResponses(true);
    send(120);
    harness.advance(ClientHarness::sendPeriod);
    ASSERT_TRUE(requestsReach(1));
    const QList<SignalPostBody> cached = harness.quitAndReadCache();
    EXPECT_EQ(cached.size(), 120);
    // Nothing leaves after the termination notice.
    harness.advance(ClientHarness::sendPeriod);
    harness.settle();
    EXPECT_EQ(harness.server.requests().size(), 1);
}

TEST_F(SignalSenderTest, ABatchAnsweredWhileQuittingIsNotSavedAgain)
{
    LateAnswer server;
    harness.configuration = harness.makeConfiguration(server.baseUrl());
    start();
    send(3);
    harness.advance(ClientHarness::sendPeriod);
    ASSERT_TRUE(harness.waitUntil([&] { return server.hasRequest(); }));
    // Taken by the server; its answer comes a moment after the termination notice.
    server.answerAfter(100ms);
    EXPECT_TRUE(harness.quitAndReadCache().isEmpty());
}

TEST_F(SignalSenderTest, SignalsSavedAtQuitAreSentAtTheNextStart)
{
    start();
    send(3);
    EXPECT_EQ(harness.quitAndReadCache().size(), 3);
    Insights::terminate();
    harness.mainQueue.runPending();

    start();
    EXPECT_FALSE(QFile::exists(ClientHarness::cacheFilePath()));
    ASSERT_TRUE(requestsReach(1));
    EXPECT_EQ(harness.server.receivedSignals().size(), 3);
}

TEST_F(SignalSenderTest, ANonFiniteValueIsDroppedAndTheSignalStillLeaves)
{
    start();
    Insights::signal(QStringLiteral("broken"), {}, std::numeric_limits<double>::quiet_NaN());
    Insights::internalSignal(QStringLiteral("huge"), {}, std::numeric_limits<double>::infinity());
    harness.mainQueue.runPending();
    ASSERT_TRUE(rearmed());
    EXPECT_EQ(harness.logs(LogLevel::error)
                  .filter(QStringLiteral("Dropping the non-finite floatValue"))
                  .size(),
              2);
    harness.advance(ClientHarness::sendPeriod);
    ASSERT_TRUE(requestsReach(1));
    const QList<QJsonObject> received = harness.server.receivedSignals();
    ASSERT_EQ(received.size(), 2);
    for (const QJsonObject& signal : received)
        EXPECT_FALSE(signal.contains(QStringLiteral("floatValue")));
}

TEST_F(SignalSenderTest, EnrichersAndSignalParametersLayerOverTheDefaultPayload)
{
    class Enricher final : public SignalEnricher
    {
    public:
        explicit Enricher(QString value)
            : m_value(std::move(value))
        {}
        SignalParameters enrich(const QString&, const std::optional<QString>&,
                                std::optional<double>) const override
        {
            return {{QStringLiteral("shared"), m_value},
                    {QStringLiteral("platform"), m_value},
                    {QStringLiteral("clash"), m_value}};
        }

    private:
        QString m_value;
    };
    harness.configuration->setMetadataEnrichers(
        {std::make_shared<Enricher>(QStringLiteral("first")),
         std::make_shared<Enricher>(QStringLiteral("second"))});
    start();
    Insights::signal(QStringLiteral("x"), {{QStringLiteral("clash"), QStringLiteral("signal")}});
    const QList<SignalPostBody> cached = harness.quitAndReadCache();
    ASSERT_EQ(cached.size(), 1);
    expectParameters(cached.first().payload,
                     {{"shared", "second"}, {"platform", "second"}, {"clash", "signal"}});
}

TEST_F(SignalSenderTest, TwoImmediateSyncsWithinAPeriodSendOnce)
{
    start();
    send(150);
    Insights::requestImmediateSync();
    Insights::requestImmediateSync();
    harness.advance(50ms);
    ASSERT_TRUE(requestsReach(1));
    harness.settle();
    EXPECT_EQ(harness.server.requests().size(), 1);
    harness.clock.advance(ClientHarness::sendPeriod + 1ms);
    Insights::requestImmediateSync();
    harness.advance(50ms);
    EXPECT_TRUE(requestsReach(2));
}

} // namespace
