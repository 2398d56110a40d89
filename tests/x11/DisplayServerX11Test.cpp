#include "platform/DisplayServer.h"

#include <gtest/gtest.h>

namespace {

// With an X server answering, the program runs on it unless the user named a platform.
TEST(DisplayServerX11Test, AnAnsweringXServerIsChosenUnlessTheUserNamedAPlatform)
{
    qunsetenv("QT_QPA_PLATFORM");
    EXPECT_EQ(DisplayServer::chooseX11(), std::nullopt);
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb");

    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_EQ(DisplayServer::chooseX11(), std::nullopt);
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "offscreen");
}

} // namespace
