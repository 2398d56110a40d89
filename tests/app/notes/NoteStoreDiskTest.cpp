#include "NoteStoreTestSupport.h"

#include "platform/AsideFile.h"
#include "platform/FileWriteQueue.h"
#include "platform/FolderLock.h"
#include "platform/StoredFile.h"
#include "platform/TrackedFile.h"

#include "support/LogCapture.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <tuple>

namespace {

using namespace std::chrono_literals;

// The store as the program makes it: its saves go through a write queue, here one that holds
// them until the test lets them run.
class NoteStoreWriteQueueTest : public NoteStoreFixture
{
protected:
    ManualFileWriteQueue m_writes;
    NoteStore m_store{m_path, m_clock, m_scheduler, NoteStore::defaultAutosaveDelay, m_writes};
};

TEST_F(NoteStoreWriteQueueTest, TypingGoesOnWhileASaveWaitsAndOnlyTheLatestStateIsWritten)
{
    m_store.setText(QStringLiteral("a"));
    m_store.save();
    EXPECT_FALSE(QFileInfo::exists(m_path));
    // A save that ends after a newer change leaves that change owed.
    m_store.setText(QStringLiteral("ab"));
    EXPECT_EQ(m_writes.runPending(), 1);
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("a"));
    EXPECT_TRUE(m_store.hasUnsavedChanges());

    m_scheduler.advance(NoteStore::defaultAutosaveDelay);
    m_store.setText(QStringLiteral("abc"));
    EXPECT_EQ(m_store.currentNote().text, QStringLiteral("abc"));
    m_scheduler.advance(NoteStore::defaultAutosaveDelay);
    EXPECT_EQ(m_writes.runPending(), 1);
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("abc"));
    EXPECT_FALSE(m_store.hasUnsavedChanges());
    m_store.save();
    EXPECT_TRUE(m_writes.isEmpty());
}

// What keeps a save from reaching the disk, and how it is put right.
struct Fault
{
    const char* label;
    std::function<bool(const QString& document)> cause; // false: cannot be caused here
    std::function<void(const QString& document)> cure;
};

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

class NoteStoreSaveProblemTest : public NoteStoreFixture
{};

TEST_F(NoteStoreSaveProblemTest, SavingThatKeepsFailingIsShownWithWhatAndWhereUntilASaveSucceeds)
{
    const std::vector<Fault> faults{
        {"a dangling symbolic link",
         [](const QString& document) {
             QDir().mkpath(folderOf(document));
             return QFile::link(QStringLiteral("/nonexistent/notes.json"), document);
         },
         [](const QString& document) { QFile::remove(document); }},
        {"a file where the folder should be",
         [](const QString& document) {
             TestFiles::write(folderOf(document), "in the way");
             return true;
         },
         [](const QString& document) { QFile::remove(folderOf(document)); }},
        // The owner's write permission does not stop root, a read-only mount does.
        {"a read-only folder",
         [](const QString& document) {
             const QByteArray folder = QFile::encodeName(folderOf(document));
             QDir().mkpath(folderOf(document));
             if (geteuid() == 0)
                 return mount("tmpfs", folder.constData(), "tmpfs", MS_RDONLY, "size=1m") == 0;
             return QFile::setPermissions(folderOf(document), QFile::ReadOwner | QFile::ExeOwner);
         },
         [](const QString& document) {
             if (geteuid() == 0)
                 umount2(QFile::encodeName(folderOf(document)).constData(), MNT_DETACH);
             QFile::setPermissions(folderOf(document),
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
         }},
    };
    for (const Fault& fault : faults) {
        m_path = TestFiles::home() + QStringLiteral("/%1/Quillory/notes.json")
                                         .arg(QString::fromLatin1(fault.label).replace(u' ', u'-'));
        if (!fault.cause(m_path)) {
            ADD_FAILURE() << "could not cause " << fault.label;
            continue;
        }
        const auto cure = qScopeGuard([&] { fault.cure(m_path); });
        LogCapture log;
        auto store = openStore();
        store->setText(QStringLiteral("typed"));
        m_scheduler.advance(NoteStore::saveRetryInterval * 3);
        ASSERT_EQ(log.matching(QStringLiteral("Quillory: save failed: ")).size(), 1) << fault.label;
        const QString reason = log.matching(QStringLiteral("save failed"))
                                   .first()
                                   .section(QStringLiteral("save failed: "), 1);
        const QString shownPath = QLatin1Char('~') + m_path.mid(TestFiles::home().size());
        EXPECT_TRUE(store->saveProblem().contains(reason)) << fault.label;
        EXPECT_TRUE(store->saveProblem().contains(shownPath))
            << fault.label << ": " << store->saveProblem().toStdString();

        fault.cure(m_path);
        m_scheduler.advance(NoteStore::saveRetryInterval);
        EXPECT_TRUE(store->saveProblem().isEmpty()) << fault.label;
        EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("typed")) << fault.label;
    }
}

