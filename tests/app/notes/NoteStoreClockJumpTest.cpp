#include "NoteStoreTestSupport.h"

#include "support/LogCapture.h"

#include <QFile>

#include <variant>

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

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

// After each step the store purges with "a day"; `kept` says whether the watched note is still
// there.
struct Step
{
    std::variant<Pass, Jump, Type> move;
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

const QString watched = QStringLiteral("watched");

class NoteStoreClockJumpTest : public NoteStoreFixture
{
protected:
    void SetUp() override { QFile::remove(m_path); }

    std::unique_ptr<NoteStore> storeWithNoteAged(std::chrono::seconds age)
    {
        const Note note = noteAged(age, watched);
        writeDocument({1, {note}, note.id, 0});
        return openStore();
    }

    void apply(NoteStore& store, const std::variant<Pass, Jump, Type>& move)
    {
        if (const auto* pass = std::get_if<Pass>(&move))
            m_clock.advance(pass->amount);
        else if (const auto* jump = std::get_if<Jump>(&move))
            m_clock.jump(jump->amount);
        else
            store.setText(watched);
    }

    static bool holdsWatched(const NoteStore& store) { return textsOf(store).contains(watched); }
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
            apply(*store, step.move);
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

} // namespace
