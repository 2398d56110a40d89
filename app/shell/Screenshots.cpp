#include "Screenshots.h"

#include "app/notes/AppSettings.h"
#include "app/notes/NoteFileWriter.h"
#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/PanelWindow.h"
#include "platform/StoredFile.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QPixmap>

#include <array>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const Log logger("quillory.screenshots");

struct Sample
{
    QString name;
    Hue hue;
    QString text;
    double minutesAgo;
};

// The made-up codes and passwords are the program's own.
const std::array samples{
    Sample{QStringLiteral("Quillory"), Hue::sand,
           QStringLiteral("Flight LX 1630, booking K7QRZP\n"
                          "Gate B34, boarding 14:05\n"
                          "Lease: call Dana, 555 0123\n"
                          "Wi-Fi Harbour / tidepool-2718"),
           3},
    Sample{QStringLiteral("Groceries"), Hue::mint,
           QStringLiteral("Oat milk\nSourdough\nLemons\nBasil\nParmesan\nCoffee beans"), 40},
    Sample{QStringLiteral("Reply to Maren"), Hue::sky,
           QStringLiteral("Hi Maren, Thursday at ten works for me. I'll bring the printed "
                          "plans. See you at the studio!"),
           120},
    Sample{QStringLiteral("Wifi"), Hue::lavender, QStringLiteral("Fernhill-5G\nmossy-lantern-42"),
           300},
    Sample{QStringLiteral("Tracking"), Hue::pink,
           QStringLiteral("1Z 999 AA1 01 2345 6784\nLeave it with the neighbours at number 12"),
           1500},
    Sample{QStringLiteral("Draft"), Hue::coral,
           QStringLiteral("Could we move Monday's sync to Tuesday afternoon?\n"
                          "Something came up on my side, sorry for the shuffle."),
           2900},
};
// A sample note was made this long before its last edit.
constexpr double minutesFromCreationToEdit = 5;
// Where the colour rotation stands: the script's new note takes teal, which no sample has.
constexpr qint64 sampleRotateIndex = 5;

struct Step
{
    void (*action)(PopoverController& controller);
    // The state to announce once `wait` is over; none for a plain pause.
    const char* stage;
    std::chrono::milliseconds wait;
};

const std::array script{
    Step{[](PopoverController& c) { c.open(); }, "hero", 1400ms},
    Step{[](PopoverController& c) { c.nextNote(); }, "pages", 900ms},
    Step{[](PopoverController& c) { c.goToNote(2); }, nullptr, 600ms},
    Step{[](PopoverController& c) {
             c.setPickerOpen(false);
             c.closeList();
             c.setRenaming(true);
         },
         "rename", 1200ms},
    Step{[](PopoverController& c) { c.setRenaming(false); }, nullptr, 400ms},
    Step{[](PopoverController& c) { c.goToNote(3); }, nullptr, 600ms},
    // Closed since the rename: the toggle opens it, with its spring.
    Step{[](PopoverController& c) { c.togglePicker(); }, "picker", 900ms},
    Step{[](PopoverController& c) {
             c.closePicker();
             c.goToNote(4);
         },
         nullptr, 600ms},
    Step{[](PopoverController& c) { c.openList(); }, "list", 900ms},
    Step{[](PopoverController& c) {
             c.closeList();
             c.goToNote(5);
         },
         nullptr, 600ms},
    Step{[](PopoverController& c) { c.showCopiedMark(); }, "copied", 450ms},
    Step{[](PopoverController& c) { c.goToNote(0); }, nullptr, 600ms},
    Step{[](PopoverController& c) { c.deleteCurrentNote(); }, "toast", 500ms},
    Step{[](PopoverController& c) { c.undo(); }, nullptr, 600ms},
    Step{[](PopoverController& c) { c.newNote(); }, "new", 900ms},
    Step{[](PopoverController& c) { c.openSettings(); }, "settings", 1000ms},
};

