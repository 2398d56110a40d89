#include "ClientHarness.h"

#include "analytics/DurationSignalTracker.h"
#include "analytics/Insights.h"
#include "analytics/NavigationStatus.h"
#include "support/TestFiles.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr int waitLimitMsecs = 10'000;
constexpr int settleMsecs = 200;
// Names the application identifiers of the test cases.
const QUuid appIDNamespace(QStringLiteral("{3b0d6c52-8f1e-4a7d-b9c2-5e4f60a1d873}"));

// The cache file and the suite are the case's own, also when the program runs whole.
const bool perCaseHomes = (TestHome::givePerCaseHomes(), true);

} // namespace

ClientHarness::ClientHarness()
    : configuration(makeConfiguration(server.baseUrl()))
{
    // Like a program started afresh, whatever an earlier case of this process reported.
    NavigationStatus::setPreviousNavigationPath(std::nullopt);
    DurationSignalTracker::shared().restart(clock);
}

QString ClientHarness::appID()
{
    // Named after the case's own home, which no other case of any run shares.
    return QUuid::createUuidV5(appIDNamespace, TestFiles::home())
        .toString(QUuid::WithoutBraces)
        .toUpper();
}

ClientHarness::~ClientHarness()
{
    Insights::terminate();
    mainQueue.runPending();
    // The harness's clock goes with it.
    DurationSignalTracker::shared().restart(Clock::system());
}

std::shared_ptr<InsightsManagerConfiguration>
ClientHarness::makeConfiguration(const QUrl& baseURL, const std::optional<QString>& salt) const
{
    auto config = std::make_shared<InsightsManagerConfiguration>(appID(), salt, baseURL);
    config->setSessionStatsEnabled(false);
    config->setSendNewSessionBeganSignal(false);
    config->setLogHandler(capturingHandler());
    return config;
}

LogHandler ClientHarness::capturingHandler() const
{
    return {LogLevel::debug, [this](LogLevel level, const QString& message) {
                const QMutexLocker lock(&m_logMutex);
                m_logs->append({level, message});
            }};
}

void ClientHarness::start()
{
    Insights::initialize(configuration, {&clock, &mainQueue, &scheduler, displayInfo});
    // Lets the first send step, made at creation, finish and arm its timer.
    settle();
}

bool ClientHarness::waitUntil(const std::function<bool()>& condition)
{
    const QDeadlineTimer deadline(waitLimitMsecs);
    while (!deadline.hasExpired()) {
        mainQueue.runPending();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (condition())
            return true;
        QThread::yieldCurrentThread();
    }
    return false;
}

void ClientHarness::settle()
{
    const QDeadlineTimer deadline(settleMsecs);
    while (!deadline.hasExpired()) {
        mainQueue.runPending();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    mainQueue.runPending();
}

void ClientHarness::advance(std::chrono::milliseconds step)
{
    mainQueue.runPending();
    scheduler.advance(step);
    mainQueue.runPending();
}

QList<SignalPostBody> ClientHarness::quitAndReadCache()
{
    Insights::applicationWillTerminate();
    return readCacheFile();
}

QString ClientHarness::cacheFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/insightssignalcache");
}

QList<SignalPostBody> ClientHarness::readCacheFile()
{
    QFile file(cacheFilePath());
    QList<SignalPostBody> records;
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).array()) {
        if (auto body = SignalPostBody::fromCacheJson(value.toObject()))
            records.append(*body);
    }
    return records;
}

QStringList ClientHarness::logs(LogLevel level) const
{
    const QMutexLocker lock(&m_logMutex);
    QStringList messages;
    for (const auto& [logged, message] : *m_logs) {
        if (logged == level)
            messages.append(message);
    }
    return messages;
}

QList<SignalPostBody> signalsOfType(const QList<SignalPostBody>& signals, const QString& type)
{
    QList<SignalPostBody> matching;
    for (const SignalPostBody& signal : signals) {
        if (signal.type == type)
            matching.append(signal);
    }
    return matching;
}

void expectParameters(const SignalParameters& parameters,
                      std::initializer_list<std::pair<const char*, const char*>> expected)
{
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(key);
        const QString name = QString::fromLatin1(key);
        if (value)
            EXPECT_EQ(parameters.value(name), QString::fromLatin1(value));
        else
            EXPECT_FALSE(parameters.contains(name));
    }
}
