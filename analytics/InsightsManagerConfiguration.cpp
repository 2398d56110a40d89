#include "InsightsManagerConfiguration.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/SharedURLSession.h"

InsightsManagerConfiguration::InsightsManagerConfiguration(
    const QString& appID, const std::optional<QString>& salt, const std::optional<QUrl>& baseURL,
    const std::optional<QString>& insightsNamespace)
    : m_insightsAppID(appID)
    , m_apiBaseURL(baseURL.value_or(QUrl(QStringLiteral(QUILLORY_ANALYTICS_BASE_URL))))
    , m_namespace(insightsNamespace)
    , m_salt(salt.value_or(QString()))
{}

std::optional<QString> InsightsManagerConfiguration::defaultUser() const
{
    return get(m_defaultUser);
}

void InsightsManagerConfiguration::setDefaultUser(const std::optional<QString>& user)
{
    set(m_defaultUser, user);
}

std::optional<QString> InsightsManagerConfiguration::defaultSignalPrefix() const
{
    return get(m_defaultSignalPrefix);
}

void InsightsManagerConfiguration::setDefaultSignalPrefix(const std::optional<QString>& prefix)
{
    set(m_defaultSignalPrefix, prefix);
}

std::optional<QString> InsightsManagerConfiguration::defaultParameterPrefix() const
{
    return get(m_defaultParameterPrefix);
}

void InsightsManagerConfiguration::setDefaultParameterPrefix(const std::optional<QString>& prefix)
{
    set(m_defaultParameterPrefix, prefix);
}

InsightsManagerConfiguration::DefaultParameters
InsightsManagerConfiguration::defaultParameters() const
{
    return get(m_defaultParameters);
}

void InsightsManagerConfiguration::setDefaultParameters(DefaultParameters parameters)
{
    set(m_defaultParameters, parameters);
}

bool InsightsManagerConfiguration::sendNewSessionBeganSignal() const
{
    return get(m_sendNewSessionBeganSignal);
}

void InsightsManagerConfiguration::setSendNewSessionBeganSignal(bool send)
{
    set(m_sendNewSessionBeganSignal, send);
}

QUuid InsightsManagerConfiguration::sessionID() const
{
    return get(m_sessionID);
}

void InsightsManagerConfiguration::setSessionID(const QUuid& sessionID)
{
    set(m_sessionID, sessionID);
    if (sessionStatsEnabled()) {
        if (const auto manager = InsightsManager::installed())
            manager->startNewSession();
    }
    if (sendNewSessionBeganSignal())
        Insights::internalSignal(QStringLiteral("Insights.Session.started"));
}

QNetworkAccessManager* InsightsManagerConfiguration::urlSession() const
{
    QNetworkAccessManager* session = get(m_urlSession);
    return session ? session : sharedURLSession();
}

void InsightsManagerConfiguration::setUrlSession(QNetworkAccessManager* session)
{
    set(m_urlSession, session);
}

qint64 InsightsManagerConfiguration::cacheLimit() const
{
    return get(m_cacheLimit);
}

void InsightsManagerConfiguration::setCacheLimit(qint64 limit)
{
    set(m_cacheLimit, limit);
}

double InsightsManagerConfiguration::transmitInterval() const
{
    return get(m_transmitInterval);
}

void InsightsManagerConfiguration::setTransmitInterval(double seconds)
{
    set(m_transmitInterval, seconds);
}

double InsightsManagerConfiguration::maxBackoffInterval() const
{
    return get(m_maxBackoffInterval);
}

void InsightsManagerConfiguration::setMaxBackoffInterval(double seconds)
{
    set(m_maxBackoffInterval, seconds);
}

bool InsightsManagerConfiguration::sendSignalsInDebugConfiguration() const
{
    return get(m_sendSignalsInDebugConfiguration);
}

void InsightsManagerConfiguration::setSendSignalsInDebugConfiguration(bool send)
{
    set(m_sendSignalsInDebugConfiguration, send);
}

bool InsightsManagerConfiguration::testMode() const
{
    return get(m_testMode);
}

void InsightsManagerConfiguration::setTestMode(bool testMode)
{
    set(m_testMode, testMode);
}

bool InsightsManagerConfiguration::swiftUIPreviewMode() const
{
    if (const std::optional<bool> set = get(m_swiftUIPreviewMode))
        return *set;
    return qgetenv("XCODE_RUNNING_FOR_PREVIEWS") == "1";
}

void InsightsManagerConfiguration::setSwiftUIPreviewMode(bool previewMode)
{
    set(m_swiftUIPreviewMode, std::optional(previewMode));
}

bool InsightsManagerConfiguration::analyticsDisabled() const
{
    return get(m_analyticsDisabled);
}

void InsightsManagerConfiguration::setAnalyticsDisabled(bool disabled)
{
    set(m_analyticsDisabled, disabled);
}

bool InsightsManagerConfiguration::reservedParameterWarningsEnabled() const
{
    return get(m_reservedParameterWarningsEnabled);
}

void InsightsManagerConfiguration::setReservedParameterWarningsEnabled(bool enabled)
{
    set(m_reservedParameterWarningsEnabled, enabled);
}

bool InsightsManagerConfiguration::sessionStatsEnabled() const
{
    return get(m_sessionStatsEnabled);
}

void InsightsManagerConfiguration::setSessionStatsEnabled(bool enabled)
{
    set(m_sessionStatsEnabled, enabled);
}

bool InsightsManagerConfiguration::showDebugLogs() const
{
    return get(m_showDebugLogs);
}

void InsightsManagerConfiguration::setShowDebugLogs(bool show)
{
    set(m_showDebugLogs, show);
}

std::optional<LogHandler> InsightsManagerConfiguration::logHandler() const
{
    return get(m_logHandler);
}

void InsightsManagerConfiguration::setLogHandler(const std::optional<LogHandler>& handler)
{
    set(m_logHandler, handler);
}

InsightsManagerConfiguration::Enrichers InsightsManagerConfiguration::metadataEnrichers() const
{
    return get(m_metadataEnrichers);
}

void InsightsManagerConfiguration::setMetadataEnrichers(const Enrichers& enrichers)
{
    set(m_metadataEnrichers, enrichers);
}

void InsightsManagerConfiguration::log(LogLevel level, const QString& message) const
{
    if (const auto handler = logHandler())
        handler->log(level, message);
}
