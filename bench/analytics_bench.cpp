// Speed and memory of the analytics client: the cost of a signal to its caller, delivery of
// many signals to a loopback server, and memory while the server cannot be reached.
#include "analytics/LoopbackServer.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "analytics/SignalCache.h"
#include "analytics/SignalPostBody.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <unistd.h>
#include <vector>

namespace {

constexpr int queuedSignals = 10'000;
// As many keys as the default payload has without history.
constexpr int payloadKeys = 61;
constexpr int deliveryTimeoutMsecs = 120'000;
constexpr int pumpMsecs = 1500;
const QString appID = QStringLiteral("6E0B3F2A-9C41-4D7B-8A15-2F3C9D7E41B8");

std::shared_ptr<InsightsManagerConfiguration> configuration(const QUrl& baseURL)
{
    auto config = std::make_shared<InsightsManagerConfiguration>(appID, std::nullopt, baseURL);
    config->setSendNewSessionBeganSignal(false);
    config->setLogHandler(std::nullopt);
    return config;
}

void sendSignals(int count, const QString& prefix)
{
    for (int i = 0; i < count; ++i)
        Insights::signal(QStringLiteral("note_created"),
                         {{QStringLiteral("id"), prefix + QString::number(i)}});
}

// As the application sends them: no parameters of their own.
void sendPlainSignals(int count)
{
    for (int i = 0; i < count; ++i)
        Insights::signal(QStringLiteral("note_created"));
}

long residentKilobytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * sysconf(_SC_PAGESIZE) / 1024;
}

// The time Insights::signal() takes to return with 10,000 signals already queued.
void BM_SignalReturnsWithTenThousandQueued(benchmark::State& state)
{
    ManualClock clock;
    ManualMainQueue mainQueue;
    ManualScheduler scheduler;
    Insights::initialize(configuration(QUrl(QStringLiteral("http://127.0.0.1:9"))),
                         {&clock, &mainQueue, &scheduler});
    sendSignals(queuedSignals, QStringLiteral("queued-"));
    mainQueue.runPending();

    std::vector<double> microseconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Insights::signal(QStringLiteral("note_created"));
        const auto end = std::chrono::steady_clock::now();
        microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds[microseconds.size() / 2];
    state.counters["p99_us"] = microseconds[microseconds.size() * 99 / 100];
    Insights::terminate();
    mainQueue.runPending();
}
BENCHMARK(BM_SignalReturnsWithTenThousandQueued)->Iterations(100'000);

// The body of one full request: 100 records, each with a payload as large as the default one.
void BM_EncodeAFullBatchForTheWire(benchmark::State& state)
{
    SignalPostBody record;
    record.receivedAt = QDateTime::currentDateTimeUtc();
    record.appID = appID;
    record.clientUser = QString(64, QLatin1Char('c'));
    record.sessionID = appID;
    record.type = QStringLiteral("note_created");
    record.isTestMode = QStringLiteral("false");
    for (int i = 0; i < payloadKeys; ++i)
        record.payload.insert(QStringLiteral("Insights.Key.%1").arg(i),
                              QStringLiteral("value %1").arg(i));
    const QList<SignalPostBody> batch(SignalCache::maximumNumberOfSignalsToPopAtOnce, record);
    for (auto _ : state)
        benchmark::DoNotOptimize(SignalPostBody::encodeWireBatch(batch));
}
BENCHMARK(BM_EncodeAFullBatchForTheWire)->Unit(benchmark::kMicrosecond);

// 10,000 signals delivered to a loopback server, on the real main queue and timers.
void BM_TenThousandSignalsReachALoopbackServer(benchmark::State& state)
{
    for (auto _ : state) {
        LoopbackServer server;
        auto config = configuration(server.baseUrl());
        config->setTransmitInterval(0.001);
        Insights::initialize(config);
        sendSignals(queuedSignals, QStringLiteral("delivered-"));
        const QDeadlineTimer deadline(deliveryTimeoutMsecs);
        while (server.receivedSignalCount() < queuedSignals && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QSet<QString> ids;
        for (const QJsonObject& signal : server.receivedSignals())
            ids.insert(signal.value(QStringLiteral("payload"))
                           .toObject()
                           .value(QStringLiteral("id"))
                           .toString());
        state.counters["received"] = double(server.receivedSignals().size());
        state.counters["distinct"] = double(ids.size());
        state.counters["requests"] = double(server.requests().size());
        Insights::terminate();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_TenThousandSignalsReachALoopbackServer)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Resident memory while the server is down: the queue stops growing at the cache limit.
// Argument 0: signals without parameters, as the application sends them; 1: each signal with
// a parameter of its own, so no record shares its payload.
void BM_MemoryStaysBoundedWhileTheServerIsDown(benchmark::State& state)
{
    for (auto _ : state) {
        const long before = residentKilobytes();
        Insights::initialize(configuration(QUrl(QStringLiteral("http://127.0.0.1:9"))));
        // Long enough for the hand-overs and failed sends of every round to be done.
        const auto pump = [] {
            const QDeadlineTimer deadline(pumpMsecs);
            while (!deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        };
        long atLimit = 0;
        for (int round = 0; round < 10; ++round) {
            if (state.range(0) == 0)
                sendPlainSignals(queuedSignals);
            else
                sendSignals(queuedSignals, QStringLiteral("round%1-").arg(round));
            pump();
            if (round == 1)
                atLimit = residentKilobytes();
        }
        const long afterTenTimesTheLimit = residentKilobytes();
        state.counters["rss_kb_before"] = double(before);
        state.counters["rss_kb_at_2x_limit"] = double(atLimit);
        state.counters["rss_kb_at_10x_limit"] = double(afterTenTimesTheLimit);
        state.counters["growth_kb"] = double(afterTenTimesTheLimit - atLimit);
        Insights::terminate();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MemoryStaysBoundedWhileTheServerIsDown)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // The client's suite and cache file go to a folder of their own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit() + "/config");
    qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit() + "/cache");
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
