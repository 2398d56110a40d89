#include "InsightsManager.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "analytics/SessionManager.h"
#include "analytics/Sha256.h"
#include "analytics/SignalManager.h"
#include "analytics/TrialConversionTracker.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/UserDefaults.h"

namespace {

constexpr std::chrono::milliseconds firstSessionDelay{500};
constexpr std::chrono::milliseconds immediateSyncDelay{50};
constexpr qint64 foregroundSessionTimeoutSecs = 300;
constexpr qsizetype suiteHashDigits = 12;

// The installed manager. Never destroyed, so that no thread of the client outlives the
// objects it uses at process exit.
struct InsightsManagerStorage
{
    ConcurrentQueue queue{QStringLiteral("analytics.client.InsightsManager.static")};
    std::shared_ptr<InsightsManager> manager;

    static InsightsManagerStorage& instance()
    {
        static auto* storage = new InsightsManagerStorage;
        return *storage;
    }
};

// The manager's timers and main-queue work belong to the main thread, so it is always
// destroyed there, whichever thread lets go of it last.
std::shared_ptr<InsightsManager>
makeManager(std::shared_ptr<InsightsManagerConfiguration> configuration,
            const InsightsEnvironment& environment)
{
    MainQueue* mainQueue = environment.mainQueue;
    return std::shared_ptr<InsightsManager>(
        new InsightsManager(std::move(configuration), environment),
        [mainQueue](InsightsManager* manager) {
            if (isMainThread())
                delete manager;
            else
                mainQueue->async([manager] { delete manager; });
        });
}

} // namespace

InsightsManager::InsightsManager(std::shared_ptr<InsightsManagerConfiguration> configuration,
                                 const InsightsEnvironment& environment)
    : m_configuration(std::move(configuration))
    , m_environment(environment)
    , m_suite(UserDefaults::suite(suiteName(m_configuration->insightsAppID())))
    , m_sessionManager(std::make_unique<SessionManager>(m_suite, environment))
    , m_signalManager(
          std::make_unique<SignalManager>(m_configuration, m_suite, *m_sessionManager, environment))
{
    onMainThread([this] {
        m_firstSession = m_environment.scheduler->schedule(firstSessionDelay, [] {
            shared()->configuration()->setSessionID(QUuid::createUuid());
        });
    });
}

InsightsManager::InsightsManager(std::shared_ptr<InsightsManagerConfiguration> configuration)
    : m_configuration(std::move(configuration))
    , m_environment(InsightsEnvironment::system())
    , m_suite(nullptr)
{}

InsightsManager::~InsightsManager() = default;

std::shared_ptr<InsightsManager> InsightsManager::shared()
{
    if (auto manager = installed())
        return manager;
    auto configuration = std::make_shared<InsightsManagerConfiguration>(QString());
    // A configuration whose preview flag is unset reads the environment.
    if (!configuration->swiftUIPreviewMode())
        return std::shared_ptr<InsightsManager>(new InsightsManager(std::move(configuration)));
    auto made = makeManager(std::move(configuration), InsightsEnvironment::system());
    auto& storage = InsightsManagerStorage::instance();
    // Whoever installed one first wins, so that no caller holds a manager already replaced.
    return storage.queue.barrierSync([&] {
        if (!storage.manager)
            storage.manager = std::move(made);
        return storage.manager;
    });
}

std::shared_ptr<InsightsManager> InsightsManager::installed()
{
    auto& storage = InsightsManagerStorage::instance();
    return storage.queue.sync([&] { return storage.manager; });
}

bool InsightsManager::isInitialized()
{
    return installed() != nullptr;
}

void InsightsManager::initialize(std::shared_ptr<InsightsManagerConfiguration> configuration,
                                 const InsightsEnvironment& environment)
{
    auto manager = makeManager(std::move(configuration), environment);
    auto& storage = InsightsManagerStorage::instance();
    // The earlier manager is released outside the lock: its destruction waits for its queues.
    storage.queue.barrierSync([&] { storage.manager.swap(manager); });
}

