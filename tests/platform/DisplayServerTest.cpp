#include "platform/DisplayServer.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QLocalServer>

#include <gtest/gtest.h>

#include <map>

namespace {

// Sets variables for one test and puts the old values back at the end.
class ScopedEnvironment
{
public:
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

    void set(const char* name, const QString& value)
    {
        save(name);
        qputenv(name, value.toLocal8Bit());
    }
    void unset(const char* name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char* name)
    {
        if (!m_saved.contains(name))
            m_saved[name] = qEnvironmentVariableIsSet(name)
                                ? std::optional<QByteArray>(qgetenv(name))
                                : std::nullopt;
    }

    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

// A platform the user names stands, unless every display server among those named is out of
// reach: then one line says so, where Qt would abort.
TEST(DisplayServerTest, NamedPlatformsAreCheckedOnlyWhenEachOfThemNeedsADisplay)
{
    const QString runtime = TestFiles::home() + QStringLiteral("/display-runtime");
    ASSERT_TRUE(QDir().mkpath(runtime));
    ScopedEnvironment environment;
    environment.set("DISPLAY", QStringLiteral(":4711"));
    environment.set("XDG_RUNTIME_DIR", runtime);
    environment.set("WAYLAND_DISPLAY", QStringLiteral("wayland-test"));
    environment.unset("WAYLAND_SOCKET");
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
        environment.set("QT_QPA_PLATFORM", platforms);
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

} // namespace
