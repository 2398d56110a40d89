#include "app/notes/NotesRecovery.h"

#include "platform/XdgBaseDirectories.h"
#include "support/TestFiles.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// Notes that could not be saved are kept in the state folder, else in the program's runtime
// folder; when there is none, never in a folder without a name (the working folder, or /).
TEST(NotesRecoveryTest, TheRuntimeFolderIsOfferedOnlyWhenThereIsOne)
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
