#pragma once

#include "analytics/DisplayInfo.h"
#include "app/shell/ReportingServices.h"
#include "platform/ReportingFlag.h"

#include <QObject>
#include <QUrl>

#include <memory>

class Appearance;
class CrashReporter;
class InsightsManagerConfiguration;

// The real crash reporter and analytics client behind the reporting gate.
class SystemReportingServices : public QObject, public ReportingServices
{
    Q_OBJECT

public:
    // The appearance and the primary screen are what usage signals report of the display.
    SystemReportingServices(CrashReporter& crashReporter, const Appearance& appearance,
                            const QString& crashReportDsn, const QString& analyticsAppID,
                            const QUrl& analyticsBaseURL, QObject* parent = nullptr);
    ~SystemReportingServices() override;

    bool startCrashReporting() override;
    void startCrashSession() override;
    void endCrashSession() override;
    void closeCrashReporting() override;
    void configureAnalytics() override;
    void setAnalyticsAllowed(bool allowed) override;
    void sendSignal(const QString& name) override;
    void applicationWillTerminate() override;

private:
    void applicationStateChanged(Qt::ApplicationState state);
    DisplayInfo displayInfo() const;

    CrashReporter& m_crashReporter;
    const Appearance& m_appearance;
    const QString m_crashReportDsn;
    const QString m_analyticsAppID;
    const QUrl m_analyticsBaseURL;
    // Read by the crash reporter before it sends anything.
    std::shared_ptr<ReportingFlag> m_flag = std::make_shared<ReportingFlag>(true);
    std::shared_ptr<InsightsManagerConfiguration> m_configuration;
};
