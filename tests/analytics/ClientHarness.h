#pragma once

#include "LoopbackServer.h"

#include "analytics/InsightsEnvironment.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "analytics/SignalPostBody.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"

#include <QMutex>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>

// The analytics client on manual time and a manual main queue, sending to a loopback
// server, with every log line kept. Session statistics and the session-start signal are off
// unless a test turns them on before start(). Every harness is a start of the program: two in
// one test case are two runs, which share the case's folders.
class ClientHarness
{
public:
    static constexpr std::chrono::milliseconds sendPeriod{10'000};

    ClientHarness();
    ~ClientHarness();

    // The running case's own, so that its suite holds nothing of another case.
    static QString appID();
    std::shared_ptr<InsightsManagerConfiguration>
    makeConfiguration(const QUrl& baseURL, const std::optional<QString>& salt = std::nullopt) const;
    void start();

    // Runs the main queue and Qt's events until the condition holds; false after 10 s.
    bool waitUntil(const std::function<bool()>& condition);
    // Runs the main queue and Qt's events for a moment, for checks that nothing happens.
    void settle();
    // Moves the manual timers on, then lets what they started run.
    void advance(std::chrono::milliseconds step);

    // Delivers the termination notice and reads the cache file it wrote.
    QList<SignalPostBody> quitAndReadCache();
    static QList<SignalPostBody> readCacheFile();
    static QString cacheFilePath();

    QStringList logs(LogLevel level) const;

    ManualClock clock;
    ManualMainQueue mainQueue;
    ManualScheduler scheduler;
    std::function<DisplayInfo()> displayInfo;
    LoopbackServer server;
    std::shared_ptr<InsightsManagerConfiguration> configuration;

private:
    LogHandler capturingHandler() const;

    mutable QMutex m_logMutex;
    std::shared_ptr<QList<std::pair<LogLevel, QString>>> m_logs =
        std::make_shared<QList<std::pair<LogLevel, QString>>>();
};

// The records of a list whose type is the given one.
QList<SignalPostBody> signalsOfType(const QList<SignalPostBody>& signals, const QString& type);

// A test of one client, which the test configures and then starts.
class ClientTest : public testing::Test
{
protected:
    // What the client queued, as the termination notice writes it to the cache file.
    QList<SignalPostBody> sent() { return harness.quitAndReadCache(); }

    ClientHarness harness;
};

// Expects every listed key to have its value in the parameters; a null value: no such key.
void expectParameters(const SignalParameters& parameters,
                      std::initializer_list<std::pair<const char*, const char*>> expected);
