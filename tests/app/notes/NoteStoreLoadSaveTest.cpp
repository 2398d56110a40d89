#include "NoteStoreTestSupport.h"

#include "platform/AsideFile.h"

#include "support/LogCapture.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <limits>

namespace {

using namespace std::chrono_literals;

constexpr QFile::Permissions ownerGroupOther = QFile::Permissions(0x7077);

class NoteStoreLoadTest : public NoteStoreFixture
{
protected:
    QStringList asideFiles() const
    {
        return QDir(QFileInfo(m_path).absolutePath())
            .entryList({QStringLiteral("notes.json.corrupt-*")},
                       QDir::Files | QDir::Dirs | QDir::System);
    }
};

TEST_F(NoteStoreLoadTest, AMissingDocumentGivesOneEmptyNoteAndWritesNothing)
{
    auto store = openStore();
    ASSERT_EQ(store->notes().size(), 1u);
    const Note& note = store->notes()[0];
    EXPECT_TRUE(note.text.isEmpty());
    EXPECT_EQ(note.name, QStringLiteral("Quillory"));
    EXPECT_EQ(note.hue, Hue::sand);
    EXPECT_EQ(note.order, 0);
    EXPECT_EQ(note.createdAt, note.editedAt);
    EXPECT_EQ(store->rotateIndex(), 1);
    EXPECT_EQ(store->currentIndex(), 0);
    EXPECT_FALSE(store->hasUnsavedChanges());
    m_scheduler.advance(10s);
    EXPECT_FALSE(QFileInfo::exists(m_path));
}

TEST_F(NoteStoreLoadTest, NotesAreSortedStablyByOrderAndTheCurrentNoteFoundById)
{
    std::vector<Note> notes = notesWithTexts({QStringLiteral("five"), QStringLiteral("two-a"),
                                              QStringLiteral("two-b"), QStringLiteral("nine")});
    notes[0].order = 5;
    notes[1].order = 2;
    notes[2].order = 2;
    notes[3].order = 9;
    writeDocument({1, notes, notes[0].id, 0});
    auto store = openStore();
    EXPECT_EQ(textsOf(*store), (QStringList{QStringLiteral("two-a"), QStringLiteral("two-b"),
                                            QStringLiteral("five"), QStringLiteral("nine")}));
    EXPECT_EQ(store->currentIndex(), 2);
    EXPECT_FALSE(store->hasUnsavedChanges());

    writeDocument({1, notes, QUuid::createUuid(), 0});
    EXPECT_EQ(openStore()->currentIndex(), 0);
    writeDocument({1, notes, std::nullopt, 0});
    EXPECT_EQ(openStore()->currentIndex(), 0);
}

TEST_F(NoteStoreLoadTest, RotateIndexIsBroughtIntoRangeAndSchemaVersionIsNotExamined)
{
    const auto notes = notesWithTexts({QStringLiteral("a")});
    for (const auto& [stored, expected] : std::vector<std::pair<qint64, int>>{
             {11, 3}, {-4, 0}, {7, 7}, {std::numeric_limits<qint64>::max(), 7}}) {
        writeDocument({7, notes, std::nullopt, stored});
        auto store = openStore();
        EXPECT_EQ(store->rotateIndex(), expected) << stored;
        EXPECT_EQ(textsOf(*store), QStringList{QStringLiteral("a")});
    }
}

TEST_F(NoteStoreLoadTest, AnEmptyNotesArrayGivesOneNewNote)
{
    writeDocument({1, {}, std::nullopt, 6});
    auto store = openStore();
    ASSERT_EQ(store->notes().size(), 1u);
    EXPECT_EQ(store->notes()[0].hue, Hue::coral); // rotation position 6
    EXPECT_EQ(store->rotateIndex(), 7);
    EXPECT_TRUE(asideFiles().isEmpty());
}

TEST_F(NoteStoreLoadTest, RepeatedIdsGetFreshOnesSoADeletionRemovesOneNote)
{
    std::vector<Note> notes = notesWithTexts({QStringLiteral("first"), QStringLiteral("second")});
    notes[1].id = notes[0].id;
    writeDocument({1, notes, notes[0].id, 0});
    auto store = openStore();
    ASSERT_EQ(store->notes().size(), 2u);
    EXPECT_EQ(store->notes()[0].id, notes[0].id);
    EXPECT_NE(store->notes()[1].id, notes[0].id);
    store->deleteNotes({notes[0].id});
    EXPECT_EQ(textsOf(*store), QStringList{QStringLiteral("second")});
}

TEST_F(NoteStoreLoadTest, FurtherKeysAreReadAndDroppedByTheNextSave)
{
    QByteArray bytes =
        NoteFileWriter::encode({1, notesWithTexts({QStringLiteral("a")}), std::nullopt, 0});
    bytes.replace("\"hue\"", "\"mood\" : \"calm\",\n      \"hue\"");
    TestFiles::write(m_path, bytes);
    auto store = openStore();
    EXPECT_EQ(textsOf(*store), QStringList{QStringLiteral("a")});
    store->setText(QStringLiteral("b"));
    store->save();
    EXPECT_FALSE(TestFiles::read(m_path).contains("mood"));
}

// U+FEFF is a character of a note like any other, also where it opens a text or a name: only
// the document's own first bytes may be a byte order mark.
TEST_F(NoteStoreLoadTest, AZeroWidthNoBreakSpaceInANoteOutlivesTheFirstEdit)
{
    const QString mark(QChar(0xFEFF));
    const QString opening = mark + QStringLiteral("opens");
    const QString inside = QStringLiteral("in") + mark + QStringLiteral("side");
    const QString named = mark + QStringLiteral("named");
    std::vector<Note> notes = notesWithTexts({opening, inside});
    notes[1].name = named;
    writeDocument({1, notes, std::nullopt, 0});
    auto store = openStore();
    EXPECT_EQ(textsOf(*store), (QStringList{opening, inside}));
    EXPECT_EQ(store->notes()[1].name, named);

    // Another note's edit writes this one back as it was read.
    const QString edited = inside + QStringLiteral(", edited");
    store->setText(store->notes()[1].id, edited);
    store->save();
    const QByteArray written = TestFiles::read(m_path);
    for (const QString& kept : {opening, edited, named})
        EXPECT_TRUE(written.contains('"' + kept.toUtf8() + '"')) << kept.toStdString();
}

TEST_F(NoteStoreLoadTest, UnreadableDocumentsAreMovedAsideAndTheStoreStartsAfresh)
{
    const QByteArray valid =
        NoteFileWriter::encode({1, notesWithTexts({QStringLiteral("a")}), std::nullopt, 0});
    QByteArray withoutSchema = valid;
    withoutSchema.replace("\"schemaVersion\" : 1", "\"schema\" : 1");
    QByteArray withNotesTwice = valid;
    withNotesTwice.replace("\"rotateIndex\"", "\"notes\" : [],\n  \"rotateIndex\"");
    const std::vector<std::pair<const char*, QByteArray>> corpus{
        {"empty file", QByteArray()},
        {"truncated", valid.left(valid.size() / 2)},
        {"no schemaVersion", withoutSchema},
        {"notes twice", withNotesTwice},
        {"invalid UTF-8", QByteArray(valid).replace("\"a\"", "\"\xFF\"")},
        {"wrong types", QByteArray(R"({"notes":"none","rotateIndex":0,"schemaVersion":1})")},
        {"deeply nested", "{\"n\":" + QByteArray(50000, '[') + QByteArray(50000, ']') + "}"},
    };
    for (const auto& [label, bytes] : corpus) {
        QDir(QFileInfo(m_path).absolutePath()).removeRecursively();
        TestFiles::write(m_path, bytes);
        LogCapture log;
        auto store = openStore();
        ASSERT_EQ(store->notes().size(), 1u) << label;
        EXPECT_TRUE(store->notes()[0].text.isEmpty()) << label;
        EXPECT_FALSE(QFileInfo::exists(m_path)) << label;
        const QStringList aside = asideFiles();
        ASSERT_EQ(aside.size(), 1) << label;
        EXPECT_EQ(
            aside.first(),
            QFileInfo(AsideFile::asidePath(m_path, AsideFile::corrupt, m_clock.now())).fileName());
        EXPECT_FALSE(aside.first().contains(QLatin1Char(':'))) << label;
        EXPECT_TRUE(aside.first().endsWith(QLatin1Char('Z'))) << label;
        EXPECT_EQ(
            TestFiles::read(QFileInfo(m_path).absolutePath() + QLatin1Char('/') + aside.first()),
            bytes)
            << label;
        EXPECT_EQ(log.matching(QStringLiteral("is unreadable")).size(), 1) << label;
        EXPECT_EQ(log.matching(aside.first()).size(), 1) << label;
    }
}

TEST_F(NoteStoreLoadTest, AFolderOrAFifoInPlaceOfTheDocumentIsMovedAside)
{
    QDir().mkpath(m_path);
    auto store = openStore();
    EXPECT_EQ(store->notes().size(), 1u);
    EXPECT_EQ(asideFiles().size(), 1);
    store->setText(QStringLiteral("new"));
    store->save();
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("new"));

