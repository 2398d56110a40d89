#include "platform/DisplayServer.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QLocalServer>

#include <gtest/gtest.h>

namespace {

// Each case runs in a process of its own, so the environment it changes dies with it.

// A platform the user names stands, unless every display server among those named is out of
// reach: then one line says so, where Qt would abort.
TEST(DisplayServerTest, NamedPlatformsAreCheckedOnlyWhenEachOfThemNeedsADisplay)
{
    const QString runtime = TestFiles::home() + QStringLiteral("/display-runtime");
    ASSERT_TRUE(QDir().mkpath(runtime));
    qputenv("DISPLAY", ":4711");
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("WAYLAND_DISPLAY", "wayland-test");
    qunsetenv("WAYLAND_SOCKET");
    QLocalServer compositor;

    const QString noX = QStringLiteral("cannot connect to DISPLAY :4711");
    const QString noWayland =
        QStringLiteral("no Wayland compositor at ") + runtime + QStringLiteral("/wayland-test");
    const struct
    {
        const char* platforms;
        bool compositorListens;
        QString failures; // empty: the platform stands
    } table[]{
        {"offscreen", false, {}},
        {"xcb", false, noX},
        {"xcb:dpi=96", false, noX},
        {"wayland;xcb", false, noWayland + QStringLiteral("; ") + noX},
        {"wayland", false, noWayland},
        {"wayland;xcb", true, {}},
        {"xcb;offscreen", false, {}},
        {"minimal;xcb", false, {}},
    };
    for (const auto& row : table) {
        const QString platforms = QString::fromLatin1(row.platforms);
        SCOPED_TRACE(row.platforms + std::string(row.compositorListens ? " with" : " without") +
                     " a compositor");
        qputenv("QT_QPA_PLATFORM", row.platforms);
        if (row.compositorListens) {
            ASSERT_TRUE(compositor.listen(runtime + QStringLiteral("/wayland-test")));
        }
        const auto problem = DisplayServer::chooseX11();
        compositor.close();
        if (row.failures.isEmpty())
            EXPECT_EQ(problem, std::nullopt);
        else
            EXPECT_EQ(problem, QStringLiteral("Quillory found no display for QT_QPA_PLATFORM=") +
                                   platforms + QStringLiteral(": ") + row.failures);
        EXPECT_EQ(qEnvironmentVariable("QT_QPA_PLATFORM"), platforms);
    }
}

// Left to choose, the program takes X11; with no X server it names what it tried and leaves the
// platform unchosen.
TEST(DisplayServerTest, WithNoPlatformNamedAndNoXServerOneLineSaysWhy)
{
    qunsetenv("QT_QPA_PLATFORM");
    const QString needed =
        QStringLiteral("Quillory needs an X11 display (or XWayland) and found none: ");
    qputenv("DISPLAY", ":4711");
    EXPECT_EQ(DisplayServer::chooseX11(),
              needed + QStringLiteral("cannot connect to DISPLAY :4711"));
    qunsetenv("DISPLAY");
    EXPECT_EQ(DisplayServer::chooseX11(), needed + QStringLiteral("DISPLAY is not set"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
}

} // namespace
