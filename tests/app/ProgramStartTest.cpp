#include <QProcess>

#include <gtest/gtest.h>

namespace {

// The environment of a desktop session, less every display server.
QProcessEnvironment environmentWithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

// Runs the shipped program to its end and checks that it said one line beginning with
// `expectedStart` and exited with 1 of its own accord.
void expectOneLineAndExitCodeOne(const QProcessEnvironment& environment,
                                 const QString& expectedStart)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUILLORY_BINARY));
    ASSERT_TRUE(program.waitForFinished());
    const QString error = QString::fromUtf8(program.readAllStandardError());
    EXPECT_TRUE(error.startsWith(expectedStart) && error.count(u'\n') == 1) << error.toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
}

// Without an X server there is nothing to show the tray icon and the panel on: the program
// says so in one line and ends with an error of its own, where Qt would abort. Empty: no
// DISPLAY at all (a Wayland session without XWayland is the same).
TEST(ProgramStartTest, WithoutAnXServerOneLineExplainsAndTheExitCodeIsOne)
{
    for (const QString& display : {QString(), QStringLiteral(":4711")}) {
        QProcessEnvironment environment = environmentWithoutDisplay();
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        expectOneLineAndExitCodeOne(environment,
                                    QStringLiteral("Quillory needs an X11 display (or XWayland)"));
    }
}

// The platform named by the user is checked the same way when it needs a display server: Qt
// would abort with its own message and exit code 134.
TEST(ProgramStartTest, ANamedPlatformWithoutItsDisplayServerGetsOneLineAndExitCodeOne)
{
    for (const QString& platforms : {QStringLiteral("xcb"), QStringLiteral("wayland;xcb")}) {
        SCOPED_TRACE(platforms.toStdString());
        QProcessEnvironment environment = environmentWithoutDisplay();
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platforms);
        expectOneLineAndExitCodeOne(
            environment,
            QStringLiteral("Quillory found no display for QT_QPA_PLATFORM=") + platforms);
    }
}

} // namespace