void InsightsManager::terminate()
{
    std::shared_ptr<InsightsManager> released;
    auto& storage = InsightsManagerStorage::instance();
    storage.queue.barrierSync([&] { storage.manager.swap(released); });
}

void InsightsManager::send(const QString& signalName, const SignalParameters& parameters)
{
    Insights::signal(signalName, parameters);
}

void InsightsManager::send(const QString& signalName, const std::optional<QString>& customUserID,
                           std::optional<double> floatValue, const SignalParameters& parameters)
{
    Insights::signal(signalName, parameters, floatValue, customUserID);
}

void InsightsManager::requestImmediateSync()
{
    Insights::requestImmediateSync();
}

void InsightsManager::updateDefaultUser(const std::optional<QString>& userID)
{
    Insights::updateDefaultUserID(userID);
}

void InsightsManager::generateNewSession()
{
    Insights::generateNewSession();
}

QString InsightsManager::suiteName(const QString& appID)
{
    return QStringLiteral("analytics.client.") + sha256Hex(appID).right(suiteHashDigits);
}

std::shared_ptr<InsightsManagerConfiguration> InsightsManager::configuration() const
{
    return m_configuration;
}

QString InsightsManager::hashedDefaultUser()
{
    return sha256Hex(SignalManager::resolveDefaultUser(*m_configuration, m_suite),
                     m_configuration->salt());
}

void InsightsManager::processSignal(SignalRequest request)
{
    if (m_signalManager)
        m_signalManager->processSignal(std::move(request));
}

void InsightsManager::didEnterBackground()
{
    const QDateTime now = m_environment.clock->now();
    m_queue.barrierSync([&] { m_lastDateAppEnteredBackground = now; });
}

void InsightsManager::willEnterForeground()
{
    const QDateTime now = m_environment.clock->now();
    const bool expired = m_queue.barrierSync([&] {
        return !m_lastDateAppEnteredBackground.isValid() ||
               m_lastDateAppEnteredBackground.addSecs(foregroundSessionTimeoutSecs) < now;
    });
    if (expired)
        shared()->configuration()->setSessionID(QUuid::createUuid());
}

void InsightsManager::startNewSession()
{
    if (m_sessionManager)
        onMainThread([this] { m_sessionManager->startNewSession(); });
}

bool InsightsManager::claimImmediateSync()
{
    const QDateTime now = m_environment.clock->now();
    const double interval = m_configuration->transmitInterval();
    return m_queue.barrierSync([&] {
        const bool due = !m_lastTimeImmediateSyncRequested.isValid() ||
                         interval < double(m_lastTimeImmediateSyncRequested.msecsTo(now)) / 1000.0;
        if (due)
            m_lastTimeImmediateSyncRequested = now;
        return due;
    });
}

void InsightsManager::scheduleImmediateSync()
{
    if (!m_signalManager)
        return;
    onMainThread([this] {
        m_immediateSync = m_environment.scheduler->schedule(
            immediateSyncDelay, [this] { m_signalManager->sendNextBatch(); });
    });
}

void InsightsManager::applicationWillTerminate()
{
    m_signalManager->appWillTerminate();
    m_sessionManager->waitForPersistence();
    TrialConversionTracker::waitForSharedPersistence();
    if (m_suite)
        m_suite->synchronize();
}

void InsightsManager::applicationDidResignActive()
{
    m_sessionManager->handleDidEnterBackgroundNotification();
}

void InsightsManager::applicationWillBecomeActive()
{
    m_sessionManager->handleWillEnterForegroundNotification();
}

void InsightsManager::onMainThread(std::function<void()> work)
{
    if (isMainThread()) {
        work();
        return;
    }
    m_environment.mainQueue->async([alive = std::weak_ptr<bool>(m_alive), work = std::move(work)] {
        if (!alive.expired())
            work();
    });
}
