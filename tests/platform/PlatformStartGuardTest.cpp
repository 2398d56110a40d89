#include "platform/PlatformStartGuard.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

// Qt's warnings while a platform starts that goes on to run are held back only so long: they
// are told once the start is known to have worked, and none is lost.
TEST(PlatformStartGuardTest, WhatIsSaidWhileAPlatformStartsWellIsToldAfterward)
{
    LogCapture log;
    {
        PlatformStartGuard guard;
        qWarning("said while the platform started");
        EXPECT_EQ(log.messages(), QStringList());
        EXPECT_EQ(guard.finish(), std::nullopt);
        EXPECT_EQ(log.messages(), QStringList{QStringLiteral("said while the platform started")});
        qWarning("said afterward");
    }
    EXPECT_EQ(log.messages(), (QStringList{QStringLiteral("said while the platform started"),
                                           QStringLiteral("said afterward")}));
}

} // namespace
