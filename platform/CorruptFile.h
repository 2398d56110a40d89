#pragma once

#include <QDateTime>
#include <QString>

// Unreadable files are kept beside the original as "<name>.corrupt-<UTC time>", the time
// with "-" in place of ":" so the name is valid everywhere.
namespace CorruptFile {

QString asidePath(const QString& path, const QDateTime& when);

// Renames the file at `path` to its aside path. Returns the new path, or an empty string
// when the rename failed (the file then stays where it was).
QString moveAside(const QString& path, const QDateTime& when);

} // namespace CorruptFile
