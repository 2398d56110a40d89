#include "app/notes/NotesDocument.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/Screenshots.h"
#include "app/shell/SystemReportingServices.h"
#include "app/views/theme/PopupWindowStyle.h"
#include "platform/Appearance.h"
#include "platform/Application.h"
#include "platform/BootClock.h"
#include "platform/Clock.h"
#include "platform/ClockRecord.h"
#include "platform/CrashReporter.h"
#include "platform/DisplayServer.h"
#include "platform/FileWriteQueue.h"
#include "platform/FolderLock.h"
#include "platform/Log.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"
#include "platform/PlatformStartGuard.h"
#include "platform/Scheduler.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"
#include "platform/XdgBaseDirectories.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

// Where usage signals go: the URL the program was built with, empty by default. Only the
// end-to-end test build names a variable here, so that its runs can send them to the test's
// own server.
QUrl analyticsBaseURL()
{
#ifdef QUILLORY_ANALYTICS_URL_VARIABLE
    const QByteArray url = qgetenv(QUILLORY_ANALYTICS_URL_VARIABLE);
    if (!url.isEmpty())
        return QUrl(QString::fromUtf8(url));
#endif
    return QUrl(QStringLiteral(QUILLORY_ANALYTICS_BASE_URL));
}

// Copies that share no runtime folder (another session, sudo -u, a container, ssh -X) find
// each other by the lock on the notes' folder: the one holding it is asked to open its panel;
// when it cannot be reached, this one says why it stops. Returns the exit code when it must.
std::optional<int> claimNotesFolder(FolderLock& lock, const Application& application,
                                    const QString& folder)
{
    switch (lock.tryLock(QFile::encodeName(application.socketPath()))) {
    case FolderLock::Result::acquired:
        return std::nullopt;
    case FolderLock::Result::failed:
        // Then nothing can be saved there either, which the note page shows.
        Log("quillory.application")
            .error(QStringLiteral("Quillory: cannot lock %1: %2").arg(folder, lock.errorString()));
        return std::nullopt;
    case FolderLock::Result::heldElsewhere:
        if (Application::sendReopenRequest(QFile::decodeName(lock.holderContact())))
            return 0;
        std::fprintf(stderr, "Quillory: another copy of Quillory is using the notes in %s\n",
                     qUtf8Printable(folder));
        return 1;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    // Beyond a file-size limit (ulimit -f) a write then fails with EFBIG, which a save reports
    // and retries as it does on a full disk, instead of the program ending with the notes.
    std::signal(SIGXFSZ, SIG_IGN);
    for (const QString& variable : XdgBaseDirectories::ignoreRelativePaths())
        std::fprintf(stderr, "Quillory: %s is not an absolute path; its default applies\n",
                     qUtf8Printable(variable));
    if (const auto problem = DisplayServer::chooseX11()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(*problem));
        return 1;
    }
    PlatformStartGuard platformStart;
    QApplication qtApplication(argc, argv);
    if (const auto problem = platformStart.finish()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(*problem));
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    Application application;
    UserDefaults::setDefaultWriteQueue(BackgroundFileWriteQueue::shared());
    // A demonstration run leaves a running copy alone and keeps everything it reads or writes
    // in a private folder of its own, away from the user's notes and settings.
    std::unique_ptr<Screenshots> screenshots;
    if (const QStringList arguments = QApplication::arguments();
        Screenshots::isRequested(arguments)) {
        screenshots = std::make_unique<Screenshots>(Clock::system(), Scheduler::system(),
                                                    Screenshots::pictureFolder(arguments));
        if (screenshots->folder().isEmpty()) {
            std::fprintf(stderr, "Quillory: no private folder for the screenshots: %s\n",
                         qUtf8Printable(screenshots->errorString()));
            return 1;
        }
        UserDefaults::setDefaultDirectory(screenshots->folder());
        // A reader that stops early must not keep the run from removing its folder.
        std::signal(SIGPIPE, SIG_IGN);
    }
    const QString notesFile = NotesDocument::defaultFileURL();
    const QString notesFolder = QFileInfo(notesFile).absolutePath();
    // Shared with the saves, which take it again when the folder is made again.
    const auto notesFolderLock = std::make_shared<FolderLock>(notesFolder);
    // The notes' lock first: whoever holds it is the copy that runs, so a lock in the runtime
    // folder that nobody answers for is one left behind.
    if (!screenshots) {
        if (const auto exitCode = claimNotesFolder(*notesFolderLock, application, notesFolder))
            return *exitCode;
        if (!application.claimSingleInstance())
            return 0; // the running copy opens its panel instead
    }

    Appearance appearance;
    if (screenshots)
        appearance.forceColorScheme(Appearance::ColorScheme::Light);
    // Tooltips and the lists of pop-up buttons in the panel's look.
    QApplication::setStyle(new PopupWindowStyle(appearance));
    LoginItem loginItem =
        screenshots
            ? LoginItem(screenshots->folder() + QStringLiteral("/autostart/quillory.desktop"),
                        QApplication::applicationFilePath())
            : LoginItem();
    Updater updater;
    CrashReporter crashReporter;
    const QString crashReportDsn = CrashReporter::buildDsn();
    const QUrl analyticsURL = analyticsBaseURL();
    // With nowhere to send them, the analytics client is never started, as the crash reporter
    // is not without a DSN: nothing is recorded, stored or logged.
    const QString analyticsAppID =
        analyticsURL.isEmpty() ? QString() : QStringLiteral(QUILLORY_ANALYTICS_APP_ID);
    SystemReportingServices reporting(crashReporter, appearance, crashReportDsn, analyticsAppID,
                                      analyticsURL);
    AppDelegate::Environment environment{UserDefaults::standard(),
                                         notesFile,
                                         Clock::system(),
                                         Scheduler::system(),
                                         MainQueue::system(),
                                         appearance,
                                         reporting,
                                         crashReportDsn,
                                         analyticsAppID,
                                         loginItem,
                                         updater,
                                         screenshots.get(),
                                         BackgroundFileWriteQueue::shared(),
                                         std::make_shared<ClockRecord>(ClockRecord::defaultPath(),
                                                                       Clock::system(),
                                                                       BootClock::system()),
                                         notesFolderLock};
    AppDelegate delegate(environment);

    QObject::connect(&application, &Application::launchingFinished, &delegate,
                     &AppDelegate::applicationDidFinishLaunching);
    // After the icon is on its way to the tray.
    QObject::connect(&application, &Application::launchingFinished, &appearance,
                     qOverload<>(&Appearance::watchPortal));
    QObject::connect(&application, &Application::reopenRequested, &delegate,
                     &AppDelegate::applicationShouldHandleReopen);
    QObject::connect(&application, &Application::willTerminate, &delegate,
                     &AppDelegate::applicationWillTerminate);
    QObject::connect(&delegate, &AppDelegate::quitRequested, &application, &Application::terminate);
    return application.exec();
}
