#include "RecordingReportingServices.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/notes/AppSettings.h"
#include "app/notes/NoteFileReader.h"
#include "app/notes/NoteStore.h"
#include "app/notes/NoticeTexts.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/PopoverController.h"
#include "app/shell/Screenshots.h"
#include "app/shell/StatusBarController.h"
#include "platform/Appearance.h"
#include "platform/Application.h"
#include "platform/BootClock.h"
#include "platform/Clock.h"
#include "platform/ClockRecord.h"
#include "platform/FileWriteQueue.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"
#include "platform/PanelWindow.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"
#include "support/FakeHotKeyCenter.h"

#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVersionNumber>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const QString dsn = QStringLiteral("https://0123456789abcdef0123456789abcdef@crash.example/1");
const QString appID = QStringLiteral("5C1D7E2A-6B3F-4A8C-9D0E-1F2A3B4C5D6E");

class AppDelegateTest : public testing::Test
{
protected:
    AppDelegateTest() { CarbonGlobalShortcuts::setHotKeyCenter(&m_hotKeys); }
    // The shortcut module outlives the delegates; the next case starts it afresh.
    ~AppDelegateTest() override
    {
        GlobalShortcuts::removeAllHandlers();
        GlobalShortcuts::setEnabled(true);
    }

    std::unique_ptr<AppDelegate> launch(Screenshots* screenshots = nullptr,
                                        FileWriteQueue& writeQueue = FileWriteQueue::immediate(),
                                        std::shared_ptr<ClockRecord> clockRecord = nullptr)
    {
        auto delegate = std::make_unique<AppDelegate>(AppDelegate::Environment{
            m_defaults, m_notesFile, m_clock, m_scheduler, m_mainQueue, m_appearance, m_reporting,
            dsn, appID, m_loginItem, m_updater, screenshots, writeQueue, std::move(clockRecord)});
        delegate->applicationDidFinishLaunching();
        return delegate;
    }

    // The stored document's notes, by text.
    QStringList savedTexts() const
    {
        QStringList texts;
        const auto result = NoteFileReader::decode(TestFiles::read(m_notesFile));
        for (const Note& note : result.file.value_or(NoteFile{}).notes)
            texts.append(note.text);
        return texts;
    }

    QTemporaryDir m_folder;
    QString m_notesFile = m_folder.path() + QStringLiteral("/Quillory/notes.json");
    UserDefaults m_defaults{QStringLiteral("settings"), m_folder.path()};
    ManualClock m_clock;
    ManualScheduler m_scheduler;
    ManualMainQueue m_mainQueue;
    Appearance m_appearance{false};
    RecordingReportingServices m_reporting;
    LoginItem m_loginItem{m_folder.path() + QStringLiteral("/autostart/quillory.desktop"),
                          QStringLiteral("/usr/bin/quillory")};
    Updater m_updater{QUrl(), QVersionNumber(1), m_scheduler};
    FakeHotKeyCenter m_hotKeys;
};

TEST_F(AppDelegateTest, StartUpStartsReportingWithTheSettingAndNeverAgainForItsCurrentValue)
{
    auto delegate = launch();
    EXPECT_EQ(
        m_reporting.calls,
        (QStringList{QStringLiteral("startCrashReporting"), QStringLiteral("startCrashSession"),
                     QStringLiteral("configureAnalytics"), QStringLiteral("signal app_launched")}));
    delegate->settings()->setSendErrorReports(false);
    EXPECT_EQ(m_reporting.signals().last(), QStringLiteral("signal analytics_disabled"));
}

TEST_F(AppDelegateTest, ReportingOffAtStartSendsNothing)
{
    m_defaults.set(QStringLiteral("quillory.sendErrorReports"), false);
    auto delegate = launch();
    EXPECT_TRUE(m_reporting.calls.isEmpty());
}

TEST_F(AppDelegateTest, SettingsReachTheStoreAndTheUpdater)
{
    m_defaults.set(QStringLiteral("quillory.newNoteColor"), QStringLiteral("mint"));
    m_defaults.set(QStringLiteral("quillory.updateAutomatically"), false);
    auto delegate = launch();
    EXPECT_EQ(delegate->store()->newNoteColor(), NewNoteColor::fixed(Hue::mint));
    EXPECT_FALSE(m_updater.automaticallyChecksForUpdates());

    delegate->settings()->setNewNoteColor(NewNoteColor::rotate());
    delegate->settings()->setUpdateAutomatically(true);
    EXPECT_EQ(delegate->store()->newNoteColor(), NewNoteColor::rotate());
    EXPECT_TRUE(m_updater.automaticallyChecksForUpdates());
}

