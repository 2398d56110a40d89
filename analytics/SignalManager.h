#pragma once

#include "analytics/InsightsEnvironment.h"
#include "analytics/SignalCache.h"
#include "analytics/SignalParameters.h"
#include "platform/DispatchQueue.h"
#include "platform/Scheduler.h"

#include <QHash>
#include <QMutex>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class InsightsManagerConfiguration;
class QueueRelay;
class SessionManager;
class UserDefaults;

// One signal on its way from the entry point to the queue.
struct SignalRequest
{
    QString type;
    std::optional<QString> customUserID;
    std::optional<double> floatValue;
    SignalParameters parameters;
    std::shared_ptr<InsightsManagerConfiguration> configuration;
};

// Turns signals into records, queues them, and sends the queue in batches of at most 100 as
// a JSON POST, with exponential back-off after failures. Records and answers are handled on
// the sender's own thread, requests on the thread of the configuration's URL session; the
// send timer is armed on the main thread, and only while records wait, so an idle client
// never wakes. Must be destroyed on the main thread.
class SignalManager
{
public:
    struct Classification
    {
        enum class Kind { accepted, rejected, retry };
        Kind kind;
        QString reason; // for rejected responses
    };

    // Loads the previous run's cache file and sends one batch of it at once.
    SignalManager(std::shared_ptr<InsightsManagerConfiguration> configuration, UserDefaults* suite,
                  const SessionManager& sessions, const InsightsEnvironment& environment);
    ~SignalManager();
    SignalManager(const SignalManager&) = delete;
    SignalManager& operator=(const SignalManager&) = delete;

    // Any thread. The user identifier and default payload are taken on the main thread, the
    // record is built and queued on the sender's thread.
    void processSignal(SignalRequest request);
    // Any thread: one send step on the sender's thread.
    void sendNextBatch();
    // Main thread: the signals handed over, the queue and the batches in flight are written
    // to the cache file, and nothing more is sent.
    void appWillTerminate();

    // The configured default user, else the one generated and stored in `suite`, else a new
    // one, stored when there is a suite.
    static QString resolveDefaultUser(const InsightsManagerConfiguration& configuration,
                                      UserDefaults* suite);

    static std::optional<QUrl> signalEndpointURL(const QUrl& baseURL,
                                                 const std::optional<QString>& insightsNamespace);
    // The status code of the response; absent when the response was not an HTTP one.
    static Classification classifyResponse(std::optional<int> statusCode);
    static std::chrono::milliseconds sendDelay(double transmitInterval, double maxBackoffInterval,
                                               int consecutiveFailures);

private:
    struct PreparedSignal
    {
        SignalRequest request;
        QString defaultUser;
        SignalParameters defaultPayload;
    };
    // What a finished request answered, taken on the URL session's thread.
    struct SendResult
    {
        std::optional<int> statusCode; // absent without an HTTP answer
        bool failed = false;
        QString errorString;
        QByteArray body;
    };

    void processPendingSignals();
    void recordSignals(const QList<PreparedSignal>& signals);
    void sendBatchNow();
    void postBatch(const QList<SignalPostBody>& batch, const QByteArray& body);
    void handleSendResult(quint64 transfer, const SendResult& result);
    // Waits a short while for the batches in flight to be answered.
    void awaitInFlightReplies();
    void didSucceedSending();
    void didFailSending(const QList<SignalPostBody>& batch);
    void afterSendAttempt(bool failed);
    // Arms the timer for the records waiting, unless it is armed or a send is under way.
    void armSendTimerIfIdle();
    void scheduleSendTimer();
    void onMainThread(std::function<void()> work);
    // Runs the work on the main thread's next turn, unless this sender is gone by then.
    void postToMainQueue(std::function<void()> work);

    const std::shared_ptr<InsightsManagerConfiguration> m_configuration;
    UserDefaults* const m_suite;
    const SessionManager& m_sessions;
    const InsightsEnvironment m_environment;
    SignalCache m_signalCache;

    QMutex m_pendingMutex;
    QList<SignalRequest> m_pending;

    // Main thread only.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    Scheduler::Task m_sendTimerSource;
    // From the timer's send step until its result.
    bool m_sendInProgress = false;
    int m_consecutiveFailures = 0;
    int m_sendCompletions = 0;
    SignalParameters m_lastDefaultPayload;

    // The sender's thread only: the batches whose requests are under way, by transfer.
    QHash<quint64, QList<SignalPostBody>> m_inFlight;
    quint64 m_lastTransfer = 0;
    bool m_terminated = false;
    DispatchQueue m_queue{QStringLiteral("analytics.client.SignalSender")};
    // Carries the answers from the URL session's thread to the queue while the sender exists.
    const std::shared_ptr<QueueRelay> m_answers;
};
