#include "CorruptFile.h"

#include <QDir>
#include <QFileInfo>

namespace CorruptFile {

QString asidePath(const QString& path, const QDateTime& when)
{
    QString stamp = when.toUTC().toString(Qt::ISODate);
    stamp.replace(QLatin1Char(':'), QLatin1Char('-'));
    return path + QStringLiteral(".corrupt-") + stamp;
}

QString moveAside(const QString& path, const QDateTime& when)
{
    const QString target = asidePath(path, when);
    // rename(2) replaces an existing target; two failures within one second must not lose
    // the first copy.
    if (QFileInfo::exists(target))
        return {};
    return QDir().rename(path, target) ? target : QString();
}

} // namespace CorruptFile
