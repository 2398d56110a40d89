#include "CrashReport.h"

#include <QList>

std::optional<CrashReport> CrashReport::parse(const QString& id, const QByteArray& contents)
{
    if (!contents.startsWith(fileHeader))
        return std::nullopt;
    CrashReport report;
    report.id = id;
    bool hasSignal = false;
    bool hasTime = false;
    const QList<QByteArray> lines = contents.mid(qstrlen(fileHeader)).split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        bool ok = false;
        if (key == "release") {
            report.release = QString::fromUtf8(value);
        } else if (key == "session") {
            report.sessionId = QString::fromUtf8(value);
        } else if (key == "signal") {
            report.signalNumber = value.toInt(&ok);
            hasSignal = ok && report.signalNumber > 0;
        } else if (key == "time") {
            const qint64 seconds = value.toLongLong(&ok);
            hasTime = ok && seconds > 0;
            report.time = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        }
    }
    if (!hasSignal || !hasTime)
        return std::nullopt;
    return report;
}

QJsonObject CrashReport::toJson() const
{
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("release"), release},
        {QStringLiteral("session"), sessionId},
        {QStringLiteral("signal"), signalNumber},
        {QStringLiteral("time"), time.toString(Qt::ISODate)},
    };
}
