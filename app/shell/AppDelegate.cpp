#include "AppDelegate.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/notes/AppSettings.h"
#include "app/notes/LaunchAtLogin.h"
#include "app/notes/NoteStore.h"
#include "app/notes/NotesRecovery.h"
#include "app/notes/NoticeTexts.h"
#include "app/shell/Analytics.h"
#include "app/shell/PopoverController.h"
#include "app/shell/ReportingServices.h"
#include "app/shell/Screenshots.h"
#include "app/shell/StatusBarController.h"
#include "app/views/page/NoteView.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/settings/SettingsView.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/StatusItem.h"
#include "platform/StoredFile.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"

#include <QFileInfo>
#include <QPointer>

namespace {
const Log updatesLog("zorvik.quillory.updates");
const Log shutDownLog("quillory.application");
} // namespace

AppDelegate::AppDelegate(const Environment& environment, QObject* parent)
    : QObject(parent)
    , m_environment(environment)
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    Environment& environment = m_environment;
    if (environment.screenshots) {
        startScreenshots(*environment.screenshots);
        return;
    }
    m_settings = std::make_unique<AppSettings>(environment.defaults);
    m_store = std::make_unique<NoteStore>(
        environment.notesFile, environment.clock, environment.scheduler, autosaveDelay,
        environment.writeQueue, environment.clockRecord, environment.notesFolderLock);
    m_store->setNewNoteColor(m_settings->newNoteColor());
    NotesRecovery(NotesRecovery::defaultFolders(), environment.clock).announce(*m_store);
    noticeFilesOfOthers();

    m_analytics = std::make_unique<Analytics>(environment.reporting, environment.crashReportDsn,
                                              environment.analyticsAppID);
    m_analytics->start(m_settings->sendErrorReports());

    if (!environment.updater.startUpdater())
        updatesLog.error(QStringLiteral("Updater did not start: ") +
                         environment.updater.errorString());
    environment.updater.setAutomaticallyChecksForUpdates(m_settings->updateAutomatically());

    makeStatusBar();

    GlobalShortcuts::installMenuObservers();
    GlobalShortcuts::onKeyUp(togglePopoverName(), [guard = QPointer(this)] {
        if (guard)
            guard->togglePopover();
    });

    subscribeToSettings();
    m_store->purgeExpired(m_settings->deleteAfter());
    m_expiryTimer = environment.scheduler.scheduleRepeating(
        purgeInterval, [this] { m_store->purgeExpired(m_settings->deleteAfter()); });

    UserDefaults& defaults = environment.defaults;
    const QString firstLaunchKey = QString::fromLatin1(hasLaunchedBeforeKey);
    if (!defaults.boolValue(firstLaunchKey)) {
        defaults.set(firstLaunchKey, true);
        m_firstLaunchOpen =
            environment.scheduler.schedule(firstLaunchOpenDelay, [this] { m_popover->open(); });
    }
    // The panel's widgets wait until the icon is on its way to the tray.
    environment.mainQueue.async([guard = QPointer(this)] {
        if (guard)
            guard->m_popover->ensureContent();
    });
}

void AppDelegate::noticeFilesOfOthers()
{
    QStringList folders{QFileInfo(m_environment.notesFile).absolutePath(),
                        QFileInfo(m_environment.defaults.filePath()).absolutePath()};
    folders += NotesRecovery::defaultFolders();
    folders.removeDuplicates();
    QStringList owned;
    for (const QString& folder : std::as_const(folders))
        owned += StoredFile::ownedByOthers(folder);
    // A folder may lie in another one that is looked into.
    owned.removeDuplicates();
    if (!owned.isEmpty())
        m_store->addNotice(NoticeTexts::ownedByOthers(owned));
}

void AppDelegate::startScreenshots(Screenshots& screenshots)
{
    // The settings page still shows the shortcut, but the run never takes it from the desktop.
    GlobalShortcuts::setEnabled(false);
    m_settings = screenshots.screenshotSettings();
    m_store = screenshots.makeSampleStore();
    m_store->setNewNoteColor(m_settings->newNoteColor());
    // Never started, and without a destination it never could be.
    m_analytics = std::make_unique<Analytics>(m_environment.reporting, QString(), QString());
    makeStatusBar();
    connect(&screenshots, &Screenshots::finished, this, &AppDelegate::quitRequested);
    screenshots.runScreenshotScript(*m_popover);
}

