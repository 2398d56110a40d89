#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One crash, as written by the fatal-signal handler and sent at the next start.
//
// File form: the first line "quillory-crash-report 1", then one "key=value" line each for
// release, session (empty outside a session), signal and time (seconds since the epoch).
struct CrashReport
{
    QString id; // the file's base name
    QString release;
    QString sessionId;
    int signalNumber = 0;
    QDateTime time;

    static constexpr char fileHeader[] = "quillory-crash-report 1\n";

    // Nothing for a file that is not a complete report.
    static std::optional<CrashReport> parse(const QString& id, const QByteArray& contents);
    QJsonObject toJson() const;
};