using NoteStoreFolderLockTest = NoteStoreFixture;

// The notes' folder removed while the program runs: the save that makes it again takes the lock
// in it again. A copy that took the new folder first keeps it: nothing is written over its notes,
// which the save problem says, until it has gone.
TEST_F(NoteStoreFolderLockTest, ASaveThatMakesTheFolderAgainTakesItsLockAgainUnlessAnotherCopyHasIt)
{
    const QString folder = folderOf(m_path);
    const auto lock = std::make_shared<FolderLock>(folder);
    ASSERT_EQ(lock->tryLock({}), FolderLock::Result::acquired);
    NoteStore store(m_path, m_clock, m_scheduler, NoteStore::defaultAutosaveDelay,
                    FileWriteQueue::immediate(), nullptr, lock);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    store.setText(QStringLiteral("a"));
    store.save();
    FolderLock later(folder);
    EXPECT_EQ(later.tryLock({}), FolderLock::Result::heldElsewhere);

    ASSERT_TRUE(QDir(folder).removeRecursively());
    auto meanwhile = std::make_unique<FolderLock>(folder);
    ASSERT_EQ(meanwhile->tryLock({}), FolderLock::Result::acquired);
    store.setText(QStringLiteral("ab"));
    store.save();
    EXPECT_FALSE(QFileInfo::exists(m_path));
    EXPECT_TRUE(store.saveProblem().contains(QStringLiteral("another copy of Quillory")));
    meanwhile.reset();
    m_scheduler.advance(NoteStore::saveRetryInterval);
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("ab"));
    EXPECT_EQ(later.tryLock({}), FolderLock::Result::heldElsewhere);
}

using NoteStoreOutsideChangeTest = NoteStoreFixture;

// Two copies of the program on one document, or a sync tool writing it: each save keeps what
// the other wrote beside the document before replacing it.
TEST_F(NoteStoreOutsideChangeTest, TwoStoresOnOneDocumentKeepEachOthersVersionBesideIt)
{
    auto first = openStore();
    first->setText(QStringLiteral("first"));
    first->save();
    auto second = openStore();
    first->setText(QStringLiteral("first, later"));
    first->save();

    LogCapture log;
    second->setText(QStringLiteral("second"));
    second->save();
    EXPECT_EQ(readDocument().notes.at(0).text, QStringLiteral("second"));
    const QString firstKept = AsideFile::asidePath(m_path, TrackedFile::outside, m_clock.now());
    EXPECT_EQ(TestFiles::read(firstKept), NoteFileWriter::encode(first->makeNoteFile()));
    EXPECT_EQ(log.matching(firstKept).size(), 1);
    ASSERT_EQ(second->notices().size(), 1);
    EXPECT_TRUE(second->notices()[0].contains(QFileInfo(firstKept).fileName()));
    EXPECT_TRUE(first->notices().isEmpty());
}

// What a newer version of the program may write that this one cannot write back.
struct NewerDocument
{
    const char* label;
    std::vector<std::pair<QByteArray, QByteArray>> changes; // to the document this one writes
    QString keptAs;
    QString keptBecause; // in the log line that names the copy
};