void AppDelegate::makeStatusBar()
{
    Environment& environment = m_environment;
    m_launchAtLogin = std::make_unique<LaunchAtLogin>(environment.loginItem);
    m_statusItem = std::make_unique<StatusItem>(environment.clock);
    const PopoverController::Services services{environment.mainQueue, environment.scheduler,
                                               environment.clock, environment.appearance};
    m_popover = std::make_unique<PopoverController>(*m_store, *m_settings, *m_analytics, services);
    m_popover->setContentFactory([this] {
        auto* rootView = new PopoverRootView(*m_popover, *m_store, m_environment.appearance);
        rootView->setNotePage(new NoteView(*m_popover, *m_store, *m_settings,
                                           m_environment.scheduler, m_environment.appearance));
        auto* settingsPage =
            new SettingsView(*m_popover, *m_settings, *m_launchAtLogin, m_environment.updater,
                             togglePopoverName(), m_environment.appearance);
        connect(settingsPage, &SettingsView::quitRequested, this, &AppDelegate::quitRequested);
        rootView->setSettingsPage(settingsPage);
        return rootView;
    });
    m_statusBar = std::make_unique<StatusBarController>(*m_statusItem, *m_popover, *m_store,
                                                        *m_launchAtLogin, environment.appearance);
    m_statusItem->show();
    connect(m_popover.get(), &PopoverController::quitRequested, this, &AppDelegate::quitRequested);
    connect(m_statusBar.get(), &StatusBarController::quitRequested, this,
            &AppDelegate::quitRequested);
}

const GlobalShortcuts::Name& AppDelegate::togglePopoverName()
{
    using namespace GlobalShortcuts;
    static const Name name(QStringLiteral("togglePopover"),
                           Shortcut(Key::n, ModifierFlag::option | ModifierFlag::command));
    return name;
}

void AppDelegate::togglePopover()
{
    if (m_statusBar->raiseModalAlert())
        return;
    if (m_popover->isOpen())
        m_popover->close();
    else
        m_popover->open();
}

void AppDelegate::subscribeToSettings()
{
    AppSettings& settings = *m_settings;
    Updater& updater = m_environment.updater;
    // The colour and the update setting apply their current value too; the other two only
    // react to changes (the purge has just run, and reporting was started with its value).
    m_store->setNewNoteColor(settings.newNoteColor());
    connect(&settings, &AppSettings::newNoteColorChanged, this,
            [this](NewNoteColor color) { m_store->setNewNoteColor(color); });
    updater.setAutomaticallyChecksForUpdates(settings.updateAutomatically());
    connect(&settings, &AppSettings::updateAutomaticallyChanged, this,
            [&updater](bool on) { updater.setAutomaticallyChecksForUpdates(on); });
    connect(&settings, &AppSettings::sendErrorReportsChanged, this,
            [this](bool on) { m_analytics->setEnabled(on); });
    connect(&settings, &AppSettings::deleteAfterChanged, this,
            [this](DeleteAfter period) { m_store->purgeExpired(period); });
}

void AppDelegate::applicationShouldHandleReopen()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_popover && !m_statusBar->raiseModalAlert())
        m_popover->open();
}

void AppDelegate::applicationWillTerminate()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const Clock& clock = m_environment.clock;
    const auto quitEnds = clock.monotonicNow() + quitWriteBound;
    const auto timeLeft = [&] {
        return std::max(quitEnds - clock.monotonicNow(), std::chrono::milliseconds{0});
    };
    FileWriteQueue& writeQueue = m_environment.writeQueue;
    // The panel is not closed first, so quitting never copies the note to the clipboard.
    if (m_store)
        m_store->save();
    if (m_analytics)
        m_analytics->applicationWillTerminate();
    // What the analytics client has not sent goes behind the notes in the queue, inside the
    // bound like every other write of the quit; a demonstration run never started the client.
    if (!m_environment.screenshots)
        m_environment.reporting.applicationWillTerminate();
    m_environment.defaults.synchronize();
    if (!writeQueue.finish(timeLeft()))
        shutDownLog.error(QStringLiteral("Quillory: the disk did not finish writing within %1 s")
                              .arg(quitWriteBound.count()));
    // A demonstration run's notes are no one's to keep.
    if (m_store && !m_environment.screenshots &&
        !NotesRecovery(NotesRecovery::defaultFolders(), clock)
             .keepUnsaved(*m_store, writeQueue)
             .isEmpty())
        writeQueue.finish(timeLeft());
}
