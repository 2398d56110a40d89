#include "platform/LoginItem.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class LoginItemTest : public testing::Test
{
protected:
    // The cases of one run share the home: none finds what another left.
    LoginItemTest()
    {
        QDir(TestFiles::home() + QStringLiteral("/config/autostart")).removeRecursively();
    }

    QString entryPath = TestFiles::home() + QStringLiteral("/config/autostart/quillory.desktop");
    LoginItem item{entryPath, QStringLiteral("/usr/bin/quillory")};
};

TEST_F(LoginItemTest, RegisteringWritesAnEntryInTheAutostartFolderAndUnregisteringRemovesIt)
{
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.registerItem()) << item.errorString().toStdString();
    EXPECT_TRUE(item.isEnabled());
    const QByteArray entry = TestFiles::read(entryPath);
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(entry.contains("\nExec=/usr/bin/quillory\n"));
    EXPECT_FALSE(entry.contains("Hidden"));
    EXPECT_EQ(LoginItem::defaultEntryPath(), entryPath);

    // Unregistering removes the entry and is fine when there is none.
    EXPECT_TRUE(item.unregisterItem());
    EXPECT_FALSE(QFile::exists(entryPath));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.unregisterItem());
}

TEST_F(LoginItemTest, AHiddenEntryCountsAsDisabledAndRegisteringEnablesItAgain)
{
    TestFiles::write(entryPath,
                     "[Desktop Entry]\nType=Application\nExec=quillory\nHidden = true\n");
    EXPECT_FALSE(item.isEnabled());
    TestFiles::write(entryPath, "[Desktop Entry]\nExec=quillory\nHidden=false\n");
    EXPECT_TRUE(item.isEnabled());
    // Only the entry's own group counts.
    TestFiles::write(entryPath,
                     "[Desktop Entry]\nExec=quillory\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(item.isEnabled());

    TestFiles::write(entryPath, "[Desktop Entry]\nHidden=true\n");
    ASSERT_TRUE(item.registerItem());
    EXPECT_TRUE(item.isEnabled());
}

TEST_F(LoginItemTest, FailedChangesAreReportedAndTheStateReadBackIsTheRealOne)
{
    // A plain file where the autostart folder should be.
    const QString blocked = TestFiles::home() + QStringLiteral("/blocked");
    TestFiles::write(blocked, "not a folder");
    LoginItem unwritable(blocked + QStringLiteral("/quillory.desktop"), QStringLiteral("quillory"));
    EXPECT_FALSE(unwritable.registerItem());
    EXPECT_FALSE(unwritable.errorString().isEmpty());
    EXPECT_FALSE(unwritable.isEnabled());

    // A folder in the entry's place cannot be removed as a file.
    ASSERT_TRUE(QDir().mkpath(entryPath + QStringLiteral("/inside")));
    EXPECT_FALSE(item.unregisterItem());
    EXPECT_FALSE(item.errorString().isEmpty());
    EXPECT_TRUE(QFileInfo(entryPath).isDir());
}

TEST(LoginItemExecTest, ProgramPathsAreQuotedAndEscapedAsExecNeeds)
{
    EXPECT_EQ(LoginItem::execValue(QStringLiteral("/usr/bin/quillory")),
              QStringLiteral("/usr/bin/quillory"));
    EXPECT_EQ(LoginItem::execValue(QStringLiteral("/opt/My Apps/quillory")),
              QStringLiteral("\"/opt/My Apps/quillory\""));
    // Inside quotes $ ` " and \ take a backslash; the file format then doubles every backslash.
    EXPECT_EQ(LoginItem::execValue(QStringLiteral("/opt/a$b/q\"x")),
              QStringLiteral("\"/opt/a\\\\$b/q\\\\\"x\""));
    EXPECT_EQ(LoginItem::execValue(QStringLiteral("/opt/back\\slash")),
              QStringLiteral("\"/opt/back\\\\\\\\slash\""));
}

} // namespace
