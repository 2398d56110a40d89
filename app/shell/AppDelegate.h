#pragma once

#include "GlobalShortcuts/Name.h"
#include "platform/FileWriteQueue.h"
#include "platform/Scheduler.h"

#include <QObject>

#include <memory>

class Analytics;
class AppSettings;
class Appearance;
class Application;
class ClockRecord;
class FolderLock;
class LaunchAtLogin;
class LoginItem;
class NoteStore;
class PopoverController;
class ReportingServices;
class Screenshots;
class StatusBarController;
class StatusItem;
class Updater;
class UserDefaults;

// Builds the application when launching finishes and takes it down in order at the end.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds autosaveDelay{500};
    static constexpr std::chrono::seconds purgeInterval{60};
    static constexpr std::chrono::milliseconds firstLaunchOpenDelay{500};
    // How long quitting may take. It waits for the notes and settings to reach the disk no
    // longer than this; notes still not saved by then go to a recovery file, written at once and
    // waited for only as long as this time still allows. So a disk that does not answer costs
    // nothing typed and delays the end of a session only this long.
    static constexpr std::chrono::seconds quitWriteBound{3};
    static constexpr const char* hasLaunchedBeforeKey = "quillory.hasLaunchedBefore";

    // What the application is built from; tests pass their own.
    struct Environment
    {
        UserDefaults& defaults;
        QString notesFile;
        const class Clock& clock;
        Scheduler& scheduler;
        class MainQueue& mainQueue;
        const Appearance& appearance;
        ReportingServices& reporting;
        QString crashReportDsn;
        QString analyticsAppID;
        LoginItem& loginItem;
        Updater& updater;
        // Set for a demonstration run, which replaces the normal life of the program.
        Screenshots* screenshots = nullptr;
        // Where the notes and settings are written.
        FileWriteQueue& writeQueue = FileWriteQueue::immediate();
        // Where the clock stood when the notes were last written; none to take the clock as
        // it is at every start.
        std::shared_ptr<ClockRecord> clockRecord = nullptr;
        // The lock this copy holds on the notes' folder, kept by the saves; none in tests.
        std::shared_ptr<FolderLock> notesFolderLock = nullptr;
    };

    explicit AppDelegate(const Environment& environment, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The global shortcut that opens and closes the panel (Ctrl+Alt+N unless changed).
    static const GlobalShortcuts::Name& togglePopoverName();

    void applicationDidFinishLaunching();
    void applicationShouldHandleReopen();
    void applicationWillTerminate();

    AppSettings* settings() const { return m_settings.get(); }
    NoteStore* store() const { return m_store.get(); }
    Analytics* analytics() const { return m_analytics.get(); }
    PopoverController* popover() const { return m_popover.get(); }
    StatusBarController* statusBar() const { return m_statusBar.get(); }
    StatusItem* statusItem() const { return m_statusItem.get(); }
    LaunchAtLogin* launchAtLogin() const { return m_launchAtLogin.get(); }

Q_SIGNALS:
    // The user asked to quit (menu or Ctrl+Q in the panel).
    void quitRequested();

private:
    void startScreenshots(Screenshots& screenshots);
    // Once per run: the folders the notes, settings and clock are kept in, or files in them,
    // that another user owns (left by a run as root) keep this user's changes from being kept.
    void noticeFilesOfOthers();
    // The tray icon with its menu, and the panel with its content.
    void makeStatusBar();
    void subscribeToSettings();
    void togglePopover();

    Environment m_environment;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<NoteStore> m_store;
    std::unique_ptr<Analytics> m_analytics;
    std::unique_ptr<LaunchAtLogin> m_launchAtLogin;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<PopoverController> m_popover;
    std::unique_ptr<StatusBarController> m_statusBar;
    Scheduler::Task m_expiryTimer;
    Scheduler::Task m_firstLaunchOpen;
};
