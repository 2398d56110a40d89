#include "SignalManager.h"

#include "analytics/DefaultSignalPayload.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "analytics/Sha256.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/UserDefaults.h"
#include "platform/WorkRunner.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>

#include <cmath>
#include <mutex>

namespace {

constexpr int requestTimeoutMsecs = 60'000;
// How long the termination notice waits for answers already on their way.
constexpr int terminationGraceMsecs = 1000;
constexpr unsigned long terminationPollMsecs = 5;
constexpr double msecsPerSecond = 1000.0;
const QString defaultUserIdentifierKey = QStringLiteral("defaultUserIdentifier");

struct Rejection
{
    int status;
    const char* reason;
};

constexpr Rejection rejections[] = {
    {400, "Bad Request (400)"},       {401, "Unauthorized (401)"},
    {403, "Forbidden (403)"},         {404, "Not Found (404)"},
    {413, "Payload Too Large (413)"}, {422, "Unprocessable Entity (422)"},
    {501, "Not Implemented (501)"},   {505, "HTTP Version Not Supported (505)"},
};

constexpr int firstSuccessStatus = 200;
constexpr int lastSuccessStatus = 299;

bool logsDebug(const InsightsManagerConfiguration& configuration)
{
    const auto handler = configuration.logHandler();
    return handler && handler->logLevel == LogLevel::debug;
}

} // namespace

// Hands work from other threads to a queue until it is closed, which its owner does on its
// way out: after that the work is dropped.
class QueueRelay
{
public:
    explicit QueueRelay(DispatchQueue& queue)
        : m_queue(&queue)
    {}

    void async(std::function<void()> work)
    {
        const std::lock_guard lock(m_mutex);
        if (m_queue)
            m_queue->async(std::move(work));
    }

    void close()
    {
        const std::lock_guard lock(m_mutex);
        m_queue = nullptr;
    }

private:
    std::mutex m_mutex;
    DispatchQueue* m_queue;
};

SignalManager::SignalManager(std::shared_ptr<InsightsManagerConfiguration> configuration,
                             UserDefaults* suite, const SessionManager& sessions,
                             const InsightsEnvironment& environment)
    : m_configuration(std::move(configuration))
    , m_suite(suite)
    , m_sessions(sessions)
    , m_environment(environment)
    , m_signalCache(m_configuration->swiftUIPreviewMode() ? std::nullopt
                                                          : m_configuration->logHandler(),
                    m_configuration->cacheLimit())
    , m_answers(std::make_shared<QueueRelay>(m_queue))
{
    sendNextBatch();
}

SignalManager::~SignalManager()
{
    // Whatever is still in flight is lost with the sender.
    m_answers->close();
    m_sendTimerSource.cancel();
}

void SignalManager::processSignal(SignalRequest request)
{
    bool first = false;
    {
        const QMutexLocker lock(&m_pendingMutex);
        first = m_pending.isEmpty();
        m_pending.append(std::move(request));
    }
    // One hand-over carries every signal that arrives before the main thread takes them. It
    // is queued even on the main thread, so the caller never waits for the work.
    if (first)
        postToMainQueue([this] { processPendingSignals(); });
}

void SignalManager::processPendingSignals()
{
    QList<SignalRequest> requests;
    {
        const QMutexLocker lock(&m_pendingMutex);
        requests.swap(m_pending);
    }
    if (requests.isEmpty())
        return;
    QList<PreparedSignal> prepared;
    prepared.reserve(requests.size());
    for (SignalRequest& request : requests) {
        // Every signal reads the user and the device facts afresh, also one handed over with
        // others.
        const QString defaultUser = resolveDefaultUser(*m_configuration, m_suite);
        const DisplayInfo display =
            m_environment.displayInfo ? m_environment.displayInfo() : DisplayInfo();
        SignalParameters defaultPayload =
            DefaultSignalPayload::parameters(m_sessions, m_environment.clock->now(), display);
        // The payload rarely changes from one signal to the next: equal ones share their
        // texts, which keeps a full queue small.
        if (defaultPayload == m_lastDefaultPayload)
            defaultPayload = m_lastDefaultPayload;
        else
            m_lastDefaultPayload = defaultPayload;
        prepared.append({std::move(request), defaultUser, defaultPayload});
    }
    m_queue.async([this, prepared = std::move(prepared)] { recordSignals(prepared); });
}

QString SignalManager::resolveDefaultUser(const InsightsManagerConfiguration& configuration,
                                          UserDefaults* suite)
{
    if (const auto user = configuration.defaultUser())
        return *user;
    // Two callers at once must not each make and store an identifier of their own.
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    if (suite) {
        const QString stored = suite->string(defaultUserIdentifierKey);
        if (!stored.isEmpty())
            return stored;
    }
    const QString generated = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (suite)
        suite->set(defaultUserIdentifierKey, generated);
    return generated;
}

