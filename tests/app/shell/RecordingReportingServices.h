#pragma once

#include "app/shell/ReportingServices.h"

#include <QStringList>

#include <functional>

// Records every call, in order, as a line of text.
class RecordingReportingServices : public ReportingServices
{
public:
    bool startCrashReporting() override
    {
        calls.append(QStringLiteral("startCrashReporting"));
        return crashReporterStarts;
    }
    void startCrashSession() override { calls.append(QStringLiteral("startCrashSession")); }
    void endCrashSession() override { calls.append(QStringLiteral("endCrashSession")); }
    void closeCrashReporting() override { calls.append(QStringLiteral("closeCrashReporting")); }
    void configureAnalytics() override { calls.append(QStringLiteral("configureAnalytics")); }
    void setAnalyticsAllowed(bool allowed) override
    {
        calls.append(QStringLiteral("setAnalyticsAllowed %1").arg(allowed));
    }
    void sendSignal(const QString& name) override
    {
        calls.append(QStringLiteral("signal ") + name);
    }
    void applicationWillTerminate() override
    {
        calls.append(QStringLiteral("applicationWillTerminate"));
        if (onTerminate)
            onTerminate();
    }

    QStringList signals() const { return calls.filter(QStringLiteral("signal ")); }

    QStringList calls;
    bool crashReporterStarts = true;
    // What the analytics client does at its termination notice.
    std::function<void()> onTerminate;
};
