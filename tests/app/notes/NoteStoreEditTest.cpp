#include "NoteStoreTestSupport.h"

#include <QSignalSpy>

#include <limits>

namespace {

using namespace std::chrono_literals;

class NoteStoreEditTest : public NoteStoreFixture
{};

TEST_F(NoteStoreEditTest, AnEqualValueChangesNothingAndSchedulesNoSave)
{
    auto store = openStore();
    store->setText(QStringLiteral("same"));
    store->save();
    const QDateTime edited = store->currentNote().editedAt;
    m_clock.advance(1h);
    QSignalSpy notesChanged(store.get(), &NoteStore::notesChanged);

    store->setText(QStringLiteral("same"));
    store->setHue(store->currentNote().hue);
    store->rename(QStringLiteral("Quillory"));
    store->rename(QStringLiteral("   \n "));
    EXPECT_EQ(store->currentNote().editedAt, edited);
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_EQ(m_scheduler.pendingCount(), 0u);
    EXPECT_EQ(notesChanged.count(), 0);
}

TEST_F(NoteStoreEditTest, ChangesStampTheEditTimeAndMarkDirty)
{
    auto store = openStore();
    m_clock.advance(90s);
    store->rename(QStringLiteral("  Shopping\nlist "));
    EXPECT_EQ(store->currentNote().name, QStringLiteral("Shopping list"));
    EXPECT_EQ(store->currentNote().editedAt, m_clock.now());
    EXPECT_LT(store->currentNote().createdAt, m_clock.now());
    EXPECT_TRUE(store->hasUnsavedChanges());

    store->rename(QString());
    EXPECT_EQ(store->currentNote().name, QStringLiteral("Quillory"));

    m_clock.advance(5s);
    store->setHue(Hue::coral);
    EXPECT_EQ(store->currentNote().hue, Hue::coral);
    EXPECT_EQ(store->currentNote().editedAt, m_clock.now());
}

TEST_F(NoteStoreEditTest, EditsAddressedByIdChangeOnlyThatNote)
{
    writeDocument({1, notesWithTexts({QStringLiteral("a"), QStringLiteral("b")}), std::nullopt, 0});
    auto store = openStore();
    const QUuid first = store->notes()[0].id;
    store->select(1);
    store->setText(first, QStringLiteral("a typed late"));
    store->rename(first, QStringLiteral("First"));
    EXPECT_EQ(textsOf(*store), (QStringList{QStringLiteral("a typed late"), QStringLiteral("b")}));
    EXPECT_EQ(store->notes()[0].name, QStringLiteral("First"));
    EXPECT_EQ(store->notes()[1].name, QStringLiteral("Quillory"));

    store->deleteNotes({first});
    store->setText(first, QStringLiteral("into a deleted note"));
    EXPECT_EQ(textsOf(*store), QStringList{QStringLiteral("b")});
}

TEST_F(NoteStoreEditTest, SelectIgnoresTheCurrentAndOutOfRangePositions)
{
    writeDocument({1, notesWithTexts({QStringLiteral("a"), QStringLiteral("b")}), std::nullopt, 0});
    auto store = openStore();
    for (int position : {0, -1, 2})
        store->select(position);
    EXPECT_EQ(store->currentIndex(), 0);
    EXPECT_FALSE(store->hasUnsavedChanges());
    EXPECT_TRUE(store->hasNext());

    QSignalSpy indexChanged(store.get(), &NoteStore::currentIndexChanged);
    store->select(1);
    EXPECT_EQ(store->currentIndex(), 1);
    EXPECT_FALSE(store->hasNext());
    EXPECT_TRUE(store->hasUnsavedChanges());
    EXPECT_EQ(indexChanged.count(), 1);
}

TEST_F(NoteStoreEditTest, NewNotesRotateThroughTheHuesWithWhiteLast)
{
    writeDocument({1, notesWithTexts({QStringLiteral("a")}), std::nullopt, 7});
    auto store = openStore();
    store->addNote();
    EXPECT_EQ(store->currentNote().hue, Hue::white);
    EXPECT_EQ(store->rotateIndex(), 0);
    store->addNote();
    EXPECT_EQ(store->currentNote().hue, Hue::sand);

    store->setNewNoteColor(NewNoteColor::fixed(Hue::teal));
    store->addNote(QStringLiteral("fixed"));
    EXPECT_EQ(store->currentNote().hue, Hue::teal);
    EXPECT_EQ(store->rotateIndex(), 1);
}

TEST_F(NoteStoreEditTest, AddNoteAppendsAndMakesItCurrent)
{
    auto store = openStore();
    m_clock.advance(10s);
    store->addNote();
    ASSERT_EQ(store->notes().size(), 2u);
    EXPECT_EQ(store->currentIndex(), 1);
    const Note& added = store->currentNote();
    EXPECT_TRUE(added.text.isEmpty());
    EXPECT_EQ(added.createdAt, m_clock.now());
    EXPECT_EQ(added.editedAt, added.createdAt);
    EXPECT_EQ(added.order, 1);
    EXPECT_TRUE(store->hasUnsavedChanges());
    store->addNote(QStringLiteral("from the clipboard"));
    EXPECT_EQ(store->currentNote().text, QStringLiteral("from the clipboard"));
}

TEST_F(NoteStoreEditTest, OrderIsOneMoreThanTheLargestAndNeverOverflows)
{
    std::vector<Note> notes =
        notesWithTexts({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    notes[1].order = 4;
    notes[2].order = 2;
    writeDocument({1, notes, std::nullopt, 0});
    auto store = openStore();
    store->addNote();
    EXPECT_EQ(store->currentNote().order, 5);

    notes[0].order = std::numeric_limits<qint64>::min();
    notes[1].order = std::numeric_limits<qint64>::max();
    notes[2].order = std::numeric_limits<qint64>::max() - 1;
    writeDocument({1, notes, std::nullopt, 0});
    store = openStore();
    store->addNote(QStringLiteral("d"));
    store->addNote(QStringLiteral("e"));
    store->save();
    // Reading back keeps the sequence a, c, b, d, e.
    EXPECT_EQ(textsOf(*openStore()),
              (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b"),
                           QStringLiteral("d"), QStringLiteral("e")}));
}

TEST_F(NoteStoreEditTest, ClearAllLeavesOneNoteAndObserversNeverSeeAnEmptyList)
{
    writeDocument({1,
                   notesWithTexts({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
                   std::nullopt, 0});
    auto store = openStore();
    store->select(2);
    store->deleteCurrent();
    ASSERT_TRUE(store->pendingUndo());

    int observations = 0;
    auto check = [&] {
        ++observations;
        ASSERT_FALSE(store->notes().empty());
        ASSERT_LT(store->currentIndex(), int(store->notes().size()));
        (void)store->currentNote().text;
    };
    QObject::connect(store.get(), &NoteStore::notesChanged, store.get(), check);
    QObject::connect(store.get(), &NoteStore::currentIndexChanged, store.get(), check);
    QObject::connect(store.get(), &NoteStore::pendingUndoChanged, store.get(), check);

    store->clearAll();
    EXPECT_GT(observations, 0);
    ASSERT_EQ(store->notes().size(), 1u);
    EXPECT_TRUE(store->currentNote().text.isEmpty());
    EXPECT_EQ(store->currentNote().order, 0);
    EXPECT_EQ(store->currentIndex(), 0);
    EXPECT_FALSE(store->pendingUndo());
    EXPECT_FALSE(store->undoDelete());
    EXPECT_TRUE(store->hasUnsavedChanges());
}

TEST_F(NoteStoreEditTest, APendingSaveNeverRunsAfterTheStoreIsGone)
{
    {
        auto store = openStore();
        store->setText(QStringLiteral("x"));
    }
    m_scheduler.advance(1s);
    EXPECT_FALSE(QFileInfo::exists(m_path));
}

} // namespace
