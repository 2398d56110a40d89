#pragma once

#include "analytics/LogHandler.h"
#include "analytics/SignalEnricher.h"
#include "analytics/SignalParameters.h"

#include <QMutex>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

class QNetworkAccessManager;

// The one settings object of the analytics client, shared by reference: the application
// creates it, may change it, and hands it to Insights::initialize(); every part of the client
// reads it afresh. Every member is safe to call from any thread.
class InsightsManagerConfiguration
{
public:
    using DefaultParameters = std::function<SignalParameters()>;
    using Enrichers = std::vector<std::shared_ptr<const SignalEnricher>>;

    static constexpr qint64 defaultCacheLimit = 10000;
    static constexpr double defaultTransmitInterval = 10.0;
    static constexpr double defaultMaxBackoffInterval = 300.0;

    // An absent salt is the empty salt; an absent base URL is the build's ingest URL.
    explicit InsightsManagerConfiguration(
        const QString& appID, const std::optional<QString>& salt = std::nullopt,
        const std::optional<QUrl>& baseURL = std::nullopt,
        const std::optional<QString>& insightsNamespace = std::nullopt);
    InsightsManagerConfiguration(const InsightsManagerConfiguration&) = delete;
    InsightsManagerConfiguration& operator=(const InsightsManagerConfiguration&) = delete;

    QString insightsAppID() const { return m_insightsAppID; }
    QUrl apiBaseURL() const { return m_apiBaseURL; }
    std::optional<QString> insightsNamespace() const { return m_namespace; }
    QString salt() const { return m_salt; }

    std::optional<QString> defaultUser() const;
    void setDefaultUser(const std::optional<QString>& user);
    std::optional<QString> defaultSignalPrefix() const;
    void setDefaultSignalPrefix(const std::optional<QString>& prefix);
    std::optional<QString> defaultParameterPrefix() const;
    void setDefaultParameterPrefix(const std::optional<QString>& prefix);
    DefaultParameters defaultParameters() const;
    void setDefaultParameters(DefaultParameters parameters);
    bool sendNewSessionBeganSignal() const;
    void setSendNewSessionBeganSignal(bool send);

    QUuid sessionID() const;
    // Stores the identifier, then starts the session statistics (when enabled; on the main
    // thread) and sends "Insights.Session.started" (when enabled). Every call does both, also
    // with the identifier already set.
    void setSessionID(const QUuid& sessionID);

    // What the sender posts its batches through, on the thread that object lives on: the
    // client's own shared one unless the host sets another (which it keeps alive while the
    // client runs); null sets the client's own again.
    QNetworkAccessManager* urlSession() const;
    void setUrlSession(QNetworkAccessManager* session);
    qint64 cacheLimit() const;
    void setCacheLimit(qint64 limit);
    double transmitInterval() const;
    void setTransmitInterval(double seconds);
    double maxBackoffInterval() const;
    void setMaxBackoffInterval(double seconds);
    bool sendSignalsInDebugConfiguration() const;
    void setSendSignalsInDebugConfiguration(bool send);
    bool testMode() const;
    void setTestMode(bool testMode);
    // Signals are dropped while the client runs inside a design-time preview: what was set, or
    // else whether the environment says so now (XCODE_RUNNING_FOR_PREVIEWS=1).
    bool swiftUIPreviewMode() const;
    void setSwiftUIPreviewMode(bool previewMode);
    bool analyticsDisabled() const;
    void setAnalyticsDisabled(bool disabled);
    bool reservedParameterWarningsEnabled() const;
    void setReservedParameterWarningsEnabled(bool enabled);
    bool sessionStatsEnabled() const;
    void setSessionStatsEnabled(bool enabled);
    bool showDebugLogs() const;
    void setShowDebugLogs(bool show);
    std::optional<LogHandler> logHandler() const;
    void setLogHandler(const std::optional<LogHandler>& handler);
    Enrichers metadataEnrichers() const;
    void setMetadataEnrichers(const Enrichers& enrichers);

    // Sends the message to the log handler, when there is one.
    void log(LogLevel level, const QString& message) const;

private:
    template <typename T> T get(const T& member) const
    {
        const QMutexLocker lock(&m_mutex);
        return member;
    }
    template <typename T> void set(T& member, const T& value)
    {
        const QMutexLocker lock(&m_mutex);
        member = value;
    }

    const QString m_insightsAppID;
    const QUrl m_apiBaseURL;
    const std::optional<QString> m_namespace;
    const QString m_salt;

    mutable QMutex m_mutex;
    std::optional<QString> m_defaultUser;
    std::optional<QString> m_defaultSignalPrefix;
    std::optional<QString> m_defaultParameterPrefix;
    DefaultParameters m_defaultParameters = [] { return SignalParameters(); };
    bool m_sendNewSessionBeganSignal = true;
    QUuid m_sessionID = QUuid::createUuid();
    QNetworkAccessManager* m_urlSession = nullptr;
    qint64 m_cacheLimit = defaultCacheLimit;
    double m_transmitInterval = defaultTransmitInterval;
    double m_maxBackoffInterval = defaultMaxBackoffInterval;
    bool m_sendSignalsInDebugConfiguration = false;
    bool m_testMode = false;
    std::optional<bool> m_swiftUIPreviewMode;
    bool m_analyticsDisabled = false;
    bool m_reservedParameterWarningsEnabled = true;
    bool m_sessionStatsEnabled = true;
    bool m_showDebugLogs = false;
    std::optional<LogHandler> m_logHandler = LogHandler::systemDefault(LogLevel::info);
    Enrichers m_metadataEnrichers;
};
