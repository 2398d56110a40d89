#include "AsideFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace AsideFile {

QString asidePath(const QString& path, const QString& reason, const QDateTime& when)
{
    QString stamp = when.toUTC().toString(Qt::ISODate);
    stamp.replace(QLatin1Char(':'), QLatin1Char('-'));
    return path + QLatin1Char('.') + reason + QLatin1Char('-') + stamp;
}

QString moveAside(const QString& path, const QString& reason, const QDateTime& when)
{
    const QString target = asidePath(path, reason, when);
    // rename(2) replaces an existing target; two failures within one second must not lose
    // the first copy.
    if (QFileInfo::exists(target))
        return {};
    return QDir().rename(path, target) ? target : QString();
}

QString copyAside(const QString& path, const QString& reason, const QDateTime& when)
{
    const QString target = asidePath(path, reason, when);
    // Never replaces an existing file.
    return QFile::copy(path, target) ? target : QString();
}

} // namespace AsideFile