    QFile::remove(m_path);
    m_clock.advance(1s); // a free name to move it to
    ASSERT_EQ(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    openStore(); // blocks for ever if the FIFO is opened
    EXPECT_EQ(asideFiles().size(), 2);
}

TEST_F(NoteStoreLoadTest, AnUnreadableDocumentThatCannotBeMovedAsideIsNeverOverwritten)
{
    const QByteArray unreadable("{ \"notes\": [ precious");
    TestFiles::write(m_path, unreadable);
    // The aside name is taken, so the move fails at this clock time.
    TestFiles::write(AsideFile::asidePath(m_path, AsideFile::corrupt, m_clock.now()),
                     "earlier copy");
    LogCapture log;
    auto store = openStore();
    EXPECT_EQ(log.matching(QStringLiteral("could not be moved aside")).size(), 1);

    store->setText(QStringLiteral("typed"));
    m_scheduler.advance(1s);
    EXPECT_EQ(TestFiles::read(m_path), unreadable);
    EXPECT_TRUE(store->hasUnsavedChanges());
    EXPECT_EQ(log.matching(QStringLiteral("Quillory: save failed: ")).size(), 1);

    // A second later the aside name is free: the document is moved aside and saving resumes.
    m_clock.advance(1s);
    store->setText(QStringLiteral("typed more"));
    m_scheduler.advance(1s);
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("typed more"));
    EXPECT_EQ(TestFiles::read(AsideFile::asidePath(m_path, AsideFile::corrupt, m_clock.now())),
              unreadable);
}

