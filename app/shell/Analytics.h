#pragma once

#include <QString>

class ReportingServices;

// Ties the user's error-report setting to the crash reporter and the analytics client. While
// the setting is off nothing leaves the program but the one signal announcing the switch-off.
// Main thread only.
class Analytics
{
public:
    // An empty DSN or application identifier leaves that service off for good.
    Analytics(ReportingServices& services, const QString& crashReportDsn,
              const QString& analyticsAppID);

    bool reportingEnabled() const { return m_reportingEnabled; }
    bool crashReportingStarted() const { return m_crashReportingStarted; }
    bool analyticsStarted() const { return m_analyticsStarted; }

    // Once, at start-up, with the setting's value.
    void start(bool enabled);
    // Every later change of the setting.
    void setEnabled(bool enabled);
    // Sends a usage signal when reporting is on and the client is configured.
    void signal(const QString& name);
    // At termination: ends the crash session if one runs.
    void applicationWillTerminate();

private:
    void startCrashReporting();
    void startAnalytics();

    ReportingServices& m_services;
    const QString m_crashReportDsn;
    const QString m_analyticsAppID;
    bool m_reportingEnabled = true;
    bool m_crashReportingStarted = false;
    bool m_analyticsStarted = false;
};
