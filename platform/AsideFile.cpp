#include "AsideFile.h"

#include "platform/StoredFile.h"

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

QString moveAside(const QString& path, const QString& reason, const QDateTime& when,
                  std::optional<QFileDevice::Permissions> permissions)
{
    const QString target = asidePath(path, reason, when);
    // rename(2) replaces an existing target; two failures within one second must not lose
    // the first copy.
    if (QFileInfo::exists(target) || !QDir().rename(path, target))
        return {};
    // A link's target, a folder or a FIFO is left as it is.
    const QFileInfo moved(target);
    if (permissions && moved.isFile() && !moved.isSymLink())
        QFile::setPermissions(target, *permissions);
    return target;
}

QString keepAside(const QString& path, const QString& reason, const QDateTime& when,
                  const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    const QString target = asidePath(path, reason, when);
    return StoredFile::create(target, bytes, permissions).isEmpty() ? target : QString();
}

} // namespace AsideFile