TEST_F(NoteStoreOutsideChangeTest, ADocumentOfANewerVersionIsKeptBeforeItIsFirstWrittenOver)
{
    const std::pair<QByteArray, QByteArray> newerForm{
        "\"schemaVersion\" : 1", "\"schemaVersion\" : 2,\n  \"tags\" : [\"kept\"]"};
    const std::pair<QByteArray, QByteArray> laterColour{"\"sky\"", "\"gold\""};
    const std::vector<NewerDocument> documents{
        {"a newer form", {newerForm}, QStringLiteral("schema2"), QStringLiteral("newer version")},
        {"a colour added later",
         {laterColour},
         QStringLiteral("hues"),
         QStringLiteral("colour name that was not known")},
        {"both",
         {newerForm, laterColour},
         QStringLiteral("schema2"),
         QStringLiteral("newer version")},
    };
    for (const NewerDocument& newer : documents) {
        SCOPED_TRACE(newer.label);
        QDir(folderOf(m_path)).removeRecursively();
        std::vector<Note> notes = notesWithTexts({QStringLiteral("a"), QStringLiteral("b")});
        notes[1].hue = Hue::sky;
        QByteArray bytes = NoteFileWriter::encode({1, notes, std::nullopt, 0});
        for (const auto& [from, to] : newer.changes)
            bytes.replace(from, to);
        TestFiles::write(m_path, bytes);
        LogCapture log;
        auto store = openStore();
        EXPECT_EQ(textsOf(*store), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        EXPECT_EQ(log.matching(QStringLiteral("does not know (gold)")).size(),
                  int(bytes.contains("gold")));
        m_scheduler.advance(1min);
        // Nothing written, nothing kept.
        EXPECT_EQ(QDir(folderOf(m_path)).entryList(QDir::Files),
                  QStringList{QStringLiteral("notes.json")});

        store->setText(QStringLiteral("c"));
        store->save();
        const QString kept = AsideFile::asidePath(m_path, newer.keptAs, m_clock.now());
        EXPECT_EQ(TestFiles::read(kept), bytes);
        const QStringList keptLines = log.matching(kept);
        ASSERT_EQ(keptLines.size(), 1);
        EXPECT_TRUE(keptLines[0].contains(newer.keptBecause)) << keptLines[0].toStdString();
        const NoteFile written = readDocument();
        EXPECT_EQ(written.schemaVersion, NoteFile::currentSchemaVersion);
        EXPECT_EQ(written.notes.at(1).hue, bytes.contains("gold") ? Hues::defaultHue : Hue::sky);
        m_clock.advance(1s);
        store->setText(QStringLiteral("d"));
        store->save();
        EXPECT_EQ(QDir(folderOf(m_path)).entryList(QDir::Files).size(), 2);
    }
}

// Whatever mode the file they come from had (a sync tool's 0644), the copies of the notes
// beside the document are its user's alone, as the document is, and so is the folder they are
// in, whoever opened it to others (0755 left by an older version or made by hand).
TEST_F(NoteStoreOutsideChangeTest, EveryCopyKeptBesideTheDocumentIsItsUsersAlone)
{
    QByteArray newerForm =
        NoteFileWriter::encode({1, notesWithTexts({QStringLiteral("a")}), std::nullopt, 0});
    QByteArray laterColour = newerForm;
    newerForm.replace("\"schemaVersion\" : 1", "\"schemaVersion\" : 2");
    laterColour.replace("\"white\"", "\"gold\"");
    // Found at the start, or written by another program after the first save.
    const std::vector<std::tuple<const char*, QByteArray, QByteArray>> sources{
        {"unreadable", "{ not a document", {}},
        {"a newer form", newerForm, {}},
        {"a colour added later", laterColour, {}},
        {"changed outside", {}, "{ \"theirs\" : true }"},
    };
    const auto mode = [](const QString& path) {
        struct stat status = {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
        return status.st_mode & 07777;
    };
    const auto writeTheirs = [](const QString& path, const QByteArray& bytes) {
        TestFiles::write(path, bytes);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther);
    };
    for (const auto& [label, atStart, afterSave] : sources) {
        SCOPED_TRACE(label);
        QDir folder(folderOf(m_path));
        folder.removeRecursively();
        ASSERT_TRUE(folder.mkpath(folder.path()));
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ExeOwner | QFile::ReadGroup |
                                                 QFile::ExeGroup | QFile::ReadOther |
                                                 QFile::ExeOther);
        if (!atStart.isEmpty())
            writeTheirs(m_path, atStart);
        auto store = openStore();
        store->setText(QStringLiteral("ours"));
        store->save();
        if (!afterSave.isEmpty()) {
            writeTheirs(m_path, afterSave);
            store->setText(QStringLiteral("ours again"));
            store->save();
        }
        const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files.size(), 2) << files.join(u' ').toStdString();
        for (const QString& file : files)
            EXPECT_EQ(mode(folder.filePath(file)), 0600u) << file.toStdString();
        EXPECT_EQ(mode(folder.path()), 0700u);
    }
}

TEST_F(NoteStoreOutsideChangeTest, AnUnreadableDocumentMovedAsideIsNoticedOnceWithWhereItWent)
{
    TestFiles::write(m_path, "{ not a document");
    auto store = openStore();
    const QString aside = AsideFile::asidePath(m_path, AsideFile::corrupt, m_clock.now());
    ASSERT_EQ(store->notices().size(), 1);
    EXPECT_TRUE(store->notices()[0].contains(QFileInfo(aside).fileName()));
    store->dismissNotices();
    EXPECT_TRUE(store->notices().isEmpty());
    EXPECT_TRUE(openStore()->notices().isEmpty());
}

} // namespace
