#include "NoteStoreTestSupport.h"

#include "platform/BootClock.h"
#include "platform/ClockRecord.h"

#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <variant>

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::minutes;

// Time passing (both clocks move), or the wall clock set (it alone moves).
struct Pass
{
    milliseconds amount;
};
struct Jump
{
    milliseconds amount;
};
// The watched note is typed now, in this run.
struct Type
{};
// The machine starts again.
struct Reboot
{};
// The clock record is replaced by these bytes, or removed.
struct Record
{
    std::optional<QByteArray> bytes;
};
using Move = std::variant<Pass, Jump, Type, Reboot, Record>;

// After each step the store purges with "a day"; `kept` says whether the watched note is still
// there.
struct Step
{
    Move move;
    bool kept = true;
};

struct Case
{
    const char* what;
    // The watched note's age in the document at the start; none when it is typed during the run.
    std::optional<std::chrono::seconds> loadedAge;
    std::vector<Step> steps;
    // How far the wall clock is off when the store opens.
    milliseconds clockOffAtStart{0};
};

// Two runs of the program, each with a store that records the clock.
struct RunsCase
{
    const char* what;
    std::vector<Move> firstRun; // then the program quits
    std::vector<Move> between;  // while it is not running
    // The watched note's age after the next start's purge with "a day"; none when it expired.
    std::optional<minutes> ageAtNextStart;
};

const QString watched = QStringLiteral("watched");
constexpr QFile::Permissions ownerGroupOther = QFile::Permissions(0x7077);

class NoteStoreClockJumpTest : public NoteStoreFixture
{
protected:
    void SetUp() override { removeFiles(); }

    void removeFiles() const
    {
        QFile::remove(m_path);
        QFile::remove(m_recordPath);
    }

    std::unique_ptr<NoteStore> startRecordingStore()
    {
        return std::make_unique<NoteStore>(
            m_path, m_clock, m_scheduler, NoteStore::defaultAutosaveDelay,
            FileWriteQueue::immediate(),
            std::make_shared<ClockRecord>(m_recordPath, m_clock, m_bootClock));
    }

    // As the program quits.
    static void quit(std::unique_ptr<NoteStore>& store)
    {
        store->save();
        store.reset();
    }

    std::unique_ptr<NoteStore> storeWithNoteAged(std::chrono::seconds age)
    {
        const Note note = noteAged(age, watched);
        writeDocument({1, {note}, note.id, 0});
        return openStore();
    }

    // `store` is none between runs.
    void apply(NoteStore* store, const Move& move)
    {
        if (const auto* pass = std::get_if<Pass>(&move))
            m_clock.advance(pass->amount);
        else if (const auto* jump = std::get_if<Jump>(&move))
            m_clock.jump(jump->amount);
        else if (std::holds_alternative<Type>(move)) {
            ASSERT_NE(store, nullptr) << "nothing can be typed between runs";
            store->setText(watched);
        } else if (std::holds_alternative<Reboot>(move))
            m_bootClock.reboot();
        else if (const auto& bytes = std::get<Record>(move).bytes)
            TestFiles::write(m_recordPath, *bytes);
        else
            QFile::remove(m_recordPath);
    }

    static bool holdsWatched(const NoteStore& store) { return textsOf(store).contains(watched); }

    std::optional<minutes> ageOfWatched(const NoteStore& store) const
    {
        for (const Note& note : store.notes()) {
            if (note.text == watched)
                return std::chrono::duration_cast<minutes>(
                    milliseconds(note.editedAt.msecsTo(m_clock.now())));
        }
        return std::nullopt;
    }

    const QString m_recordPath = ClockRecord::defaultPath();
    ManualBootClock m_bootClock{m_clock};
};

