#include "platform/StoredFile.h"
#include "support/TestFiles.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

constexpr int startTimeoutMs = 20'000;

QStringList errorLines(QProcess& program)
{
    return QString::fromUtf8(program.readAllStandardError()).split(QLatin1Char('\n'));
}

// `inside` the folder that the environment `variable` names.
QString xdgPath(const char* variable, const char* inside)
{
    return qEnvironmentVariable(variable) + QLatin1String(inside);
}

// Running, once it listens for other launches.
void startRunning(QProcess& program)
{
    TestFiles::makeFolder(xdgPath("XDG_RUNTIME_DIR", ""),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    program.start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QFileInfo::exists(xdgPath("XDG_RUNTIME_DIR", "/Quillory/quillory.socket")); },
        startTimeoutMs))
        << program.readAllStandardError().toStdString();
}

void expectOrderlyQuit(QProcess& program)
{
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(startTimeoutMs));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

// Without an X server there is nothing to show the tray icon and the panel on: the program
// says so in one line and ends with an error of its own, where Qt would abort. Empty: no
// DISPLAY at all (a Wayland session without XWayland is the same).
TEST(ProgramStartTest, WithoutAnXServerOneLineExplainsAndTheExitCodeIsOne)
{
    for (const QString& display : {QString(), QStringLiteral(":4711")}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLORY_BINARY));
        ASSERT_TRUE(program.waitForFinished());
        const QString error = QString::fromUtf8(program.readAllStandardError());
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("Quillory needs an X11 display (or XWayland)")) &&
            error.count(u'\n') == 1)
            << error.toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 1);
    }
}

// A platform the user names that Qt cannot start ends the same way, with what Qt said of it.
// The devices named do not exist, so that no machine's screen starts.
TEST(ProgramStartTest, ANamedPlatformThatCannotStartIsOneLineAndExitCodeOne)
{
    const QString kmsConfig = TestFiles::home() + QStringLiteral("/kms.json");
    TestFiles::write(kmsConfig, R"({"device": "/nonexistent/card0"})");
    const struct
    {
        const char* platform;
        const char* cause;
    } table[]{
        {"bogus", R"(Could not find the Qt platform plugin "bogus")"},
        {"eglfs", "Could not open DRM device /nonexistent/card0"},
        {"linuxfb:fb=/nonexistent/fb0", "Failed to open framebuffer /nonexistent/fb0"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.platform);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(row.platform));
        environment.insert(QStringLiteral("QT_QPA_EGLFS_KMS_CONFIG"), kmsConfig);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLORY_BINARY));
        ASSERT_TRUE(program.waitForFinished(startTimeoutMs));
        const QStringList lines = errorLines(program);
        ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(
            lines[0].startsWith(QStringLiteral("Quillory cannot start on QT_QPA_PLATFORM=") +
                                QString::fromLatin1(row.platform) + QStringLiteral(": ")) &&
            lines[0].contains(QString::fromLatin1(row.cause)))
            << lines[0].toStdString();
        EXPECT_EQ(lines[1], QString());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 1);
    }
}

// The runtime folder's lock, left empty as after a crash while it was written: whether it
// stops the start is decided by the notes' lock. Held by another process that does not answer:
// one line says so, an error code, and nothing touched. Free: the start goes on, takes the lock
// over, and a later start hands over to it. (The program runs on the tests' offscreen platform.)
TEST(ProgramStartTest, AStaleRuntimeLockGivesWayUnlessAnotherProcessHoldsTheNotes)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    TestFiles::makeFolder(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString runtimeLock = runtime + QStringLiteral("/Quillory/quillory.lock");
    TestFiles::write(runtimeLock, {});
    const QString notesFolder = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Quillory");
    QDir().mkpath(notesFolder);
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {QStringLiteral("--no-fork"), notesFolder + QStringLiteral("/quillory.lock"),
                  QStringLiteral("--command"), QStringLiteral("echo held; exec sleep 60")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine(); }, startTimeoutMs));
    QProcess launches[3];
    launches[0].start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(launches[0].waitForFinished(startTimeoutMs));
    EXPECT_EQ(launches[0].exitCode(), 1);
    EXPECT_EQ(
        errorLines(launches[0]),
        (QStringList{QStringLiteral("Quillory: another copy of Quillory is using the notes in ") +
                         notesFolder,
                     QString()}));
    EXPECT_TRUE(QFileInfo::exists(runtimeLock) && TestFiles::read(runtimeLock).isEmpty());
    holder.kill();
    holder.waitForFinished();

    launches[1].start(QStringLiteral(QUILLORY_BINARY));
    // Running, once the notes' lock names the socket it listens on.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return QFileInfo::exists(
                QFile::decodeName(TestFiles::read(notesFolder + QStringLiteral("/quillory.lock"))));
        },
        startTimeoutMs));
    launches[2].start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(launches[2].waitForFinished(startTimeoutMs));
    EXPECT_EQ(launches[2].exitCode(), 0);
    launches[1].terminate();
    ASSERT_TRUE(launches[1].waitForFinished(startTimeoutMs));
    EXPECT_EQ(launches[1].exitCode(), 0);
}