void SignalManager::recordSignals(const QList<PreparedSignal>& signals)
{
    QList<SignalPostBody> records;
    records.reserve(signals.size());
    for (const PreparedSignal& signal : signals) {
        const SignalRequest& request = signal.request;
        const InsightsManagerConfiguration& configuration = *request.configuration;

        SignalParameters enriched;
        for (const auto& enricher : configuration.metadataEnrichers())
            enriched.insert(
                enricher->enrich(request.type, request.customUserID, request.floatValue));
        // Left untouched, the payload stays shared with the other signals of its hand-over.
        SignalParameters payload = signal.defaultPayload;
        if (!enriched.isEmpty())
            payload.insert(enriched);
        if (!request.parameters.isEmpty())
            payload.insert(request.parameters);

        SignalPostBody body;
        body.receivedAt = m_environment.clock->now();
        body.appID = configuration.insightsAppID();
        body.clientUser =
            sha256Hex(request.customUserID.value_or(signal.defaultUser), configuration.salt());
        body.sessionID = configuration.sessionID().toString(QUuid::WithoutBraces).toUpper();
        body.type = request.type;
        body.floatValue = request.floatValue;
        body.payload = std::move(payload);
        body.isTestMode =
            configuration.testMode() ? QStringLiteral("true") : QStringLiteral("false");
        if (logsDebug(configuration))
            configuration.log(LogLevel::debug,
                              QStringLiteral("Process signal: ") + body.description());
        records.append(std::move(body));
    }
    m_signalCache.push(records);
    onMainThread([this] { armSendTimerIfIdle(); });
}

void SignalManager::sendNextBatch()
{
    m_queue.async([this] { sendBatchNow(); });
}

void SignalManager::sendBatchNow()
{
    if (m_terminated)
        return;
    if (logsDebug(*m_configuration))
        m_configuration->log(
            LogLevel::debug,
            QStringLiteral("Current signal cache count: %1").arg(m_signalCache.count()));
    const QList<SignalPostBody> batch = m_signalCache.pop();
    if (batch.isEmpty()) {
        didSucceedSending();
        return;
    }
    m_configuration->log(LogLevel::info,
                         QStringLiteral("Sending %1 signals leaving a cache of %2 signals")
                             .arg(batch.size())
                             .arg(m_signalCache.count()));
    postBatch(batch, SignalPostBody::encodeWireBatch(batch));
}

void SignalManager::postBatch(const QList<SignalPostBody>& batch, const QByteArray& body)
{
    const auto insightsNamespace = m_configuration->insightsNamespace();
    const auto url = signalEndpointURL(m_configuration->apiBaseURL(), insightsNamespace);
    if (!url) {
        m_configuration->log(LogLevel::error,
                             QStringLiteral("Unable to construct signal API URL for namespace ") +
                                 insightsNamespace.value_or(QStringLiteral("nil")));
        m_configuration->log(LogLevel::error, QStringLiteral("Invalid endpoint URL"));
        didFailSending(batch);
        return;
    }
    QNetworkRequest request(*url);
    request.setTransferTimeout(requestTimeoutMsecs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    if (logsDebug(*m_configuration))
        m_configuration->log(LogLevel::debug, QString::fromUtf8(body));

    const quint64 transfer = ++m_lastTransfer;
    m_inFlight.insert(transfer, batch);
    // A URL session is used on its own thread only; its answer comes back to this queue.
    QNetworkAccessManager* session = m_configuration->urlSession();
    auto* runner = new WorkRunner;
    runner->moveToThread(session->thread());
    runner->add([this, session, request, body, transfer, answers = m_answers] {
        QNetworkReply* reply = session->post(request, body);
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, transfer, answers] {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            const SendResult result{status.isValid() ? std::optional(status.toInt()) : std::nullopt,
                                    reply->error() != QNetworkReply::NoError, reply->errorString(),
                                    reply->readAll()};
            reply->deleteLater();
            answers->async([this, transfer, result] { handleSendResult(transfer, result); });
        });
    });
    runner->deleteLater();
}

void SignalManager::handleSendResult(quint64 transfer, const SendResult& result)
{
    // Gone when termination already saved the batch.
    const auto found = m_inFlight.constFind(transfer);
    if (found == m_inFlight.constEnd())
        return;
    const QList<SignalPostBody> batch = *found;
    m_inFlight.erase(found);
    if (!result.statusCode) {
        if (result.failed)
            m_configuration->log(LogLevel::error, result.errorString);
        else
            m_configuration->log(LogLevel::debug,
                                 QStringLiteral("Failed to send events (status 0), will try "
                                                "again later"));
        didFailSending(batch);
        return;
    }
    const Classification classification = classifyResponse(*result.statusCode);
    switch (classification.kind) {
    case Classification::Kind::accepted:
        if (logsDebug(*m_configuration))
            m_configuration->log(LogLevel::debug, QString::fromUtf8(result.body));
        didSucceedSending();
        return;
    case Classification::Kind::rejected:
        m_configuration->log(LogLevel::error,
                             QStringLiteral("Dropping %1 signal(s): rejected by server %2")
                                 .arg(batch.size())
                                 .arg(classification.reason));
        didSucceedSending();
        return;
    case Classification::Kind::retry:
        m_configuration->log(LogLevel::debug,
                             QStringLiteral("Failed to send events (status %1), will try again "
                                            "later")
                                 .arg(*result.statusCode));
        didFailSending(batch);
        return;
    }
}

