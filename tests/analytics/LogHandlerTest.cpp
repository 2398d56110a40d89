#include "analytics/LogHandler.h"
#include "support/OutputCapture.h"

#include <gtest/gtest.h>

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
    OutputCapture output;
    LogHandler::printHandler(LogLevel::error, QStringLiteral("Error saving Insights cache"));
    EXPECT_EQ(output.text(), QByteArrayLiteral("[Insights: ERROR] Error saving Insights cache\n"));
}

} // namespace
