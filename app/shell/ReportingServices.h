#pragma once

#include <QString>

// The two outside services that the user's error-report setting controls: the crash reporter
// and the usage-analytics client.
class ReportingServices
{
public:
    virtual ~ReportingServices() = default;

    // Starts the crash reporter; false when it could not start.
    virtual bool startCrashReporting() = 0;
    virtual void startCrashSession() = 0;
    virtual void endCrashSession() = 0;
    virtual void closeCrashReporting() = 0;

    virtual void configureAnalytics() = 0;
    // Lets the analytics client's own automatic signals leave, or holds them back.
    virtual void setAnalyticsAllowed(bool allowed) = 0;
    virtual void sendSignal(const QString& name) = 0;
    // The analytics client's own notice of the program's end: what it has not sent yet goes to
    // its file, through the program's write queue.
    virtual void applicationWillTerminate() = 0;
};