class NoteStoreSaveTest : public NoteStoreFixture
{};

TEST_F(NoteStoreSaveTest, ABurstOfEditsIsWrittenOnceHalfASecondAfterTheLast)
{
    auto store = openStore();
    const QString typed = QStringLiteral("hello");
    for (qsizetype length = 1; length <= typed.size(); ++length) {
        store->setText(typed.left(length));
        m_scheduler.advance(100ms);
        m_clock.advance(100ms);
    }
    EXPECT_FALSE(QFileInfo::exists(m_path));
    m_scheduler.advance(399ms);
    EXPECT_FALSE(QFileInfo::exists(m_path));
    EXPECT_TRUE(store->hasUnsavedChanges());
    m_scheduler.advance(1ms);
    ASSERT_TRUE(QFileInfo::exists(m_path));
    EXPECT_EQ(readDocument().notes.at(0).text, typed);
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_EQ(m_scheduler.pendingCount(), 0u);
}

TEST_F(NoteStoreSaveTest, SteadyTypingIsSavedByTheDeadlineAfterTheFirstUnsavedChange)
{
    auto store = openStore();
    QString typed;
    while (m_scheduler.elapsed() < 7s) { // a keystroke every 0.1 s
        store->setText(typed += QLatin1Char('a'));
        m_scheduler.advance(100ms);
        const auto saved = QFileInfo::exists(m_path) ? readDocument().notes.at(0).text.size() : 0;
        EXPECT_GE(saved, typed.size() - NoteStore::saveDeadline / 100ms) << typed.size();
    }
}

// The demonstration run's store waits an hour: its changes are not saved while it runs.
TEST_F(NoteStoreSaveTest, TheDeadlineNeverCutsALongerAutosaveDelayShort)
{
    constexpr auto delay = std::chrono::hours(1);
    NoteStore store(m_path, m_clock, m_scheduler, delay);
    QString typed;
    while (m_scheduler.elapsed() < 10s) {
        store.setText(typed += QLatin1Char('a'));
        m_scheduler.advance(100ms);
    }
    m_scheduler.advance(delay - 10s - 1ms);
    EXPECT_FALSE(QFileInfo::exists(m_path));
    m_scheduler.advance(1ms);
    EXPECT_EQ(readDocument().notes.at(0).text, typed);
}