// Files far larger than any the program writes, as a sparse file or a disk error leaves them:
// each is read as unreadable and set aside whole, and the program starts.
TEST(ProgramStartTest, StoredFilesBeyondTheSizeLimitAreSetAsideWholeAndTheProgramStarts)
{
    // As `truncate -s 64G` leaves them: no memory holds them.
    constexpr qint64 farBeyondTheLimit = qint64(64) << 30;
    static_assert(farBeyondTheLimit > StoredFile::maximumSize);
    const QString notes = xdgPath("XDG_DATA_HOME", "/Quillory/notes.json");
    const QString settings = xdgPath("XDG_CONFIG_HOME", "/Quillory/settings.json");
    const QString clock = xdgPath("XDG_STATE_HOME", "/Quillory/clock.json");
    for (const QString& path : {notes, settings, clock}) {
        TestFiles::write(path, {});
        ASSERT_TRUE(QFile::resize(path, farBeyondTheLimit));
    }
    QProcess program;
    startRunning(program);
    expectOrderlyQuit(program);
    for (const QString& path : {notes, settings}) {
        const QFileInfoList aside =
            QDir(QFileInfo(path).path())
                .entryInfoList({QFileInfo(path).fileName() + QStringLiteral(".corrupt-*")});
        ASSERT_EQ(aside.size(), 1) << path.toStdString();
        EXPECT_EQ(aside[0].size(), farBeyondTheLimit);
    }
    EXPECT_LT(QFileInfo(clock).size(), 1024); // written anew
}

// A link or a FIFO where the program keeps a file it writes in place: the link's target is
// left alone, nothing waits on the FIFO, one line says what was refused, and a later launch
// still hands over to the running copy.
TEST(ProgramStartTest, ALinkOrFifoInPlaceOfAFileWrittenInPlaceIsRefusedInOneLine)
{
    const struct
    {
        const char* variable;
        const char* inside;
        bool fifo;
    } table[]{
        {"XDG_DATA_HOME", "/Quillory/quillory.lock", false},
        {"XDG_DATA_HOME", "/Quillory/quillory.lock", true},
        {"XDG_RUNTIME_DIR", "/Quillory/quillory.lock", true},
        {"XDG_STATE_HOME", "/Quillory/clock.json", false},
    };
    for (const auto& row : table) {
        const TestHome home(TestFiles::home());
        const QString path = xdgPath(row.variable, row.inside);
        SCOPED_TRACE(path.toStdString() + (row.fifo ? " as a FIFO" : " as a link"));
        const QString target = home.path() + QStringLiteral("/bashrc");
        TestFiles::write(target, "# the user's own\n");
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_EQ(row.fifo ? mkfifo(QFile::encodeName(path).constData(), 0600)
                           : symlink(QFile::encodeName(target).constData(),
                                     QFile::encodeName(path).constData()),
                  0);
        QProcess first;
        QProcess later;
        startRunning(first);
        later.start(QStringLiteral(QUILLORY_BINARY));
        EXPECT_TRUE(later.waitForFinished(startTimeoutMs));
        EXPECT_EQ(later.exitCode(), 0);
        expectOrderlyQuit(first);
        EXPECT_EQ(TestFiles::read(target), "# the user's own\n");
        EXPECT_EQ(errorLines(first).filter(path + QStringLiteral(" is not a regular file")).size(),
                  1);
    }
}

// Beyond a file-size limit a write fails as on a full disk: said in a line, and the program
// goes on, where the limit's signal used to end it at its first write.
TEST(ProgramStartTest, UnderAFileSizeLimitAWriteFailsAndTheProgramRuns)
{
    constexpr rlim_t limit = 16; // bytes: less than any file the program writes at start
    QProcess program;
    program.setChildProcessModifier([] {
        const rlimit tight{limit, limit};
        setrlimit(RLIMIT_FSIZE, &tight);
    });
    startRunning(program);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return program.readAllStandardError().contains("File too large"); }, startTimeoutMs));
    expectOrderlyQuit(program);
}

} // namespace
