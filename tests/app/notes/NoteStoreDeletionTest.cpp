#include "NoteStoreTestSupport.h"

#include <QSignalSpy>

namespace {

using namespace std::chrono_literals;

class NoteStoreDeletionTest : public NoteStoreFixture
{
protected:
    std::unique_ptr<NoteStore> storeWith(const QStringList& texts, int current)
    {
        const auto notes = notesWithTexts(texts);
        writeDocument({1, notes, notes[std::size_t(current)].id, 0});
        return openStore();
    }
    static QSet<QUuid> idsOf(const NoteStore& store, const QStringList& texts)
    {
        QSet<QUuid> ids;
        for (const Note& note : store.notes()) {
            if (texts.contains(note.text))
                ids.insert(note.id);
        }
        return ids;
    }
    const QStringList abcd{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                           QStringLiteral("D")};
};

TEST_F(NoteStoreDeletionTest, TheFollowingNoteBecomesCurrent)
{
    struct Case
    {
        int current;
        QStringList deleted;
        QString expectedCurrent;
        int expectedIndex;
    };
    const std::vector<Case> cases{
        {2, {QStringLiteral("C")}, QStringLiteral("D"), 2},
        {3, {QStringLiteral("D")}, QStringLiteral("C"), 2},
        {2, {QStringLiteral("A"), QStringLiteral("C")}, QStringLiteral("D"), 1},
        {2, {QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("C"), 0},
        {1, {QStringLiteral("C"), QStringLiteral("D")}, QStringLiteral("B"), 1},
        {3,
         {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")},
         QStringLiteral("A"),
         0},
    };
    for (const Case& testCase : cases) {
        auto store = storeWith(abcd, testCase.current);
        const auto record = store->deleteNotes(idsOf(*store, testCase.deleted));
        EXPECT_EQ(store->currentNote().text, testCase.expectedCurrent)
            << testCase.deleted.join(u',').toStdString();
        EXPECT_EQ(store->currentIndex(), testCase.expectedIndex);
        ASSERT_EQ(record.entries.size(), std::size_t(testCase.deleted.size()));
        EXPECT_FALSE(record.replacementID);
        EXPECT_EQ(store->pendingUndo(), record);
        EXPECT_TRUE(store->hasUnsavedChanges());
    }
}

TEST_F(NoteStoreDeletionTest, TheRecordListsEntriesInListOrderWithTheirPositions)
{
    auto store = storeWith(abcd, 0);
    const auto record =
        store->deleteNotes(idsOf(*store, {QStringLiteral("D"), QStringLiteral("B")}));
    ASSERT_EQ(record.entries.size(), 2u);
    EXPECT_EQ(record.entries[0].note.text, QStringLiteral("B"));
    EXPECT_EQ(record.entries[0].index, 1);
    EXPECT_EQ(record.entries[1].note.text, QStringLiteral("D"));
    EXPECT_EQ(record.entries[1].index, 3);
}

TEST_F(NoteStoreDeletionTest, DeletingNothingChangesNothing)
{
    auto store = storeWith(abcd, 1);
    store->deleteCurrent();
    store->save();
    const auto pending = store->pendingUndo();
    const auto record = store->deleteNotes({QUuid::createUuid()});
    EXPECT_TRUE(record.entries.empty());
    EXPECT_FALSE(record.replacementID);
    EXPECT_EQ(store->pendingUndo(), pending);
    EXPECT_EQ(store->notes().size(), 3u);
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_EQ(m_scheduler.pendingCount(), 0u);
}

TEST_F(NoteStoreDeletionTest, DeletingTheOnlyNoteAddsAReplacementThatUndoRemoves)
{
    auto store = storeWith({QStringLiteral("only")}, 0);
    const auto record = store->deleteCurrent();
    ASSERT_EQ(store->notes().size(), 1u);
    EXPECT_TRUE(store->currentNote().text.isEmpty());
    EXPECT_EQ(record.replacementID, store->currentNote().id);
    EXPECT_EQ(store->currentNote().order, 0);

    EXPECT_TRUE(store->undoDelete());
    EXPECT_EQ(textsOf(*store), QStringList{QStringLiteral("only")});
    EXPECT_EQ(store->currentIndex(), 0);
    EXPECT_FALSE(store->pendingUndo());
    EXPECT_FALSE(store->undoDelete());
}

TEST_F(NoteStoreDeletionTest, ATypedReplacementIsKeptAndTheOldNotesGoBeforeIt)
{
    auto store = storeWith({QStringLiteral("A"), QStringLiteral("B")}, 1);
    store->deleteNotes(idsOf(*store, {QStringLiteral("A"), QStringLiteral("B")}));
    store->setText(QStringLiteral("typed"));
    EXPECT_TRUE(store->undoDelete());
    EXPECT_EQ(textsOf(*store),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("typed")}));
    EXPECT_EQ(store->currentIndex(), 0);
}

TEST_F(NoteStoreDeletionTest, UndoRestoresNotesWholeAtTheirPlaces)
{
    auto store = storeWith(abcd, 2);
    const Note before = store->notes()[1];
    store->deleteNotes(idsOf(*store, {QStringLiteral("B"), QStringLiteral("D")}));
    m_clock.advance(1h);
    ASSERT_TRUE(store->undoDelete());
    EXPECT_EQ(textsOf(*store), abcd);
    EXPECT_EQ(store->notes()[1], before); // editedAt included
    EXPECT_EQ(store->currentIndex(), 1);
}

TEST_F(NoteStoreDeletionTest, OnlyTheLastDeletionCanBeUndone)
{
    auto store = storeWith(abcd, 0);
    store->deleteNotes(idsOf(*store, {QStringLiteral("A")}));
    store->deleteNotes(idsOf(*store, {QStringLiteral("C")}));
    ASSERT_TRUE(store->undoDelete());
    EXPECT_EQ(textsOf(*store),
              (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
    EXPECT_EQ(store->currentNote().text, QStringLiteral("C"));
}

class NoteStorePurgeTest : public NoteStoreDeletionTest
{
protected:
    std::unique_ptr<NoteStore> storeWithAges(const std::vector<std::chrono::seconds>& ages,
                                             int current)
    {
        std::vector<Note> notes;
        for (const auto age : ages)
            notes.push_back(noteAged(age, QString::number(age.count()), qint64(notes.size())));
        writeDocument({1, notes, notes[std::size_t(current)].id, 0});
        return openStore();
    }
};

TEST_F(NoteStorePurgeTest, NeverPurgesNothingWhateverTheAge)
{
    auto store = storeWithAges({std::chrono::hours(24 * 365 * 5)}, 0);
    EXPECT_EQ(store->purgeExpired(DeleteAfter::never), 0);
    EXPECT_EQ(store->notes().size(), 1u);
    EXPECT_FALSE(store->hasUnsavedChanges());
}

TEST_F(NoteStorePurgeTest, ANoteEditedExactlyAtTheCutOffIsRemoved)
{
    auto store = storeWithAges({3600s, 3599s, 7200s, 10s}, 1);
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 2);
    EXPECT_EQ(textsOf(*store), (QStringList{QStringLiteral("3599"), QStringLiteral("10")}));
    EXPECT_EQ(store->currentNote().text, QStringLiteral("3599"));
    EXPECT_TRUE(store->hasUnsavedChanges());
}

TEST_F(NoteStorePurgeTest, EachPeriodHasItsOwnCutOff)
{
    const std::vector<std::pair<DeleteAfter, std::chrono::seconds>> periods{
        {DeleteAfter::hour, 3600s},
        {DeleteAfter::day, 86400s},
        {DeleteAfter::week, 604800s},
        {DeleteAfter::month, 2592000s}};
    for (const auto& [period, interval] : periods) {
        auto store = storeWithAges({interval, interval - 1s}, 0);
        EXPECT_EQ(store->purgeExpired(period), 1);
        EXPECT_EQ(store->notes().size(), 1u);
    }
}

TEST_F(NoteStorePurgeTest, WhenTheCurrentNoteGoesTheNearestPositionIsKept)
{
    auto store = storeWithAges({10s, 10s, 2h, 2h}, 3);
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 2);
    EXPECT_EQ(store->currentIndex(), 1);
}

TEST_F(NoteStorePurgeTest, WhenEveryNoteExpiredOneEmptyNoteRemains)
{
    auto store = storeWithAges({2h, 3h, 4h}, 2);
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 3);
    ASSERT_EQ(store->notes().size(), 1u);
    EXPECT_TRUE(store->currentNote().text.isEmpty());
    EXPECT_EQ(store->currentIndex(), 0);
    // One more than the largest order of the notes it replaces, and saved with it.
    EXPECT_EQ(store->currentNote().order, 3);

