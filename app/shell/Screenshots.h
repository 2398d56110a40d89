#pragma once

#include "app/notes/Note.h"
#include "platform/Scheduler.h"

#include <QByteArrayView>
#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class AppSettings;
class Clock;
class NoteStore;
class PopoverController;
class UserDefaults;

// The demonstration run for screenshots: sample notes and throw-away settings in a private
// folder of its own, and a timed script that takes the panel through its main states. Each
// state worth a picture is announced on standard output as "SHOT <stage> <window id>" once it
// has settled, after its picture is saved when a folder for them was given; "DONE" ends the
// run. The private folder goes when the object does.
class Screenshots : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* argument = "--screenshots";
    static constexpr const char* settingsDomain = "zorvik.quillory.screenshots";
    // The script's changes are saved when the run ends, not while it runs.
    static constexpr std::chrono::hours sampleAutosaveDelay{1};
    // How long a state stays on screen after its line, for the picture to be taken.
    static constexpr std::chrono::milliseconds afterShot{800};

    // Gets each line whole, line feed included.
    using Output = std::function<void(QByteArrayView line)>;
    // One write(2) per line, so that a reader never sees half of one.
    static void writeToStandardOutput(QByteArrayView line);

    // "--screenshots", optionally followed by the folder to save a picture of each state to.
    static bool isRequested(const QStringList& arguments);
    static QString pictureFolder(const QStringList& arguments);

    // Without a picture folder the states are only announced, for a tool outside to capture.
    Screenshots(const Clock& clock, Scheduler& scheduler, const QString& pictureFolder = QString(),
                Output output = writeToStandardOutput, QObject* parent = nullptr);
    ~Screenshots() override;

    // Empty, with errorString() telling why, when the private folder could not be made.
    QString folder() const;
    QString errorString() const { return m_folder.errorString(); }

    std::unique_ptr<AppSettings> screenshotSettings();
    std::unique_ptr<NoteStore> makeSampleStore();
    NoteFile makeSampleFile() const;
    void runScreenshotScript(PopoverController& controller);

Q_SIGNALS:
    // "DONE" is out: the run is over.
    void finished();

private:
    void runStep();
    void shoot(const char* stage);

    const Clock& m_clock;
    Scheduler& m_scheduler;
    const QString m_pictureFolder;
    Output m_output;
    QTemporaryDir m_folder;
    // After the folder, so that its last write lands before the folder goes.
    std::unique_ptr<UserDefaults> m_settingsDomain;
    PopoverController* m_controller = nullptr;
    std::size_t m_nextStep = 0;
    Scheduler::Task m_wait;
};
