#pragma once

#include <QLoggingCategory>
#include <QString>

// A named channel of the system log ("subsystem.category"). Messages are always passed as
// data, never as a format string, so text from users or files cannot be misread.
class Log
{
public:
    explicit Log(const char* category);
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    void debug(const QString& message) const;
    void info(const QString& message) const;
    void error(const QString& message) const;

private:
    QLoggingCategory m_category;
};
