#include "NoteStoreTestSupport.h"

#include <QSet>

#include <algorithm>
#include <random>

namespace {

using namespace std::chrono_literals;

// Drives the store through a long random sequence of what a user and the timers do, checking
// after every step what must always hold, and that the document on disk matches the store.
class NoteStoreSequenceTest : public NoteStoreFixture
{
protected:
    void checkInvariants(const NoteStore& store, int step)
    {
        ASSERT_FALSE(store.notes().empty()) << "step " << step;
        ASSERT_GE(store.currentIndex(), 0) << "step " << step;
        ASSERT_LT(store.currentIndex(), int(store.notes().size())) << "step " << step;
        ASSERT_GE(store.rotateIndex(), 0);
        ASSERT_LT(store.rotateIndex(), 8);
        QSet<QUuid> ids;
        for (const Note& note : store.notes())
            ids.insert(note.id);
        ASSERT_EQ(ids.size(), qsizetype(store.notes().size())) << "step " << step;
    }

    void checkDocumentMatches(const NoteStore& store, int step)
    {
        auto reloaded = openStore();
        std::vector<Note> expected = store.notes();
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Note& a, const Note& b) { return a.order < b.order; });
        ASSERT_EQ(reloaded->notes(), expected) << "step " << step;
        ASSERT_EQ(reloaded->currentNote().id, store.currentNote().id) << "step " << step;
        ASSERT_EQ(reloaded->rotateIndex(), store.rotateIndex()) << "step " << step;
        ASSERT_FALSE(reloaded->hasUnsavedChanges());
    }
};

TEST_F(NoteStoreSequenceTest, InvariantsHoldThroughARandomSequenceOfOperations)
{
    std::mt19937 random(20261206);
    auto chance = [&](int below) { return int(random() % unsigned(below)); };
    auto store = openStore();
    const std::vector<DeleteAfter> periods{DeleteAfter::never, DeleteAfter::hour, DeleteAfter::day};

    for (int step = 0; step < 3000; ++step) {
        const int count = int(store->notes().size());
        switch (chance(14)) {
        case 0:
        case 1:
        case 2:
            store->setText(QStringLiteral("text %1 \"q\"\n\u00E9").arg(chance(50)));
            break;
        case 3:
            store->rename(chance(3) == 0 ? QStringLiteral("  ")
                                         : QStringLiteral("name %1").arg(chance(9)));
            break;
        case 4:
            store->setHue(Hues::allCases[std::size_t(chance(8))]);
            break;
        case 5:
            store->select(chance(count + 2) - 1);
            break;
        case 6:
            store->addNote(chance(2) ? QString() : QStringLiteral("new"));
            break;
        case 7:
            store->setNewNoteColor(
                chance(2) ? NewNoteColor::rotate()
                          : NewNoteColor::fixed(Hues::allCases[std::size_t(chance(8))]));
            store->addNote();
            break;
        case 8:
            store->deleteCurrent();
            break;
        case 9: {
            QSet<QUuid> ids;
            for (const Note& note : store->notes()) {
                if (chance(3) == 0)
                    ids.insert(note.id);
            }
            store->deleteNotes(ids);
            break;
        }
        case 10:
            store->undoDelete();
            break;
        case 11:
            m_clock.advance(std::chrono::seconds(chance(4000)));
            store->purgeExpired(periods[std::size_t(chance(3))]);
            break;
        case 12:
            if (chance(20) == 0)
                store->clearAll();
            else
                store->clearPendingUndo();
            break;
        default:
            m_scheduler.advance(std::chrono::milliseconds(chance(1000)));
            break;
        }
        m_clock.advance(1s);
        checkInvariants(*store, step);
        if (HasFatalFailure())
            return;
        if (step % 100 == 99) {
            store->save();
            checkDocumentMatches(*store, step);
            if (HasFatalFailure())
                return;
        }
    }
}

} // namespace
