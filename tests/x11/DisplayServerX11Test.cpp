#include "platform/DisplayServer.h"

#include <gtest/gtest.h>

namespace {

// With an X server at hand the program runs on it, also on a Wayland session, unless the user
// named a platform; only then is nothing changed.
TEST(DisplayServerX11Test, AnXServerIsChosenUnlessTheUserChoseAPlatform)
{
    struct Row
    {
        const char* userPlatform; // null: unset
        const char* expected;
    };
    const Row rows[] = {{nullptr, "xcb"}, {"", "xcb"}, {"wayland", "wayland"}};
    const QByteArray display = qgetenv("DISPLAY");
    ASSERT_FALSE(display.isEmpty());
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.userPlatform ? row.userPlatform : "unset");
        if (row.userPlatform)
            qputenv("QT_QPA_PLATFORM", row.userPlatform);
        else
            qunsetenv("QT_QPA_PLATFORM");
        EXPECT_EQ(DisplayServer::chooseX11(), std::nullopt);
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(row.expected));
        EXPECT_EQ(qgetenv("DISPLAY"), display);
    }
}

} // namespace
