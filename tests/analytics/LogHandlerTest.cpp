#include "analytics/LogHandler.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

QList<LogLevel> received(LogLevel threshold)
{
    QList<LogLevel> levels;
    const LogHandler handler{threshold,
                             [&](LogLevel level, const QString&) { levels.append(level); }};
    for (LogLevel level : {LogLevel::debug, LogLevel::info, LogLevel::error})
        handler.log(level, QStringLiteral("message"));
    return levels;
}

TEST(LogHandlerTest, WritesOnlyMessagesAtOrAboveItsLevel)
{
    EXPECT_EQ(received(LogLevel::debug),
              (QList<LogLevel>{LogLevel::debug, LogLevel::info, LogLevel::error}));
    EXPECT_EQ(received(LogLevel::info), (QList<LogLevel>{LogLevel::info, LogLevel::error}));
    EXPECT_EQ(received(LogLevel::error), (QList<LogLevel>{LogLevel::error}));
}

// The text forms show in the print handler's lines.
TEST(LogHandlerTest, OnlyTheThreeRawValuesMakeALevel)
{
    EXPECT_EQ(logLevelFromRawValue(2), LogLevel::error);
    EXPECT_EQ(logLevelFromRawValue(3), std::nullopt);
    EXPECT_EQ(logLevelFromRawValue(-1), std::nullopt);
}

TEST(LogHandlerTest, ThePrintHandlerWritesOneTaggedLine)
{
    QTemporaryFile capture;
    ASSERT_TRUE(capture.open());
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(capture.handle(), STDOUT_FILENO);
    LogHandler::printHandler(LogLevel::error, QStringLiteral("Error saving Insights cache"));
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    capture.seek(0);
    EXPECT_EQ(capture.readAll(),
              QByteArrayLiteral("[Insights: ERROR] Error saving Insights cache\n"));
}

} // namespace
