#include "NoteStoreTestSupport.h"

#include "app/notes/NotesRecovery.h"
#include "platform/AsideFile.h"
#include "platform/FileWriteQueue.h"
#include "platform/XdgBaseDirectories.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <utime.h>

namespace {

using namespace std::chrono_literals;

const QString recovered = QStringLiteral("recovered");

// Recovery files in two folders, beside a store's document.
class NotesRecoveryTest : public NoteStoreFixture
{
protected:
    // A recovery file in the folder at `folder`, last written `after` the document.
    QString keep(int folder, std::chrono::seconds after) const
    {
        const QDateTime written = m_documentTime.addSecs(after.count());
        const QString path = AsideFile::asidePath(m_folders[folder] + QStringLiteral("/notes.json"),
                                                  recovered, written);
        TestFiles::write(path, "{}");
        setModified(path, written);
        return path;
    }

    static void setModified(const QString& path, const QDateTime& time)
    {
        const utimbuf times{time.toSecsSinceEpoch(), time.toSecsSinceEpoch()};
        ASSERT_EQ(utime(QFile::encodeName(path).constData(), &times), 0);
    }

    const QStringList m_folders{TestFiles::home() + QStringLiteral("/state/Quillory"),
                                TestFiles::home() + QStringLiteral("/runtime/Quillory")};
    const NotesRecovery m_recovery{m_folders, m_clock};
    const QDateTime m_documentTime = m_clock.now().addDays(-1);
};

// Recovery files by folder and by their time against the document's.
struct Kept
{
    int folder;
    std::chrono::seconds after;
};

struct Announcement
{
    const char* label;
    bool documentExists;
    std::vector<Kept> kept;
    int count;  // told of
    int newest; // in `kept`
};

// However many quits could not save, the next start tells of them in one notice.
TEST_F(NotesRecoveryTest, TheNoticeTellsHowManyFilesAreNewerThanTheDocumentAndWhereTheNewestIs)
{
    std::vector<Kept> many;
    for (int minute = 1; minute <= 58; ++minute)
        many.push_back({0, std::chrono::minutes(minute)});
    many.push_back({1, 1h});
    many.push_back({1, 30s});
    many.push_back({0, -1min}); // older than the document: old news
    many.push_back({1, -1h});
    const std::vector<Announcement> table{
        {"none", true, {}, 0, 0},
        {"one older than the document", true, {{0, -1min}}, 0, 0},
        {"one", true, {{1, 1min}}, 1, 0},
        {"sixty in two folders", true, many, 60, 58},
        {"no document", false, {{0, -1h}, {1, -2h}}, 2, 0},
    };
    for (const Announcement& row : table) {
        SCOPED_TRACE(row.label);
        for (const QString& folder : m_folders)
            QDir(folder).removeRecursively();
        QFile::remove(m_path);
        auto store = openStore();
        if (row.documentExists) {
            writeDocument(store->makeNoteFile());
            setModified(m_path, m_documentTime);
        }
        QStringList paths;
        for (const Kept& kept : row.kept)
            paths.append(keep(kept.folder, kept.after));

        m_recovery.announce(*store);
        if (row.count == 0) {
            EXPECT_TRUE(store->notices().isEmpty());
            continue;
        }
        ASSERT_EQ(store->notices().size(), 1);
        const QString notice = store->notices().first();
        const QString newest = QFileInfo(paths[row.newest]).fileName();
        EXPECT_TRUE(notice.contains(newest)) << notice.toStdString();
        EXPECT_EQ(notice.contains(QStringLiteral("in %1 files").arg(row.count)), row.count > 1)
            << notice.toStdString();
    }
}

// The file is complete and the user's alone before it is synced, and never replaces another
// one, say another copy's that quit in the same second: that one goes to the next folder.
TEST_F(NotesRecoveryTest, TheUnsavedNotesAreKeptWholeBeforeTheirSyncAndBesideOtherFilesOnly)
{
    ManualFileWriteQueue writes;
    NoteStore store(m_path, m_clock, m_scheduler, NoteStore::defaultAutosaveDelay, writes);
    store.setText(QStringLiteral("unsaved"));
    const QString taken = AsideFile::asidePath(m_folders[0] + QStringLiteral("/notes.json"),
                                               recovered, m_clock.now());
    TestFiles::write(taken, "another copy's");

    const QString kept = m_recovery.keepUnsaved(store, writes);
    EXPECT_EQ(TestFiles::read(taken), "another copy's");
    ASSERT_EQ(QFileInfo(kept).absolutePath(), m_folders[1]);
    const auto read = NoteFileReader::decode(TestFiles::read(kept));
    ASSERT_TRUE(read.file) << read.error.toStdString();
    EXPECT_EQ(read.file->notes.at(0).text, QStringLiteral("unsaved"));
    for (const auto& [path, mode] : {std::pair{kept, 0600u}, {m_folders[1], 0700u}}) {
        struct stat status = {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode) << path.toStdString();
    }
    EXPECT_EQ(QDir(m_folders[1]).entryList(QDir::Files | QDir::Hidden),
              QStringList{QFileInfo(kept).fileName()});
    // Its sync waits where the disk may hold it up, not here.
    EXPECT_EQ(writes.runPending(), 1);
}

// Notes that could not be saved are kept in the state folder, else in the program's runtime
// folder; when there is none, never in a folder without a name (the working folder, or /).
TEST(NotesRecoveryFoldersTest, TheRuntimeFolderIsOfferedOnlyWhenThereIsOne)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString stateFolder = XdgBaseDirectories::stateHome() + QStringLiteral("/Quillory");
    TestFiles::makeFolder(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(NotesRecovery::defaultFolders(),
              (QStringList{stateFolder, runtime + QStringLiteral("/Quillory")}));

    const QString file = TestFiles::home() + QStringLiteral("/a-file");
    TestFiles::write(file, "not a folder to make one in");
    TestFiles::shareRuntimeFolders(file);
    EXPECT_EQ(NotesRecovery::defaultFolders(), QStringList{stateFolder});
}

} // namespace
