#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Small file helpers for tests.
namespace TestFiles {

QString home(); // the per-process temporary home folder
QByteArray read(const QString& path);
void write(const QString& path, const QByteArray& bytes); // creates missing folders
// The permission bits of the file or folder at `path` (0600, 0755, ...); 0 when there is none.
unsigned mode(const QString& path);
// Creates the folder with its missing parents, and gives it `permissions`.
void makeFolder(const QString& path, QFileDevice::Permissions permissions);
// Makes TMPDIR `temporaryFolder` and leaves no runtime folder only the user can change: both
// XDG_RUNTIME_DIR and Qt's fallback in the temporary folder may be changed by anyone.
void shareRuntimeFolders(const QString& temporaryFolder);

} // namespace TestFiles