TEST_F(AppDelegateTest, ExpiredNotesArePurgedAtStartEveryMinuteAndWhenThePeriodChanges)
{
    {
        auto first = launch();
        first->store()->setText(QStringLiteral("old"));
        first->applicationWillTerminate();
    }
    m_defaults.set(QStringLiteral("quillory.deleteAfter"), QStringLiteral("1h"));
    m_clock.advance(1h);
    auto delegate = launch();
    EXPECT_TRUE(delegate->store()->currentNote().text.isEmpty());

    delegate->store()->setText(QStringLiteral("kept for now"));
    m_clock.advance(59min);
    m_scheduler.advance(60s);
    EXPECT_EQ(delegate->store()->currentNote().text, QStringLiteral("kept for now"));
    m_clock.advance(1min);
    m_scheduler.advance(60s);
    EXPECT_TRUE(delegate->store()->currentNote().text.isEmpty());

    delegate->settings()->setDeleteAfter(DeleteAfter::never);
    delegate->store()->setText(QStringLiteral("forever"));
    m_clock.advance(24h);
    m_scheduler.advance(60s);
    delegate->settings()->setDeleteAfter(DeleteAfter::day);
    EXPECT_TRUE(delegate->store()->currentNote().text.isEmpty());

    // Choosing the period it already has purges too, without waiting for the next minute.
    delegate->store()->setText(QStringLiteral("a day old"));
    m_clock.advance(24h);
    delegate->settings()->setDeleteAfter(DeleteAfter::day);
    EXPECT_TRUE(delegate->store()->currentNote().text.isEmpty());
}

TEST_F(AppDelegateTest, AClockSetAheadSinceTheLastRunOfThisBootExpiresNothingAtStart)
{
    ManualBootClock bootClock(m_clock);
    const QString recordFile = m_folder.path() + QStringLiteral("/clock.json");
    auto launchRecordingTheClock = [&] {
        return launch(nullptr, FileWriteQueue::immediate(),
                      std::make_shared<ClockRecord>(recordFile, m_clock, bootClock));
    };
    m_defaults.set(QStringLiteral("quillory.deleteAfter"), QStringLiteral("1d"));
    const QString typed = QStringLiteral("typed an hour before");
    {
        auto first = launchRecordingTheClock();
        first->store()->setText(typed);
        m_clock.advance(1h);
        first->applicationWillTerminate();
    }
    m_clock.jump(72h);
    EXPECT_EQ(launchRecordingTheClock()->store()->currentNote().text, typed);
}

TEST_F(AppDelegateTest, OnlyTheFirstLaunchEverOpensThePanelHalfASecondLater)
{
    {
        auto first = launch();
        m_scheduler.advance(499ms);
        EXPECT_FALSE(first->popover()->isOpen());
        m_scheduler.advance(1ms);
        EXPECT_TRUE(first->popover()->isOpen());
        EXPECT_TRUE(m_defaults.boolValue(QStringLiteral("quillory.hasLaunchedBefore")));
    }
    auto second = launch();
    m_scheduler.advance(10s);
    EXPECT_FALSE(second->popover()->isOpen());
}

TEST_F(AppDelegateTest, QuittingSavesPendingTypingAndSettingsWithoutCopyingTheNote)
{
    m_defaults.set(QStringLiteral("quillory.copyNoteOnClose"), true);
    QGuiApplication::clipboard()->setText(QStringLiteral("clipboard before"));
    auto delegate = launch();
    delegate->popover()->open();
    delegate->store()->setText(QStringLiteral("typed just before quitting"));
    delegate->settings()->setTextSize(20);
    delegate->applicationWillTerminate();
    EXPECT_EQ(savedTexts(), QStringList{QStringLiteral("typed just before quitting")});
    EXPECT_EQ(UserDefaults(QStringLiteral("settings"), m_folder.path())
                  .integer(QStringLiteral("quillory.textSize")),
              20);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("clipboard before"));
    EXPECT_EQ(m_reporting.calls.mid(m_reporting.calls.size() - 2),
              (QStringList{QStringLiteral("endCrashSession"),
                           QStringLiteral("applicationWillTerminate")}));
}

