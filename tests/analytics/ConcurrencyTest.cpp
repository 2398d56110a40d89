#include "ClientHarness.h"

#include "analytics/Insights.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int threadCount = 8;
constexpr int signalsPerThread = 300;
// Sent once the server stops answering, so a batch is surely in flight at quit.
constexpr int lateSignals = 150;

// Signals from eight threads while batches go out, then quit with a batch in flight: every
// signal is either at the server or in the cache file, and the server never sees one twice.
TEST(ConcurrencyTest, EverySignalIsDeliveredOrSavedAndNoneTwice)
{
    ClientHarness harness;
    harness.configuration->setLogHandler(std::nullopt);
    harness.start();

    std::atomic<int> running = threadCount;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([t, &running] {
            for (int i = 0; i < signalsPerThread; ++i) {
                Insights::signal(QStringLiteral("note_created"),
                                 {{QStringLiteral("id"), QStringLiteral("%1-%2").arg(t).arg(i)}});
                if (i % 50 == 0)
                    Insights::requestImmediateSync();
            }
            --running;
        });
    // The main thread keeps the client going meanwhile: hand-overs, timers and replies.
    while (running > 0 || harness.server.requests().size() < 3) {
        harness.advance(ClientHarness::sendPeriod);
        harness.waitUntil([] { return true; });
    }
    for (std::thread& thread : threads)
        thread.join();
    harness.server.holdResponses(true);
    const qsizetype answered = harness.server.requests().size();
    for (int i = 0; i < lateSignals; ++i)
        Insights::signal(QStringLiteral("note_created"),
                         {{QStringLiteral("id"), QStringLiteral("late-%1").arg(i)}});
    ASSERT_TRUE(harness.waitUntil([&] {
        harness.advance(ClientHarness::sendPeriod);
        return harness.server.requests().size() > answered;
    }));

    const QList<SignalPostBody> cached = harness.quitAndReadCache();
    QSet<QString> received;
    int receivedCount = 0;
    for (const QJsonObject& signal : harness.server.receivedSignals()) {
        received.insert(signal.value(QStringLiteral("payload"))
                            .toObject()
                            .value(QStringLiteral("id"))
                            .toString());
        ++receivedCount;
    }
    QSet<QString> saved;
    for (const SignalPostBody& record : cached)
        saved.insert(record.payload.value(QStringLiteral("id")));
    EXPECT_EQ(saved.size(), cached.size());
    EXPECT_EQ(received.size(), receivedCount);
    EXPECT_EQ((received | saved).size(), threadCount * signalsPerThread + lateSignals);
    // The batches left unanswered at quit are in the file.
    const QList<LoopbackServer::Request> requests = harness.server.requests();
    for (qsizetype i = answered; i < requests.size(); ++i) {
        for (const QJsonValue& signal : QJsonDocument::fromJson(requests[i].body).array()) {
            const QString id = signal.toObject()
                                   .value(QStringLiteral("payload"))
                                   .toObject()
                                   .value(QStringLiteral("id"))
                                   .toString();
            EXPECT_TRUE(saved.contains(id)) << id.toStdString();
        }
    }
}

} // namespace
