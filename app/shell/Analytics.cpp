#include "Analytics.h"

#include "app/shell/ReportingServices.h"
#include "platform/MainThread.h"

Analytics::Analytics(ReportingServices& services, const QString& crashReportDsn,
                     const QString& analyticsAppID)
    : m_services(services)
    , m_crashReportDsn(crashReportDsn)
    , m_analyticsAppID(analyticsAppID)
{}

void Analytics::start(bool enabled)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_reportingEnabled = enabled;
    if (!enabled)
        return;
    startCrashReporting();
    startAnalytics();
    signal(QStringLiteral("app_launched"));
}

void Analytics::setEnabled(bool enabled)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const bool wasEnabled = m_reportingEnabled;
    m_reportingEnabled = enabled;
    if (enabled == wasEnabled)
        return;
    if (enabled) {
        startCrashReporting();
        startAnalytics();
        if (m_analyticsStarted)
            m_services.setAnalyticsAllowed(true);
        return;
    }
    if (m_analyticsStarted) {
        // The one signal sent with reporting off; after it, the client stays silent.
        m_services.sendSignal(QStringLiteral("analytics_disabled"));
        m_services.setAnalyticsAllowed(false);
    }
    if (m_crashReportingStarted) {
        m_services.endCrashSession();
        m_services.closeCrashReporting();
        m_crashReportingStarted = false;
    }
}

void Analytics::signal(const QString& name)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_reportingEnabled && m_analyticsStarted)
        m_services.sendSignal(name);
}

void Analytics::applicationWillTerminate()
{
    if (m_reportingEnabled && m_crashReportingStarted)
        m_services.endCrashSession();
}

void Analytics::startCrashReporting()
{
    if (m_crashReportDsn.isEmpty() || m_crashReportingStarted)
        return;
    if (!m_services.startCrashReporting())
        return;
    m_services.startCrashSession();
    m_crashReportingStarted = true;
}

void Analytics::startAnalytics()
{
    if (m_analyticsAppID.isEmpty() || m_analyticsStarted)
        return;
    m_services.configureAnalytics();
    m_analyticsStarted = true;
}
