#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int startTimeoutMs = 20'000;
constexpr auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr auto writableByAll = QFile::Permissions(0x7777);

// What a finished program said on its error output, line by line.
QStringList errorLines(QProcess& program)
{
    return QString::fromUtf8(program.readAllStandardError()).split(QLatin1Char('\n'));
}

// The program on Qt's offscreen platform, which needs no display, in this case's home.
QProcessEnvironment offscreenEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

QString notesFolder()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Quillory");
}

// A copy has taken the notes once their lock names the socket it listens on.
bool aCopyRuns()
{
    const QString socket =
        QFile::decodeName(TestFiles::read(notesFolder() + QStringLiteral("/quillory.lock")));
    return !socket.isEmpty() && QFileInfo(socket).exists();
}

// A later start with a copy running: it asks that copy to open its panel, and leaves.
void expectAHandOver(const QProcessEnvironment& environment)
{
    QProcess later;
    later.setProcessEnvironment(environment);
    later.start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(later.waitForFinished(startTimeoutMs));
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0) << errorLines(later).join(QLatin1Char('\n')).toStdString();
}

void quit(QProcess& program)
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
// stops the start is decided by the notes' lock. Free: the start goes on and takes the lock
// over. Held by another process that does not answer: one line says so, and an error code.
TEST(ProgramStartTest, AStaleRuntimeLockGivesWayUnlessAnotherProcessHoldsTheNotes)
{
    const QString runtimeFolder =
        qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/Quillory");
    QDir().mkpath(runtimeFolder);
    QFile::setPermissions(qEnvironmentVariable("XDG_RUNTIME_DIR"), ownerOnly);
    QFile::setPermissions(runtimeFolder, ownerOnly);
    const QString runtimeLock = runtimeFolder + QStringLiteral("/quillory.lock");
    TestFiles::write(runtimeLock, {});

    QDir().mkpath(notesFolder());
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {QStringLiteral("--no-fork"), notesFolder() + QStringLiteral("/quillory.lock"),
                  QStringLiteral("--command"), QStringLiteral("echo held; exec sleep 60")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine(); }, startTimeoutMs));
    QProcess held;
    held.setProcessEnvironment(offscreenEnvironment());
    held.start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(held.waitForFinished(startTimeoutMs));
    EXPECT_EQ(held.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(held.exitCode(), 1);
    EXPECT_EQ(
        errorLines(held),
        (QStringList{QStringLiteral("Quillory: another copy of Quillory is using the notes in ") +
                         notesFolder(),
                     QString()}));
    // It stopped before it touched anything the copy holding the notes may be using.
    EXPECT_TRUE(QFileInfo::exists(runtimeLock));
    EXPECT_EQ(TestFiles::read(runtimeLock), QByteArray());
    holder.kill();
    holder.waitForFinished();

    QProcess program;
    program.setProcessEnvironment(offscreenEnvironment());
    program.start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(QTest::qWaitFor(aCopyRuns, startTimeoutMs))
        << errorLines(program).join(QLatin1Char('\n')).toStdString();
    ASSERT_NO_FATAL_FAILURE(expectAHandOver(offscreenEnvironment()));
    EXPECT_EQ(program.state(), QProcess::Running);
    quit(program);
}

// Without a runtime folder only the user can change, each copy makes a private one of its own
// in the temporary folder, and later starts find the running copy through the notes' lock.
// The folders go with their copies.
TEST(ProgramStartTest, WithoutAPrivateRuntimeFolderALaterStartStillFindsTheRunningCopy)
{
    const QString temporary = TestFiles::home() + QStringLiteral("/tmp");
    const QString qtFallback = temporary + QStringLiteral("/runtime-") +
                               QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    for (const QString& folder : {temporary, qtFallback, qEnvironmentVariable("XDG_RUNTIME_DIR")}) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, writableByAll);
    }
    QProcessEnvironment environment = offscreenEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary);

    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(QTest::qWaitFor(aCopyRuns, startTimeoutMs))
        << errorLines(program).join(QLatin1Char('\n')).toStdString();
    const QString socket =
        QFile::decodeName(TestFiles::read(notesFolder() + QStringLiteral("/quillory.lock")));
    EXPECT_TRUE(socket.startsWith(temporary + QStringLiteral("/Quillory-")))
        << socket.toStdString();
    ASSERT_NO_FATAL_FAILURE(expectAHandOver(environment));
    quit(program);
    EXPECT_EQ(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QFileInfo(qtFallback).fileName()});
}

} // namespace