void SignalManager::didSucceedSending()
{
    afterSendAttempt(false);
}

void SignalManager::didFailSending(const QList<SignalPostBody>& batch)
{
    m_signalCache.push(batch);
    afterSendAttempt(true);
}

void SignalManager::afterSendAttempt(bool failed)
{
    // An empty queue lets the timer rest until the next record arrives.
    const bool recordsLeft = m_signalCache.count() > 0;
    onMainThread([this, failed, recordsLeft] {
        m_sendInProgress = false;
        m_consecutiveFailures = failed ? m_consecutiveFailures + 1 : 0;
        ++m_sendCompletions;
        if (recordsLeft)
            scheduleSendTimer();
    });
}

void SignalManager::armSendTimerIfIdle()
{
    if (!m_sendInProgress && !m_sendTimerSource.isPending() && m_signalCache.count() > 0)
        scheduleSendTimer();
}

void SignalManager::scheduleSendTimer()
{
    const auto delay = sendDelay(m_configuration->transmitInterval(),
                                 m_configuration->maxBackoffInterval(), m_consecutiveFailures);
    m_sendTimerSource = m_environment.scheduler->schedule(delay, [this] {
        m_sendInProgress = true;
        sendNextBatch();
    });
}

void SignalManager::appWillTerminate()
{
    m_configuration->log(LogLevel::debug, QStringLiteral("appWillTerminate()"));
    processPendingSignals();
    m_queue.sync([this] { m_terminated = true; });
    awaitInFlightReplies();
    m_queue.sync([this] {
        // A batch in flight may never be answered now: it goes to the file with the queue,
        // and a late answer is ignored.
        for (const QList<SignalPostBody>& batch : std::as_const(m_inFlight))
            m_signalCache.push(batch);
        m_inFlight.clear();
    });
    m_signalCache.backupToDisk(*m_environment.writeQueue);
}

void SignalManager::awaitInFlightReplies()
{
    // A batch the server has taken but whose answer is still on its way would otherwise be
    // saved and sent a second time after the next start. The sender's thread goes on with
    // its own events meanwhile; no new batch starts once terminated.
    const QDeadlineTimer grace(terminationGraceMsecs);
    for (;;) {
        bool inFlight = false;
        m_queue.sync([&] { inFlight = !m_inFlight.isEmpty(); });
        if (!inFlight || grace.hasExpired())
            break;
        QThread::msleep(terminationPollMsecs);
    }
}

std::optional<QUrl>
SignalManager::signalEndpointURL(const QUrl& baseURL,
                                 const std::optional<QString>& insightsNamespace)
{
    QString text = baseURL.toString(QUrl::FullyEncoded);
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    if (insightsNamespace && !insightsNamespace->isEmpty())
        text += QStringLiteral("v2/namespace/") +
                QString::fromLatin1(QUrl::toPercentEncoding(*insightsNamespace)) + QLatin1Char('/');
    else
        text += QStringLiteral("v2/");
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return std::nullopt;
    return url;
}

SignalManager::Classification SignalManager::classifyResponse(std::optional<int> statusCode)
{
    if (!statusCode)
        return {Classification::Kind::retry, {}};
    if (*statusCode >= firstSuccessStatus && *statusCode <= lastSuccessStatus)
        return {Classification::Kind::accepted, {}};
    for (const Rejection& rejection : rejections) {
        if (rejection.status == *statusCode)
            return {Classification::Kind::rejected, QString::fromLatin1(rejection.reason)};
    }
    return {Classification::Kind::retry, {}};
}

std::chrono::milliseconds SignalManager::sendDelay(double transmitInterval,
                                                   double maxBackoffInterval,
                                                   int consecutiveFailures)
{
    const double doubled = transmitInterval * std::pow(2.0, consecutiveFailures);
    const double seconds = doubled <= maxBackoffInterval ? doubled : maxBackoffInterval;
    if (!(seconds > 0.0))
        return std::chrono::milliseconds{0};
    return std::chrono::milliseconds{std::llround(std::min(seconds, 1e12) * msecsPerSecond)};
}

void SignalManager::onMainThread(std::function<void()> work)
{
    if (isMainThread())
        work();
    else
        postToMainQueue(std::move(work));
}

void SignalManager::postToMainQueue(std::function<void()> work)
{
    m_environment.mainQueue->async([alive = std::weak_ptr<bool>(m_alive), work = std::move(work)] {
        if (!alive.expired())
            work();
    });
}
