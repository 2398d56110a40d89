#include "NoteStoreTestSupport.h"

#include "platform/BootClock.h"
#include "platform/ClockRecord.h"

#include "support/LogCapture.h"

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
// The watched note is typed now.
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

struct Case
{
    const char* what;
    std::vector<Move> firstRun; // then the program quits
    std::vector<Move> between;  // while it is not running
    // The watched note's age after the next start's purge with "a day"; none when it expired.
    std::optional<minutes> ageAtNextStart;
};

const QString watched = QStringLiteral("watched");
constexpr QFile::Permissions ownerGroupOther = QFile::Permissions(0x7077);

class NoteStoreClockRecordTest : public NoteStoreFixture
{
protected:
    void SetUp() override { removeFiles(); }

    void removeFiles() const
    {
        QFile::remove(m_path);
        QFile::remove(m_recordPath);
    }

    std::unique_ptr<NoteStore> startStore()
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

    void apply(NoteStore* store, const Move& move)
    {
        if (const auto* pass = std::get_if<Pass>(&move)) {
            m_clock.advance(pass->amount);
        } else if (const auto* jump = std::get_if<Jump>(&move)) {
            m_clock.jump(jump->amount);
        } else if (std::holds_alternative<Type>(move)) {
            store->setText(watched);
        } else if (std::holds_alternative<Reboot>(move)) {
            m_bootClock.reboot();
        } else if (const auto& bytes = std::get<Record>(move).bytes) {
            TestFiles::write(m_recordPath, *bytes);
        } else {
            QFile::remove(m_recordPath);
        }
    }

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

TEST_F(NoteStoreClockRecordTest, OnlyTimeThatPassedBetweenRunsMakesANoteExpire)
{
    const std::vector<Case> cases{
        {"set three days ahead between runs", {Type{}, Pass{1h}}, {Jump{72h}}, 1h},
        {"three days passed between runs", {Type{}, Pass{1h}}, {Pass{72h}}, std::nullopt},
        {"switched off for three days", {Type{}, Pass{1h}}, {Pass{72h}, Reboot{}}, std::nullopt},
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
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        removeFiles();
        auto store = startStore();
        for (const Move& move : testCase.firstRun)
            apply(store.get(), move);
        quit(store);
        for (const Move& move : testCase.between)
            apply(nullptr, move);
        auto nextStart = startStore();
        nextStart->purgeExpired(DeleteAfter::day);
        EXPECT_EQ(ageOfWatched(*nextStart), testCase.ageAtNextStart);
    }
}

TEST_F(NoteStoreClockRecordTest, AJumpBetweenRunsIsLoggedAsOneSeenWhileRunning)
{
    auto store = startStore();
    store->setText(watched);
    quit(store);
    m_clock.jump(72h);
    LogCapture log;
    startStore()->purgeExpired(DeleteAfter::day);
    EXPECT_EQ(log.messages(),
              QStringList{QStringLiteral("Quillory: the clock was set 259200 s ahead; no note "
                                         "expires because of that")});
}

TEST_F(NoteStoreClockRecordTest, TheRecordIsTheUsersAloneAndWrittenWhenTheClocksMoveApart)
{
    auto store = startStore();
    EXPECT_EQ(QFileInfo(QFileInfo(m_recordPath).absolutePath()).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QFileInfo(m_recordPath).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner);

    // Saves while the clocks agree leave the record as it is.
    QFile::remove(m_recordPath);
    m_clock.advance(1h);
    store->setText(QStringLiteral("typed"));
    store->save();
    EXPECT_FALSE(QFileInfo::exists(m_recordPath));

    m_clock.jump(-72h);
    store->setText(watched);
    store->save();
    EXPECT_TRUE(QFileInfo::exists(m_recordPath));
}

TEST_F(NoteStoreClockRecordTest, ARecordThatCannotBeWrittenIsToldOnceAndTriedAgain)
{
    const QString folder = QFileInfo(m_recordPath).absolutePath();
    TestFiles::write(folder, "in the way");
    LogCapture log;
    auto store = startStore();
    store->setText(QStringLiteral("typed"));
    store->save();
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
