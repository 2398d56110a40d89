#include <QProcess>

#include <gtest/gtest.h>

namespace {

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

} // namespace
