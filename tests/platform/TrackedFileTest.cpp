#include "platform/TrackedFile.h"
#include "platform/AsideFile.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <functional>

namespace {

const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;

class TrackedFileTest : public testing::Test
{
protected:
    QStringList keptFiles() const
    {
        return QDir(m_folder.path()).entryList({QStringLiteral("notes.json.*")}, QDir::Files);
    }

    QTemporaryDir m_folder;
    QString m_path = m_folder.path() + QStringLiteral("/notes.json");
    QDateTime m_now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
};

// What someone else does to the file between two of our writes, and what the second one keeps.
struct OutsideChange
{
    const char* label;
    std::function<void(const QString& path)> change;
    QByteArray kept; // the contents kept beside the file; empty when nothing is
    bool removed = false;
};

TEST_F(TrackedFileTest, AVersionNotWrittenHereIsKeptBesideTheFileBeforeItIsReplaced)
{
    const auto replaceByRename = [](const QByteArray& bytes) {
        return [bytes](const QString& path) {
            TestFiles::write(path + QStringLiteral(".new"), bytes);
            QFile::remove(path);
            QFile::rename(path + QStringLiteral(".new"), path);
        };
    };
    const std::vector<OutsideChange> changes{
        {"nothing", [](const QString&) {}, {}},
        {"replaced by a sync tool", replaceByRename("theirs"), "theirs"},
        // The same size, at once: only the contents tell.
        {"edited in place", [](const QString& path) { TestFiles::write(path, "ours 9"); },
         "ours 9"},
        {"only touched",
         [](const QString& path) {
             const utimbuf times{1, 1};
             utime(QFile::encodeName(path).constData(), &times);
         },
         {}},
        {"restored with the same bytes", replaceByRename("ours 1"), {}},
        {"removed", [](const QString& path) { QFile::remove(path); }, {}, true},
    };
    for (const OutsideChange& outside : changes) {
        SCOPED_TRACE(outside.label);
        QFile::remove(m_path);
        for (const QString& kept : keptFiles())
            QFile::remove(m_folder.path() + QLatin1Char('/') + kept);
        TrackedFile file(m_path);
        ASSERT_TRUE(file.write("ours 1", ownerOnly, m_now).error.isEmpty());
        outside.change(m_path);
        const TrackedFile::Written written = file.write("ours 2", ownerOnly, m_now);
        EXPECT_TRUE(written.error.isEmpty());
        EXPECT_EQ(TestFiles::read(m_path), "ours 2");
        EXPECT_EQ(written.removedOutside, outside.removed);
        const QString aside = AsideFile::asidePath(m_path, TrackedFile::outside, m_now);
        if (outside.kept.isEmpty()) {
            EXPECT_TRUE(written.outsideCopy.isEmpty());
            EXPECT_TRUE(keptFiles().isEmpty());
        } else {
            EXPECT_EQ(written.outsideCopy, aside);
            EXPECT_EQ(TestFiles::read(aside), outside.kept);
        }
        // Once kept, their version is no longer looked out for: the next write keeps nothing.
        EXPECT_TRUE(file.write("ours 3", ownerOnly, m_now.addSecs(1)).outsideCopy.isEmpty());
    }
}

TEST_F(TrackedFileTest, AFileThatAppearsWhereNoneWasReadIsSomeoneElses)
{
    TrackedFile file(m_path);
    EXPECT_FALSE(file.read().error.isEmpty());
    TestFiles::write(m_path, "another copy's");
    const TrackedFile::Written written = file.write("ours", ownerOnly, m_now);
    EXPECT_EQ(TestFiles::read(written.outsideCopy), "another copy's");

    // Read, then moved aside by us: the next write expects no file.
    TrackedFile reread(m_path);
    EXPECT_EQ(reread.read().bytes, "ours");
    EXPECT_FALSE(reread.moveAside(AsideFile::corrupt, m_now, ownerOnly).isEmpty());
    const TrackedFile::Written afterMove = reread.write("new", ownerOnly, m_now);
    EXPECT_TRUE(afterMove.outsideCopy.isEmpty());
    EXPECT_FALSE(afterMove.removedOutside);
}

// Put in place while the program ran, a file too large to be read, let alone copied, is kept
// whole under the copy's name, and the write goes on.
TEST_F(TrackedFileTest, AFileTooLargeToCopyIsMovedAsideWhole)
{
    TrackedFile file(m_path);
    ASSERT_TRUE(file.write("ours 1", ownerOnly, m_now).error.isEmpty());
    ASSERT_TRUE(QFile::resize(m_path, StoredFile::maximumSize + 1));
    const TrackedFile::Written written = file.write("ours 2", ownerOnly, m_now);
    EXPECT_TRUE(written.error.isEmpty()) << written.error.toStdString();
    EXPECT_EQ(TestFiles::read(m_path), "ours 2");
    EXPECT_EQ(written.outsideCopy, AsideFile::asidePath(m_path, TrackedFile::outside, m_now));
    EXPECT_EQ(QFileInfo(written.outsideCopy).size(), StoredFile::maximumSize + 1);
}

TEST_F(TrackedFileTest, WhatCannotBeKeptIsNotReplaced)
{
    TrackedFile file(m_path);
    ASSERT_TRUE(file.write("ours", ownerOnly, m_now).error.isEmpty());
    TestFiles::write(m_path, "theirs");
    // The name the copy would take is taken.
    TestFiles::write(AsideFile::asidePath(m_path, TrackedFile::outside, m_now), "older");
    EXPECT_FALSE(file.write("ours 2", ownerOnly, m_now).error.isEmpty());
    EXPECT_EQ(TestFiles::read(m_path), "theirs");
    const TrackedFile::Written later = file.write("ours 2", ownerOnly, m_now.addSecs(1));
    EXPECT_TRUE(later.error.isEmpty());
    EXPECT_EQ(TestFiles::read(later.outsideCopy), "theirs");

    // A FIFO is neither copied (that would wait for a writer) nor replaced.
    QFile::remove(m_path);
    ASSERT_EQ(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    EXPECT_FALSE(file.write("ours 3", ownerOnly, m_now.addSecs(2)).error.isEmpty());
    EXPECT_FALSE(QFileInfo(m_path).isFile());
}

TEST_F(TrackedFileTest, ACopyAskedForIsKeptOnceBeforeTheNextWrite)
{
    TestFiles::write(m_path, "from a newer version");
    TrackedFile file(m_path);
    file.read();
    file.keepBeforeNextWrite(QStringLiteral("schema2"));
    const TrackedFile::Written first = file.write("ours", ownerOnly, m_now);
    EXPECT_EQ(first.keptCopy, AsideFile::asidePath(m_path, QStringLiteral("schema2"), m_now));
    EXPECT_EQ(TestFiles::read(first.keptCopy), "from a newer version");
    EXPECT_TRUE(file.write("ours 2", ownerOnly, m_now.addSecs(1)).keptCopy.isEmpty());
    EXPECT_EQ(keptFiles().size(), 1);
}

} // namespace
