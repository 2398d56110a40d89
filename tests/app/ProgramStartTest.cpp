#include <QProcess>

#include <gtest/gtest.h>

namespace {

constexpr int exitTimeoutMs = 10000;

// Without an X server there is nothing to show the tray icon and the panel on: the program
// says so in one line and ends with an error of its own, where Qt would abort.
TEST(ProgramStartTest, WithoutAnXServerOneLineExplainsAndTheExitCodeIsOne)
{
    struct Row
    {
        const char* display; // null: unset
        const char* waylandDisplay;
    };
    const Row rows[] = {
        {nullptr, nullptr},
        {nullptr, "wayland-0"},
        {":4711", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.display ? row.display : row.waylandDisplay ? row.waylandDisplay : "none");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (row.display)
            environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(row.display));
        if (row.waylandDisplay)
            environment.insert(QStringLiteral("WAYLAND_DISPLAY"),
                               QString::fromLatin1(row.waylandDisplay));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLORY_BINARY));
        ASSERT_TRUE(program.waitForFinished(exitTimeoutMs));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 1);
        const QStringList lines =
            QString::fromUtf8(program.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << lines.join(u'|').toStdString();
        EXPECT_TRUE(lines.first().startsWith(
            QStringLiteral("Quillory needs an X11 display (or XWayland)")));
    }
}

} // namespace