TEST_F(NoteStoreSaveTest, SaveWritesAtOnceOnlyWhenDirtyAndCancelsThePendingSave)
{
    auto store = openStore();
    store->save();
    EXPECT_FALSE(QFileInfo::exists(m_path));
    store->setText(QStringLiteral("x"));
    store->save();
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("x"));
    EXPECT_EQ(m_scheduler.pendingCount(), 0u);
}

TEST_F(NoteStoreSaveTest, AfterASaveAndAFreshLoadTheStoreIsTheSameWithWholeSeconds)
{
    m_clock.setNow(QDateTime::fromMSecsSinceEpoch(1'714'555'800'750, Qt::UTC));
    auto store = openStore();
    store->setText(QStringLiteral("first"));
    store->addNote(QStringLiteral("second"));
    store->rename(QStringLiteral("Named"));
    store->select(0);
    store->save();
    auto reloaded = openStore();
    ASSERT_EQ(reloaded->notes().size(), 2u);
    EXPECT_EQ(reloaded->notes()[1].editedAt.toMSecsSinceEpoch(), 1'714'555'800'000);
    EXPECT_EQ(reloaded->notes()[1].name, QStringLiteral("Named"));
    EXPECT_EQ(reloaded->currentIndex(), 0);
    EXPECT_EQ(reloaded->rotateIndex(), store->rotateIndex());
    EXPECT_EQ(textsOf(*reloaded), textsOf(*store));
}

// The document fits the file buffer, so the disk's refusal shows only when that is flushed.
class NoteStoreFailedSaveTest : public NoteStoreFixture, public testing::WithParamInterface<bool>
{};
INSTANTIATE_TEST_SUITE_P(Faults, NoteStoreFailedSaveTest, testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "FullTmpfs" : "FileSizeLimit");
});

TEST_P(NoteStoreFailedSaveTest, TheOldDocumentStaysAndTheSaveIsRetriedUntilItSucceeds)
{
    const bool onFullDisk = GetParam();
    const QString folder = TestFiles::home() + QStringLiteral("/tmpfs");
    const QByteArray mountPoint = QFile::encodeName(folder);
    QDir().mkpath(folder);
    if (onFullDisk && mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const auto unmount = qScopeGuard([&] { umount2(mountPoint.constData(), MNT_DETACH); });
    m_path = folder + QStringLiteral("/notes.json");
    auto store = openStore();
    store->setText(QStringLiteral("saved"));
    store->save();
    const QByteArray saved = TestFiles::read(m_path);

    LogCapture log;
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit tight{64, previous.rlim_max};
    signal(SIGXFSZ, SIG_IGN); // else the limit ends the process
    if (onFullDisk)
        TestFiles::write(folder + QStringLiteral("/filler"), QByteArray(1 << 20, 'f'));
    else
        setrlimit(RLIMIT_FSIZE, &tight);
    store->setText(QStringLiteral("typed"));
    m_scheduler.advance(1s + NoteStore::saveRetryInterval);
    setrlimit(RLIMIT_FSIZE, &previous);
    QFile::remove(folder + QStringLiteral("/filler"));
    EXPECT_EQ(TestFiles::read(m_path), saved);
    const QString reason = qt_error_string(onFullDisk ? ENOSPC : EFBIG);
    EXPECT_EQ(log.matching(QStringLiteral("Quillory: save failed: ") + reason).size(), 1);

    m_scheduler.advance(NoteStore::saveRetryInterval);
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("typed"));
    EXPECT_EQ(m_scheduler.pendingCount(), 0u);
}

TEST_F(NoteStoreSaveTest, TheDocumentIsReadableByItsOwnerOnly)
{
    auto store = openStore();
    store->setText(QStringLiteral("private"));
    store->save();
    EXPECT_EQ(QFileInfo(QFileInfo(m_path).absolutePath()).permissions() & ownerGroupOther,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    EXPECT_EQ(QFileInfo(m_path).permissions() & ownerGroupOther, ownerOnly);

    QFile::setPermissions(m_path, ownerOnly | QFile::ReadGroup | QFile::ReadOther);
    store->setText(QStringLiteral("still private"));
    store->save();
    EXPECT_EQ(QFileInfo(m_path).permissions() & ownerGroupOther, ownerOnly);
}

} // namespace