// The notes typed while they cannot be saved outlive the program: quitting keeps them in a
// recovery file of the document's own form, and the next start says where it is.
TEST_F(AppDelegateTest, NotesThatCannotBeSavedByTheQuitGoToARecoveryFileTheNextStartNames)
{
    const QString stateFolder =
        qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/Quillory");
    QDir().mkpath(QFileInfo(m_notesFile).absolutePath());
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/notes.json"), m_notesFile));
    QString recovery;
    {
        LogCapture log;
        auto delegate = launch();
        delegate->store()->setText(QStringLiteral("typed while nothing can be saved"));
        m_scheduler.advance(1s);
        EXPECT_FALSE(delegate->store()->saveProblem().isEmpty());
        delegate->applicationWillTerminate();
        const QStringList kept =
            QDir(stateFolder).entryList({QStringLiteral("notes.json.recovered-*")}, QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        recovery = stateFolder + QLatin1Char('/') + kept.first();
        EXPECT_EQ(log.matching(recovery).size(), 1);
    }
    const auto recovered = NoteFileReader::decode(TestFiles::read(recovery));
    ASSERT_TRUE(recovered.file);
    EXPECT_EQ(recovered.file->notes.at(0).text, QStringLiteral("typed while nothing can be saved"));
    const auto ownerGroupOther = QFile::Permissions(0x7077);
    EXPECT_EQ(QFileInfo(recovery).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QFileInfo(stateFolder).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QFile::remove(m_notesFile);
    {
        auto delegate = launch();
        ASSERT_EQ(delegate->store()->notices().size(), 1);
        EXPECT_TRUE(delegate->store()->notices().first().contains(QFileInfo(recovery).fileName()));
        delegate->store()->setText(QStringLiteral("saved this time"));
        delegate->applicationWillTerminate();
    }
    // The document has been saved since: the recovery file is old news.
    EXPECT_TRUE(launch()->store()->notices().isEmpty());
    EXPECT_EQ(QDir(stateFolder).entryList({QStringLiteral("notes.json.recovered-*")}).size(), 1);
}

// After a run as root (sudo -E) on the user's home, what it made there is root's, and the
// user's later runs could keep no lock, clock or settings there. The start names, in one notice,
// the folders and files that are another user's, and changes no owner itself.
TEST_F(AppDelegateTest, FoldersAndFilesOfAnotherUserAreNamedInOneNoticeAtStartAndLeftAsTheyAre)
{
    constexpr uid_t anotherUser = 65534;
    const QString notesFolder = QFileInfo(m_notesFile).absolutePath();
    const QString lockFile = notesFolder + QStringLiteral("/quillory.lock");
    const QString stateFolder =
        qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/Quillory");
    QDir().mkpath(stateFolder);
    TestFiles::write(lockFile, {});
    const auto giveTo = [](const QString& path, uid_t user) {
        return ::chown(QFile::encodeName(path).constData(), user, user) == 0;
    };
    EXPECT_TRUE(launch()->store()->notices().isEmpty());
    // Given away, and named: a file in a folder named already is not named again.
    const std::vector<std::pair<QStringList, QStringList>> rows{
        {{lockFile}, {lockFile}},
        {{notesFolder, lockFile, stateFolder}, {notesFolder, stateFolder}},
    };
    for (const auto& [given, named] : rows) {
        for (const QString& path : given) {
            if (!giveTo(path, anotherUser))
                GTEST_SKIP() << "only root can give a file away";
        }
        EXPECT_EQ(launch()->store()->notices(), QStringList{NoticeTexts::ownedByOthers(named)});
        for (const QString& path : given) {
            EXPECT_EQ(QFileInfo(path).ownerId(), anotherUser);
            giveTo(path, ::geteuid());
        }
    }
}

// A disk that does not answer holds the quit up only so long; what it has not written by then
// is kept where it can be, the runtime folder when there is no state folder to write to. That
// one exists already, made by the single-copy guard, and is made the user's only.
TEST_F(AppDelegateTest, QuittingWaitsForTheDiskOnlySoLongAndKeepsWhatItDidNotWrite)
{
    const auto ownerGroupOther = QFile::Permissions(0x7077);
    for (const bool stateFolderWritable : {true, false}) {
        if (!stateFolderWritable) {
            const QString blocked = TestFiles::home() + QStringLiteral("/state-is-a-file");
            TestFiles::write(blocked, "in the way");
            qputenv("XDG_STATE_HOME", QFile::encodeName(blocked));
            QDir().mkpath(Application::defaultInstanceDirectory());
        }
        ManualFileWriteQueue stuck;
        LogCapture log;
        auto delegate = launch(nullptr, stuck);
        delegate->store()->setText(QStringLiteral("typed onto a stuck disk"));
        delegate->applicationWillTerminate();
        EXPECT_EQ(log.matching(QStringLiteral("did not finish writing")).size(), 1);
        const QString folder = stateFolderWritable ? qEnvironmentVariable("XDG_STATE_HOME") +
                                                         QStringLiteral("/Quillory")
                                                   : Application::defaultInstanceDirectory();
        const QStringList kept =
            QDir(folder).entryList({QStringLiteral("notes.json.recovered-*")}, QDir::Files);
        ASSERT_EQ(kept.size(), 1) << folder.toStdString();
        const auto recovered =
            NoteFileReader::decode(TestFiles::read(folder + QLatin1Char('/') + kept.first()));
        ASSERT_TRUE(recovered.file);
        EXPECT_EQ(recovered.file->notes.at(0).text, QStringLiteral("typed onto a stuck disk"));
        EXPECT_EQ(QFileInfo(folder).permissions() & ownerGroupOther,
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// A disk whose every write waits until the test lets it go, as one whose syncs take long: a
// quit that waits for it takes all the time it is given. The writes run on a real write
// queue's thread, in its order, which the disk notes down.
class HeldDisk : public FileWriteQueue
{
public:
    static constexpr auto patience = 10s;

    explicit HeldDisk(ManualClock& clock)
        : m_clock(clock)
    {}
    ~HeldDisk() override { release(); }

    void submit(const QString& file, Work write, Work done, Turn turn) override
    {
        m_queue.submit(
            file,
            [this, name = QFileInfo(file).fileName(), write = std::move(write)] {
                m_started.release();
                m_gate.acquire();
                write();
                const QMutexLocker lock(&m_mutex);
                m_written.append(name);
            },
            std::move(done), turn);
    }
    bool finish(std::chrono::milliseconds bound) override
    {
        m_waits.push_back(bound);
        m_clock.advance(bound);
        return m_queue.finish(0ms);
    }

    bool waitForAWriteToStart() { return m_started.tryAcquire(1, int(patience / 1ms)); }
    void release() { m_gate.release(std::numeric_limits<int>::max() / 2); }
    bool settle() { return m_queue.finish(patience); }
    QStringList written()
    {
        const QMutexLocker lock(&m_mutex);
        return m_written;
    }
    // How long each wait for the disk was allowed to take.
    const std::vector<std::chrono::milliseconds>& waits() const { return m_waits; }

private:
    ManualClock& m_clock;
    ManualMainQueue m_outcomes;
    BackgroundFileWriteQueue m_queue{m_outcomes};
    QSemaphore m_started;
    QSemaphore m_gate;
    QMutex m_mutex;
    QStringList m_written;
    std::vector<std::chrono::milliseconds> m_waits;
};

// The end of a session while the disk still syncs what the start wrote: the notes go ahead of
// the settings, the recovery file is written at once and its sync waits on the disk, and the
// quit takes no longer than its bound in all.
TEST_F(AppDelegateTest, QuittingOnASlowDiskPutsTheNotesFirstAndKeepsToItsBound)
{
    HeldDisk disk(m_clock);
    UserDefaults defaults(QStringLiteral("settings"), m_folder.path(), m_scheduler, m_mainQueue,
                          disk);
    ManualBootClock bootClock(m_clock);
    AppDelegate delegate(AppDelegate::Environment{
        defaults, m_notesFile, m_clock, m_scheduler, m_mainQueue, m_appearance, m_reporting, dsn,
        appID, m_loginItem, m_updater, nullptr, disk,
        std::make_shared<ClockRecord>(m_folder.path() + QStringLiteral("/clock.json"), m_clock,
                                      bootClock)});
    delegate.applicationDidFinishLaunching();
    // The clock record is being synced; the first launch's settings wait behind it.
    ASSERT_TRUE(disk.waitForAWriteToStart());
    const QString typed = QStringLiteral("typed as the session ends");
    delegate.store()->setText(typed);
    // The analytics client keeps what it has not sent through the same queue, behind the notes.
    const QString signalCache = m_folder.path() + QStringLiteral("/insightssignalcache");
    m_reporting.onTerminate = [&] {
        disk.submit(
            signalCache, [&] { TestFiles::write(signalCache, "[]"); }, {},
            FileWriteQueue::Turn::inOrder);
    };

    delegate.applicationWillTerminate();
    EXPECT_EQ(disk.waits(),
              (std::vector<std::chrono::milliseconds>{AppDelegate::quitWriteBound, 0ms}));
    const QString stateFolder =
        qEnvironmentVariable("XDG_STATE_HOME") + QStringLiteral("/Quillory");
    const QStringList kept =
        QDir(stateFolder).entryList({QStringLiteral("notes.json.recovered-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    const auto recovered =
        NoteFileReader::decode(TestFiles::read(stateFolder + QLatin1Char('/') + kept.first()));
    ASSERT_TRUE(recovered.file) << recovered.error.toStdString();
    EXPECT_EQ(recovered.file->notes.at(0).text, typed);

    disk.release();
    ASSERT_TRUE(disk.settle());
    EXPECT_EQ(
        disk.written(),
        (QStringList{QStringLiteral("clock.json"), QStringLiteral("notes.json"), kept.first(),
                     QStringLiteral("settings.json"), QStringLiteral("insightssignalcache")}));
    EXPECT_EQ(savedTexts(), QStringList{typed});
}

TEST_F(AppDelegateTest, ThePanelsWidgetsAreBuiltOneTurnAfterTheIconOrWhenItOpensFirst)
{
    auto delegate = launch();
    EXPECT_EQ(delegate->popover()->panel()->contentWidget(), nullptr);
    m_mainQueue.runPending();
    QWidget* content = delegate->popover()->panel()->contentWidget();
    ASSERT_NE(content, nullptr);
    delegate->popover()->open();
    EXPECT_EQ(delegate->popover()->panel()->contentWidget(), content);

    auto early = launch();
    early->applicationShouldHandleReopen();
    EXPECT_NE(early->popover()->panel()->contentWidget(), nullptr);
}

TEST_F(AppDelegateTest, AReopenRequestOpensThePanelAndNeverClosesIt)
{
    auto delegate = launch();
    delegate->applicationShouldHandleReopen();
    EXPECT_TRUE(delegate->popover()->isOpen());
    delegate->applicationShouldHandleReopen();
    EXPECT_TRUE(delegate->popover()->isOpen());
}

TEST_F(AppDelegateTest, TheGlobalShortcutTogglesThePanelOnRelease)
{
    // Ctrl+Alt+N as the X server sees it: the N key, Control and Mod1.
    constexpr quint32 nKeyCode = 57;
    constexpr quint32 controlAlt = 0x04 | 0x08;
    auto delegate = launch();
    ASSERT_TRUE(m_hotKeys.press(nKeyCode, controlAlt));
    EXPECT_FALSE(delegate->popover()->isOpen());
    ASSERT_TRUE(m_hotKeys.release(nKeyCode, controlAlt));
    EXPECT_TRUE(delegate->popover()->isOpen());
    m_hotKeys.press(nKeyCode, controlAlt);
    m_hotKeys.release(nKeyCode, controlAlt);
    EXPECT_FALSE(delegate->popover()->isOpen());
}

TEST_F(AppDelegateTest, WhileTheClearAllAlertAsksNeitherTheShortcutNorAReopenOpensThePanel)
{
    constexpr quint32 nKeyCode = 57;
    constexpr quint32 controlAlt = 0x04 | 0x08;
    auto delegate = launch();
    delegate->statusBar()->clearAllNotes();
    ASSERT_TRUE(m_hotKeys.press(nKeyCode, controlAlt));
    ASSERT_TRUE(m_hotKeys.release(nKeyCode, controlAlt));
    delegate->applicationShouldHandleReopen();
    EXPECT_FALSE(delegate->popover()->isOpen());
    EXPECT_TRUE(delegate->statusBar()->raiseModalAlert());
}

TEST_F(AppDelegateTest, ATakenShortcutIsReportedAndTheProgramRunsOn)
{
    constexpr quint32 nKeyCode = 57;
    constexpr quint32 controlAlt = 0x04 | 0x08;
    m_hotKeys.refuse(nKeyCode, controlAlt);
    LogCapture log;
    auto delegate = launch();
    EXPECT_FALSE(log.matching(QStringLiteral("Error registering hotkey")).isEmpty());
    delegate->applicationShouldHandleReopen();
    EXPECT_TRUE(delegate->popover()->isOpen());
}

TEST_F(AppDelegateTest, AnUpdaterWithoutAFeedIsLoggedOnceAsAnError)
{
    LogCapture log;
    auto delegate = launch();
    QList<LogCapture::Entry> updates;
    for (const LogCapture::Entry& entry : log.entries()) {
        if (entry.category == QStringLiteral("zorvik.quillory.updates"))
            updates.append(entry);
    }
    ASSERT_EQ(updates.size(), 1);
    EXPECT_EQ(updates[0].type, QtCriticalMsg);
    ASSERT_FALSE(m_updater.errorString().isEmpty());
    EXPECT_EQ(updates[0].message,
              QStringLiteral("Updater did not start: ") + m_updater.errorString());
}

TEST_F(AppDelegateTest, TheScreenshotRunShowsEachStateOfTheSampleNotesAndTouchesNothingOfOurs)
{
    int lines = 0;
    Screenshots screenshots(m_clock, m_scheduler, QString(), [&lines](QByteArrayView) { ++lines; });
    auto delegate = launch(&screenshots);
    QSignalSpy quit(delegate.get(), &AppDelegate::quitRequested);
    const PopoverController& panel = *delegate->popover();
    const NoteStore& store = *delegate->store();
    EXPECT_EQ(QFileInfo(store.fileURL()).absolutePath(), screenshots.folder());
    EXPECT_NE(Screenshots(m_clock, m_scheduler).folder(), screenshots.folder());
    const auto describe = [&] {
        QStringList shown{store.currentNote().name, Hues::rawValue(store.currentNote().hue)};
        for (const auto& [on, word] :
             {std::pair{store.currentNote().text.isEmpty(), "empty"},
              {panel.renaming(), "renaming"},
              {panel.pickerOpen(), "picker"},
              {panel.listOpen(), "list"},
              {panel.toastVisible(), "toast"},
              {panel.copiedPulse() > 0, "copied"},
              {panel.mode() == PopoverController::Mode::settings, "settings"}}) {
            if (on)
                shown.append(QLatin1String(word));
        }
        return shown.join(u' ').toStdString();
    };
    // What the panel shows as each stage is announced, in order.
    const char* const shots[] = {
        "Quillory sand",
        "Groceries mint",
        "Reply to Maren sky renaming",
        "Wifi lavender picker",
        "Tracking pink list",
        "Draft coral copied",
        "Groceries mint toast copied",
        "Quillory teal empty copied",
        "Quillory teal empty copied settings",
    };
    // The sample document is written when the run ends, not while it runs.
    QByteArray sample = TestFiles::read(store.fileURL());
    int sampleWrites = 0;
    const auto advance = [&](std::chrono::milliseconds step) {
        m_scheduler.advance(step);
        QByteArray onDisk = TestFiles::read(store.fileURL());
        if (onDisk != sample) {
            ++sampleWrites;
            sample = std::move(onDisk);
        }
    };
    for (int shot = 0; shot < int(std::size(shots)); ++shot) {
        for (int tick = 0; tick < 300 && lines == shot; ++tick)
            advance(10ms);
        EXPECT_EQ(describe(), shots[shot]) << shot;
    }
    advance(Screenshots::afterShot);
    EXPECT_EQ(quit.size(), 1);
    EXPECT_EQ(sampleWrites, 0);

    delegate->applicationWillTerminate();
    const auto saved = NoteFileReader::decode(TestFiles::read(store.fileURL()));
    ASSERT_TRUE(saved.file);
    EXPECT_EQ(saved.file->notes.size(), store.notes().size());
    EXPECT_FALSE(QFile::exists(m_notesFile));
    EXPECT_FALSE(QFile::exists(m_defaults.filePath()));
    EXPECT_TRUE(m_reporting.calls.isEmpty());
    EXPECT_EQ(m_hotKeys.registrationCount(), 0);
}

} // namespace
