#pragma once

#include <QString>

#include <functional>
#include <optional>

enum class LogLevel { debug = 0, info = 1, error = 2 };

QString logLevelDescription(LogLevel level);
std::optional<LogLevel> logLevelFromRawValue(int rawValue);

// Where every message of the analytics client goes: a lowest level and the function that
// writes. Copies share the function.
struct LogHandler
{
    using Handler = std::function<void(LogLevel, const QString&)>;

    LogLevel logLevel = LogLevel::info;
    Handler handler;

    void log(LogLevel level, const QString& message) const;

    static LogHandler systemDefault(LogLevel logLevel = LogLevel::info);
    static void systemLoggerHandler(LogLevel level, const QString& message);
    static void printHandler(LogLevel level, const QString& message);
};