    const std::vector<Note> gapped{noteAged(2h, QStringLiteral("five"), 5),
                                   noteAged(3h, QStringLiteral("seven"), 7)};
    store.reset();
    writeDocument({1, gapped, gapped[0].id, 0});
    store = openStore();
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 2);
    EXPECT_EQ(store->currentNote().order, 8);
    store->save();
    ASSERT_EQ(readDocument().notes.size(), 1u);
    EXPECT_EQ(readDocument().notes[0].order, 8);
}

TEST_F(NoteStorePurgeTest, APendingUndoOfExpiredNotesIsDroppedOnlyWhenSomethingIsPurged)
{
    auto store = storeWithAges({2h, 10s, 5s}, 0);
    store->deleteCurrent(); // the two-hour-old note waits for an undo
    store->save();
    QSignalSpy undoChanged(store.get(), &NoteStore::pendingUndoChanged);

    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 0);
    EXPECT_TRUE(store->pendingUndo());
    EXPECT_FALSE(store->hasUnsavedChanges());

    m_clock.advance(3590s); // the note edited 10 s ago is now exactly an hour old
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 1);
    EXPECT_FALSE(store->pendingUndo());
    EXPECT_EQ(undoChanged.count(), 1);
}

TEST_F(NoteStorePurgeTest, APendingUndoOfFreshNotesSurvivesAPurge)
{
    auto store = storeWithAges({2h, 10s, 20s}, 1);
    store->deleteCurrent();
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 1);
    ASSERT_TRUE(store->pendingUndo());
    EXPECT_TRUE(store->undoDelete());
    // Back at its old position, which is now past the end.
    EXPECT_EQ(textsOf(*store), (QStringList{QStringLiteral("20"), QStringLiteral("10")}));
}

TEST_F(NoteStorePurgeTest, UndoAfterThePurgeShrankTheListInsertsAtTheEnd)
{
    auto store = storeWithAges({2h, 3h, 10s, 20s}, 2);
    store->deleteCurrent(); // "10" at position 2
    EXPECT_EQ(store->purgeExpired(DeleteAfter::hour), 2);
    ASSERT_TRUE(store->undoDelete());
    EXPECT_EQ(textsOf(*store), (QStringList{QStringLiteral("20"), QStringLiteral("10")}));
    EXPECT_EQ(store->currentIndex(), 1);
}

} // namespace