QDateTime minutesBefore(const QDateTime& now, double minutes)
{
    return now.addMSecs(-qint64(minutes * 60'000));
}

} // namespace

void Screenshots::writeToStandardOutput(QByteArrayView line)
{
    // Nobody to tell when standard output is gone.
    [[maybe_unused]] const ssize_t written =
        ::write(STDOUT_FILENO, line.data(), std::size_t(line.size()));
}

bool Screenshots::isRequested(const QStringList& arguments)
{
    return arguments.contains(QLatin1String(argument));
}

QString Screenshots::pictureFolder(const QStringList& arguments)
{
    const qsizetype next = arguments.indexOf(QLatin1String(argument)) + 1;
    if (next == 0 || next == arguments.size() || arguments[next].startsWith(QLatin1Char('-')))
        return {};
    return arguments[next];
}

Screenshots::Screenshots(const Clock& clock, Scheduler& scheduler, const QString& pictureFolder,
                         Output output, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_scheduler(scheduler)
    , m_pictureFolder(pictureFolder)
    , m_output(std::move(output))
    // Private and unpredictable: a name known beforehand in a folder everyone may write to
    // lets another user plant a link there that the run would write through.
    , m_folder(QDir::tempPath() + QStringLiteral("/Quillory-screenshots-XXXXXX"))
{}

Screenshots::~Screenshots() = default;

QString Screenshots::folder() const
{
    return m_folder.isValid() ? m_folder.path() : QString();
}

std::unique_ptr<AppSettings> Screenshots::screenshotSettings()
{
    Q_ASSERT(m_folder.isValid());
    if (!m_settingsDomain)
        m_settingsDomain =
            std::make_unique<UserDefaults>(QString::fromLatin1(settingsDomain), folder());
    m_settingsDomain->removePersistentDomain();
    auto settings = std::make_unique<AppSettings>(*m_settingsDomain);
    // The run never reads or writes the user's clipboard.
    settings->setNewNotePastesClipboard(false);
    settings->setCopyNoteOnClose(false);
    return settings;
}

NoteFile Screenshots::makeSampleFile() const
{
    const QDateTime now = m_clock.now();
    NoteFile file;
    for (const Sample& sample : samples) {
        Note note;
        note.id = QUuid::createUuid();
        note.name = normalizedNoteName(sample.name);
        note.hue = sample.hue;
        note.text = sample.text;
        note.createdAt = minutesBefore(now, sample.minutesAgo + minutesFromCreationToEdit);
        note.editedAt = minutesBefore(now, sample.minutesAgo);
        note.order = qint64(file.notes.size());
        file.notes.push_back(note);
    }
    file.currentNoteID = file.notes.front().id;
    file.rotateIndex = sampleRotateIndex;
    return file;
}

std::unique_ptr<NoteStore> Screenshots::makeSampleStore()
{
    Q_ASSERT(m_folder.isValid());
    const QString file = m_folder.filePath(QStringLiteral("notes.json"));
    const QString error = StoredFile::writePrivate(file, NoteFileWriter::encode(makeSampleFile()));
    if (!error.isEmpty())
        logger.error(QStringLiteral("Quillory: the sample notes were not written: ") + error);
    return std::make_unique<NoteStore>(file, m_clock, m_scheduler, sampleAutosaveDelay);
}

void Screenshots::runScreenshotScript(PopoverController& controller)
{
    m_controller = &controller;
    m_nextStep = 0;
    runStep();
}

void Screenshots::runStep()
{
    if (m_nextStep == script.size()) {
        m_output("DONE\n");
        Q_EMIT finished();
        return;
    }
    const Step& step = script[m_nextStep++];
    step.action(*m_controller);
    if (!step.stage) {
        m_wait = m_scheduler.schedule(step.wait, [this] { runStep(); });
        return;
    }
    m_wait = m_scheduler.schedule(step.wait, [this, stage = step.stage] {
        shoot(stage);
        m_wait = m_scheduler.schedule(afterShot, [this] { runStep(); });
    });
}

void Screenshots::shoot(const char* stage)
{
    PanelWindow& panel = *m_controller->panel();
    if (!m_pictureFolder.isEmpty()) {
        // Drawn by the program itself, so the margin stays transparent whatever the desktop.
        const QString file =
            QDir(m_pictureFolder).filePath(QLatin1String(stage) + QStringLiteral(".png"));
        if (!panel.grab().save(file))
            logger.error(QStringLiteral("Quillory: cannot save the picture ") + file);
    }
    m_output(QByteArrayLiteral("SHOT ") + stage + ' ' + QByteArray::number(panel.winId()) + '\n');
}
