#include "app/AppDelegate.h"
#include "app/NotesDocument.h"
#include "app/SystemReportingServices.h"
#include "platform/Appearance.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/CrashReporter.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    Application application;
    if (!application.claimSingleInstance())
        return 0; // the running copy opens its panel instead

    Appearance appearance;
    LoginItem loginItem;
    Updater updater;
    CrashReporter crashReporter;
    const QString crashReportDsn = CrashReporter::buildDsn();
    const QString analyticsAppID = QStringLiteral(QUILLORY_ANALYTICS_APP_ID);
    SystemReportingServices reporting(crashReporter, crashReportDsn, analyticsAppID);
    AppDelegate::Environment environment{UserDefaults::standard(),
                                         NotesDocument::defaultFileURL(),
                                         Clock::system(),
                                         Scheduler::system(),
                                         MainQueue::system(),
                                         appearance,
                                         reporting,
                                         CrashReporter::buildDsn(),
                                         QStringLiteral(QUILLORY_ANALYTICS_APP_ID),
                                         loginItem,
                                         updater};
    AppDelegate delegate(environment);

    QObject::connect(&application, &Application::launchingFinished, &delegate,
                     &AppDelegate::applicationDidFinishLaunching);
    // After the icon is on its way to the tray.
    QObject::connect(&application, &Application::launchingFinished, &appearance,
                     &Appearance::watchPortal);
    QObject::connect(&application, &Application::reopenRequested, &delegate,
                     &AppDelegate::applicationShouldHandleReopen);
    QObject::connect(&application, &Application::willTerminate, &delegate,
                     &AppDelegate::applicationWillTerminate);
    QObject::connect(&application, &Application::willTerminate, &reporting,
                     &SystemReportingServices::applicationWillTerminate);
    QObject::connect(&delegate, &AppDelegate::quitRequested, &application, &Application::terminate);
    return application.exec();
}