TEST_F(NoteStoreClockJumpTest, OnlyTimeThatReallyPassedMakesANoteExpire)
{
    const QDateTime start = m_clock.now();
    const milliseconds toYear2000 =
        milliseconds(start.msecsTo(QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC)));
    const std::vector<Case> cases{
        {"switched off for a week: gone at the first purge", 24h * 8, {{Pass{0ms}, false}}},
        {"asleep for a week while running", 1h, {{Pass{24h * 7}, false}}},
        {"set three days ahead while running",
         1h,
         {{Jump{72h}}, {Pass{22h + 59min}}, {Pass{1min}, false}}},
        {"set three days back: the note's time lies ahead of the clock",
         1h,
         {{Jump{-72h}}, {Pass{72h + 22h + 59min}}, {Pass{1min}, false}}},
        {"a step within the tolerance is time like any other", 23h + 59min, {{Jump{60s}, false}}},
        {"a step just past the tolerance is a jump", 23h + 59min, {{Jump{61s}}}},
        {"steps below the tolerance add up", 23h + 59min, {{Jump{50s}}, {Jump{50s}}}},
        {"typed in this run, then set ahead",
         std::nullopt,
         {{Type{}}, {Jump{72h}}, {Pass{23h + 59min}}, {Pass{1min}, false}}},
        {"typed while a dead clock said 2000, then set right by the network",
         std::nullopt,
         {{Type{}}, {Pass{5min}}, {Jump{-toYear2000}}, {Pass{23h + 54min}}, {Pass{1min}, false}},
         toYear2000},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        m_clock.setNow(start.addMSecs(testCase.clockOffAtStart.count()));
        QFile::remove(m_path);
        auto store = testCase.loadedAge ? storeWithNoteAged(*testCase.loadedAge) : openStore();
        for (std::size_t index = 0; index < testCase.steps.size(); ++index) {
            const Step& step = testCase.steps[index];
            apply(store.get(), step.move);
            store->purgeExpired(DeleteAfter::day);
            EXPECT_EQ(holdsWatched(*store), step.kept) << "after step " << index + 1;
        }
    }
}

TEST_F(NoteStoreClockJumpTest, TheCorrectedEditTimeIsSavedSoTheNextStartKeepsTheNote)
{
    auto store = openStore();
    m_clock.jump(-24h * 365 * 20); // a dead clock battery
    store->setText(watched);
    m_clock.advance(5min);
    m_clock.jump(24h * 365 * 20); // the network sets it right
    store->purgeExpired(DeleteAfter::day);
    EXPECT_EQ(store->currentNote().editedAt, m_clock.now().addSecs(-5 * 60));
    m_scheduler.advance(NoteStore::saveDeadline);
    EXPECT_FALSE(store->hasUnsavedChanges());
    store.reset();

    m_clock.advance(1h);
    auto nextStart = openStore();
    EXPECT_EQ(nextStart->purgeExpired(DeleteAfter::day), 0);
    EXPECT_TRUE(holdsWatched(*nextStart));
}

TEST_F(NoteStoreClockJumpTest, AnEditThatSeesAJumpTellsTheViewsOnceItsTextIsIn)
{
    auto store = storeWithNoteAged(1h);
    QStringList textsShown;
    QObject::connect(store.get(), &NoteStore::notesChanged,
                     [&] { textsShown.append(store->currentNote().text); });
    m_clock.jump(72h);
    store->setText(QStringLiteral("typed"));
    EXPECT_EQ(textsShown, QStringList{QStringLiteral("typed")});
}

TEST_F(NoteStoreClockJumpTest, AnUndoAfterAJumpBringsBackANoteThatStays)
{
    auto store = storeWithNoteAged(1h);
    store->deleteCurrent();
    m_clock.jump(72h);
    store->purgeExpired(DeleteAfter::day);
    ASSERT_TRUE(store->undoDelete());
    EXPECT_EQ(store->purgeExpired(DeleteAfter::day), 0);
    EXPECT_TRUE(holdsWatched(*store));
}

TEST_F(NoteStoreClockJumpTest, JumpsAndEveryPurgeThatRemovesNotesAreLogged)
{
    auto store = storeWithNoteAged(2h);
    LogCapture log;
    EXPECT_EQ(store->purgeExpired(DeleteAfter::week), 0);
    m_clock.jump(-72h);
    store->purgeExpired(DeleteAfter::never);
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 0);
    EXPECT_EQ(log.messages(),
              QStringList{QStringLiteral("Quillory: the clock was set 259200 s back; no note "
                                         "expires because of that")});

    m_clock.jump(72h);
    m_clock.advance(1h);
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 1);
    EXPECT_EQ(log.matching(QStringLiteral("Quillory: auto-delete removed 1 note(s) last edited at "
                                          "or before ")
                               .append(m_clock.now().addSecs(-3600).toString(Qt::ISODate)))
                  .size(),
              1);
}

