#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFileDevice>
#include <QString>

#include <optional>

// Files that must not be lost but can no longer stay where they are (unreadable, or about to
// be replaced) are kept beside the original as "<name>.<reason>-<UTC time>", the time with "-"
// in place of ":" so the name is valid everywhere.
namespace AsideFile {

inline const QString corrupt = QStringLiteral("corrupt");

QString asidePath(const QString& path, const QString& reason, const QDateTime& when);

// Renames the file at `path` to its aside path, a regular file there taking `permissions` when
// given, whatever mode it had. Returns the new path, or an empty string when the rename failed
// (the file then stays where it was).
QString moveAside(const QString& path, const QString& reason, const QDateTime& when,
                  std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Keeps `bytes`, the contents read from the file at `path`, in a new file at its aside path with
// `permissions`, never in place of one that is there. Returns the copy's path, or an empty
// string when no complete copy could be made.
QString keepAside(const QString& path, const QString& reason, const QDateTime& when,
                  const QByteArray& bytes, QFileDevice::Permissions permissions);

} // namespace AsideFile
