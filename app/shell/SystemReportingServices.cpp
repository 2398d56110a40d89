#include "SystemReportingServices.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "platform/Appearance.h"
#include "platform/CrashReporter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

SystemReportingServices::SystemReportingServices(CrashReporter& crashReporter,
                                                 const Appearance& appearance,
                                                 const QString& crashReportDsn,
                                                 const QString& analyticsAppID,
                                                 const QUrl& analyticsBaseURL, QObject* parent)
    : QObject(parent)
    , m_crashReporter(crashReporter)
    , m_appearance(appearance)
    , m_crashReportDsn(crashReportDsn)
    , m_analyticsAppID(analyticsAppID)
    , m_analyticsBaseURL(analyticsBaseURL)
{
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &SystemReportingServices::applicationStateChanged);
}

SystemReportingServices::~SystemReportingServices() = default;

bool SystemReportingServices::startCrashReporting()
{
    m_flag->setValue(true);
    CrashReporter::Options options;
    options.dsn = m_crashReportDsn;
    options.release = QCoreApplication::applicationVersion();
    options.beforeSend = [flag = m_flag](const CrashReport& report) -> std::optional<CrashReport> {
        if (!flag->value())
            return std::nullopt;
        return report;
    };
    return m_crashReporter.start(options);
}

void SystemReportingServices::startCrashSession()
{
    m_crashReporter.startSession();
}

void SystemReportingServices::endCrashSession()
{
    m_crashReporter.endSession();
}

void SystemReportingServices::closeCrashReporting()
{
    m_flag->setValue(false);
    m_crashReporter.close();
}

void SystemReportingServices::configureAnalytics()
{
    m_configuration = std::make_shared<InsightsManagerConfiguration>(m_analyticsAppID, std::nullopt,
                                                                     m_analyticsBaseURL);
    m_configuration->setSendNewSessionBeganSignal(false);
    InsightsEnvironment environment = InsightsEnvironment::system();
    environment.displayInfo = [this] { return displayInfo(); };
    Insights::initialize(m_configuration, environment);
    // The client starts inactive and hears only of changes.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        Insights::applicationWillBecomeActive();
}

void SystemReportingServices::setAnalyticsAllowed(bool allowed)
{
    m_flag->setValue(allowed);
    if (m_configuration)
        m_configuration->setAnalyticsDisabled(!allowed);
}

void SystemReportingServices::sendSignal(const QString& name)
{
    Insights::signal(name);
}

void SystemReportingServices::applicationWillTerminate()
{
    if (m_configuration)
        Insights::applicationWillTerminate();
}

void SystemReportingServices::applicationStateChanged(Qt::ApplicationState state)
{
    if (!m_configuration)
        return;
    if (state == Qt::ApplicationActive)
        Insights::applicationWillBecomeActive();
    else
        Insights::applicationDidResignActive();
}

DisplayInfo SystemReportingServices::displayInfo() const
{
    DisplayInfo info;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect frame = screen->geometry();
        info.mainScreen = DisplayInfo::Screen{double(frame.width()), double(frame.height()),
                                              screen->devicePixelRatio()};
    }
    info.colorScheme =
        m_appearance.isDark() ? DisplayInfo::ColorScheme::dark : DisplayInfo::ColorScheme::light;
    if (QGuiApplication::instance())
        info.layoutDirection = QGuiApplication::layoutDirection();
    info.accessibility = m_appearance.accessibility();
    return info;
}
