#include "app/views/PanelTestFixture.h"

#include "app/notes/NoteFileReader.h"
#include "platform/FileWriteQueue.h"

#include "support/TestFiles.h"

#include <QSemaphore>

#include <atomic>

namespace {

using namespace std::chrono_literals;

// A disk whose every write waits at a gate until the test opens it, as one that takes seconds
// to sync would. The writes run on a real write queue's thread; one that waits out the bound
// says so.
class SlowDisk : public FileWriteQueue
{
public:
    static constexpr int boundMs = 5000;

    void submit(const QString& file, Work write, Work done, Turn turn) override
    {
        m_queue.submit(
            file,
            [this, write = std::move(write)] {
                m_started.release();
                if (!m_gate.tryAcquire(1, boundMs))
                    m_waitedOut = true;
                write();
                ++m_written;
            },
            std::move(done), turn);
    }
    bool finish(std::chrono::milliseconds bound) override { return m_queue.finish(bound); }

    bool waitForAWriteToStart() { return m_started.tryAcquire(1, boundMs); }
    void open() { m_gate.release(std::numeric_limits<int>::max() / 2); }
    int written() const { return m_written; }
    bool waitedOut() const { return m_waitedOut; }

private:
    ManualMainQueue m_outcomes;
    BackgroundFileWriteQueue m_queue{m_outcomes};
    QSemaphore m_started;
    QSemaphore m_gate;
    std::atomic<int> m_written = 0;
    std::atomic<bool> m_waitedOut = false;
};

// Made before the panel's state, which writes through it, and gone after it.
struct SlowDiskHolder
{
    SlowDisk m_disk;
};

class SlowDiskTest : protected SlowDiskHolder, public PanelTestFixture
{
protected:
    SlowDiskTest()
        : PanelTestFixture(m_disk)
    {}
    ~SlowDiskTest() override { m_disk.open(); }
};

// The save is written on the queue's thread: while it waits for the disk, the keys go on
// reaching the note and the editor goes on painting.
TEST_F(SlowDiskTest, KeysAreHandledAndPaintedWhileASaveWaitsForTheDisk)
{
    makePage();
    showActive();
    editor()->setFocus();
    QTest::keyClicks(editor(), QStringLiteral("a"));
    m_scheduler.advance(NoteStore::defaultAutosaveDelay);
    ASSERT_TRUE(m_disk.waitForAWriteToStart());

    QTest::keyClicks(editor(), QStringLiteral("bcd"));
    editor()->viewport()->repaint();
    EXPECT_EQ(editor()->text(), QStringLiteral("abcd"));
    EXPECT_EQ(textOf(0), QStringLiteral("abcd"));
    m_scheduler.advance(NoteStore::saveDeadline); // the next save waits its turn
    EXPECT_EQ(m_disk.written(), 0);
    EXPECT_TRUE(m_store.hasUnsavedChanges());

    m_disk.open();
    EXPECT_TRUE(m_disk.finish(10s));
    EXPECT_FALSE(m_disk.waitedOut());
    EXPECT_FALSE(m_store.hasUnsavedChanges());
    const auto saved = NoteFileReader::decode(TestFiles::read(m_notesFile));
    ASSERT_TRUE(saved.file);
    EXPECT_EQ(saved.file->notes.at(0).text, QStringLiteral("abcd"));
}

} // namespace