TEST_F(NoteStoreClockJumpTest, OnlyTimeThatPassedBetweenRunsMakesANoteExpire)
{
    const std::vector<RunsCase> cases{
        {"set three days ahead between runs", {Type{}, Pass{1h}}, {Jump{72h}}, 1h},
        {"three days passed between runs", {Type{}, Pass{1h}}, {Pass{72h}}, std::nullopt},
        {"restarted and set three days ahead: nothing tells it from time that passed",
         {Type{}, Pass{1h}},
         {Reboot{}, Jump{72h}},
         std::nullopt},
        {"no record", {Type{}, Pass{1h}}, {Jump{72h}, Record{}}, std::nullopt},
        {"a record that cannot be read",
         {Type{}, Pass{1h}},
         {Jump{72h}, Record{QByteArray("{\"bootID\":")}},
         std::nullopt},
        {"set three days back between runs: the note's time lies ahead of the clock",
         {Type{}, Pass{1h}},
         {Jump{-72h}},
         -71h},
        {"a step within the tolerance is time like any other",
         {Type{}, Pass{23h + 59min}},
         {Jump{60s}},
         std::nullopt},
        {"a step just past the tolerance is a jump",
         {Type{}, Pass{23h + 59min}},
         {Jump{61s}},
         23h + 59min},
        {"set ahead just before quitting: the save carries the note with it",
         {Type{}, Pass{1h}, Jump{72h}},
         {},
         1h},
        {"typed while the clock was three days behind, set right between runs",
         {Jump{-72h}, Type{}, Pass{1h}},
         {Jump{72h}},
         1h},
    };
    for (const RunsCase& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        removeFiles();
        m_bootClock.reboot(); // a machine just started, whatever the cases before did
        auto store = startRecordingStore();
        for (const Move& move : testCase.firstRun)
            apply(store.get(), move);
        quit(store);
        for (const Move& move : testCase.between)
            apply(nullptr, move);
        auto nextStart = startRecordingStore();
        nextStart->purgeExpired(DeleteAfter::day);
        EXPECT_EQ(ageOfWatched(*nextStart), testCase.ageAtNextStart);
    }
}

TEST_F(NoteStoreClockJumpTest, AJumpBetweenRunsIsLoggedAsOneSeenWhileRunning)
{
    auto store = startRecordingStore();
    store->setText(watched);
    quit(store);
    m_clock.jump(72h);
    LogCapture log;
    startRecordingStore()->purgeExpired(DeleteAfter::day);
    EXPECT_EQ(log.messages(),
              QStringList{QStringLiteral("Quillory: the clock was set 259200 s ahead; no note "
                                         "expires because of that")});
}

TEST_F(NoteStoreClockJumpTest, TheRecordIsTheUsersAloneAndWrittenWhenTheClocksMoveApart)
{
    auto store = startRecordingStore();
    EXPECT_EQ(QFileInfo(QFileInfo(m_recordPath).absolutePath()).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QFileInfo(m_recordPath).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner);

    // Saves while the clocks agree, drift aside, leave the record as it is.
    QFile::remove(m_recordPath);
    m_clock.advance(1h);
    m_clock.jump(ClockJumpDetector::tolerance);
    store->setText(QStringLiteral("typed"));
    store->save();
    EXPECT_FALSE(QFileInfo::exists(m_recordPath));

    m_clock.jump(-72h);
    store->setText(watched);
    store->save();
    EXPECT_TRUE(QFileInfo::exists(m_recordPath));
}

TEST_F(NoteStoreClockJumpTest, ARecordThatCannotBeWrittenIsToldOnceAndTriedAgain)
{
    const QString folder = QFileInfo(m_recordPath).absolutePath();
    QDir(folder).removeRecursively(); // left by the cases before, in one run of them all
    TestFiles::write(folder, "in the way");
    LogCapture log;
    auto store = startRecordingStore();
    store->setText(watched);
    store->save();
    EXPECT_EQ(log.matching(QStringLiteral("Quillory: could not record the clock in ")).size(), 1);
    EXPECT_EQ(readDocument().notes.at(0).text, watched);

    QFile::remove(folder);
    store->setText(QStringLiteral("typed again"));
    store->save();
    EXPECT_TRUE(QFileInfo::exists(m_recordPath));
}

} // namespace
