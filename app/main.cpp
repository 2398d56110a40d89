#include "app/notes/NotesDocument.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/SystemReportingServices.h"
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
#include <QUrl>

#include <optional>

namespace {

// Only the end-to-end test build names a variable here, so that its runs can send usage
// signals to the test's own server; the shipped program uses the URL it was built with.
std::optional<QUrl> analyticsBaseURL()
{
#ifdef QUILLORY_ANALYTICS_URL_VARIABLE
    const QByteArray url = qgetenv(QUILLORY_ANALYTICS_URL_VARIABLE);
    if (!url.isEmpty())
        return QUrl(QString::fromUtf8(url));
#endif
    return std::nullopt;
}

} // namespace

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
    SystemReportingServices reporting(crashReporter, crashReportDsn, analyticsAppID,
                                      analyticsBaseURL());
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
