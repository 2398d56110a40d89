#pragma once

#include "analytics/InsightsEnvironment.h"
#include "analytics/SignalParameters.h"
#include "platform/ConcurrentQueue.h"
#include "platform/Scheduler.h"

#include <QDateTime>

#include <memory>
#include <optional>

class InsightsManagerConfiguration;
class SessionManager;
class SignalManager;
struct SignalRequest;
class UserDefaults;

// The installed analytics client: it owns the signal sender and the session keeper, both
// reading the one shared configuration.
class InsightsManager
{
public:
    InsightsManager(std::shared_ptr<InsightsManagerConfiguration> configuration,
                    const InsightsEnvironment& environment);
    ~InsightsManager();
    InsightsManager(const InsightsManager&) = delete;
    InsightsManager& operator=(const InsightsManager&) = delete;

    // Never null. The installed manager; else, in a design-time preview
    // (XCODE_RUNNING_FOR_PREVIEWS=1), one made with the empty identifier and installed; else
    // a new uninstalled one with the empty identifier, which starts nothing: no cache file
    // read (it would take the next run's queue), no timer, no session, no suite, and the
    // signals handed to it end there.
    static std::shared_ptr<InsightsManager> shared();
    // The installed manager, or null. Never makes one.
    static std::shared_ptr<InsightsManager> installed();
    static bool isInitialized();
    static void initialize(std::shared_ptr<InsightsManagerConfiguration> configuration,
                           const InsightsEnvironment& environment = InsightsEnvironment::system());
    static void terminate();
    static void send(const QString& signalName, const SignalParameters& parameters = {});
    static void send(const QString& signalName, const std::optional<QString>& customUserID,
                     std::optional<double> floatValue, const SignalParameters& parameters);
    static void requestImmediateSync();
    static void updateDefaultUser(const std::optional<QString>& userID);
    static void generateNewSession();

    // "analytics.client." and the last 12 hexadecimal digits of the identifier's SHA-256.
    static QString suiteName(const QString& appID);

    std::shared_ptr<InsightsManagerConfiguration> configuration() const;
    QString hashedDefaultUser();
    void didEnterBackground();
    void willEnterForeground();

    const InsightsEnvironment& environment() const { return m_environment; }
    UserDefaults* analyticsDefaults() const { return m_suite; }
    // The session keeper; null in a manager that starts nothing.
    SessionManager* sessionManager() { return m_sessionManager.get(); }

    // Hands the signal to the sender, if this manager started one.
    void processSignal(SignalRequest request);

    // Starts the session statistics on the main thread, whichever thread asks.
    void startNewSession();
    // Claims an immediate sync when the last one was more than a transmit interval ago;
    // checking and claiming are one step.
    bool claimImmediateSync();
    // Sends one batch 50 ms from now.
    void scheduleImmediateSync();

    void applicationWillTerminate();
    void applicationDidResignActive();
    void applicationWillBecomeActive();

private:
    // The uninstalled manager of shared(), which starts nothing.
    explicit InsightsManager(std::shared_ptr<InsightsManagerConfiguration> configuration);

    void onMainThread(std::function<void()> work);

    const std::shared_ptr<InsightsManagerConfiguration> m_configuration;
    const InsightsEnvironment m_environment;
    UserDefaults* const m_suite;
    ConcurrentQueue m_queue{QStringLiteral("analytics.client.InsightsManager")};
    QDateTime m_lastTimeImmediateSyncRequested;
    QDateTime m_lastDateAppEnteredBackground;
    std::unique_ptr<SessionManager> m_sessionManager;
    std::unique_ptr<SignalManager> m_signalManager;
    // Main-thread state; main-queue work checks `m_alive` before it touches this object.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    Scheduler::Task m_firstSession;
    Scheduler::Task m_immediateSync;
};
