#include "LogHandler.h"

#include "platform/Log.h"

#include <cstdio>

QString logLevelDescription(LogLevel level)
{
    switch (level) {
    case LogLevel::debug:
        return QStringLiteral("DEBUG");
    case LogLevel::info:
        return QStringLiteral("INFO");
    case LogLevel::error:
        break;
    }
    return QStringLiteral("ERROR");
}

std::optional<LogLevel> logLevelFromRawValue(int rawValue)
{
    if (rawValue < int(LogLevel::debug) || rawValue > int(LogLevel::error))
        return std::nullopt;
    return LogLevel(rawValue);
}

void LogHandler::log(LogLevel level, const QString& message) const
{
    if (int(level) >= int(logLevel) && handler)
        handler(level, message);
}

LogHandler LogHandler::systemDefault(LogLevel logLevel)
{
    return {logLevel, &LogHandler::systemLoggerHandler};
}

void LogHandler::systemLoggerHandler(LogLevel level, const QString& message)
{
    static const Log logger("Insights.LogHandler");
    switch (level) {
    case LogLevel::debug:
        logger.debug(message);
        return;
    case LogLevel::info:
        logger.info(message);
        return;
    case LogLevel::error:
        logger.error(message);
        return;
    }
}

void LogHandler::printHandler(LogLevel level, const QString& message)
{
    const QByteArray line = (QStringLiteral("[Insights: ") + logLevelDescription(level)
                             + QStringLiteral("] ") + message + QLatin1Char('\n'))
                                .toUtf8();
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fflush(stdout);
}
