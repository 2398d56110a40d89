#pragma once

#include <QDateTime>
#include <QString>

// Files that must not be lost but can no longer stay where they are (unreadable, or about to
// be replaced) are kept beside the original as "<name>.<reason>-<UTC time>", the time with "-"
// in place of ":" so the name is valid everywhere.
namespace AsideFile {

inline const QString corrupt = QStringLiteral("corrupt");

QString asidePath(const QString& path, const QString& reason, const QDateTime& when);

// Renames the file at `path` to its aside path. Returns the new path, or an empty string
// when the rename failed (the file then stays where it was).
QString moveAside(const QString& path, const QString& reason, const QDateTime& when);

// Copies the file at `path` to its aside path, leaving it in place. Returns the copy's path,
// or an empty string when no complete copy could be made.
QString copyAside(const QString& path, const QString& reason, const QDateTime& when);

} // namespace AsideFile
