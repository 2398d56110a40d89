#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include <sys/types.h>

// The files the program keeps its state in: read only when they are regular files, and
// replaced only by their complete new contents.
namespace StoredFile {

// Far beyond any file the program keeps (100,000 notes take about 20 MB). A larger one is read
// as unreadable: taken whole into memory, it could end the program at every start.
inline constexpr qint64 maximumSize = qint64(128) << 20;

struct Contents
{
    QByteArray bytes;
    // Why the file could not be read; empty when it was.
    QString error;
    // It is a regular file larger than maximumSize.
    bool tooLarge = false;
};

// A descriptor of the file at `path`, or why there is none.
struct Opened
{
    int descriptor = -1;
    QString error;
};

// Opens `path` with the open(2) `flags` (and `mode`, for a file it creates) without waiting for
// a writer, as a FIFO that took the file's place after the caller looked would have it wait,
// and keeps it open only when it is a regular file.
Opened openRegular(const QString& path, int flags, mode_t mode = 0);

// A FIFO, socket or device at the path is never opened: a FIFO would wait for a writer for
// ever, and a device may act on being opened.
Contents read(const QString& path);

// Why the file at `path` may not be written in place: empty when there is none or when it is a
// regular file itself. A link would have its target written instead, and a FIFO would hang the
// program that opens it.
QString whyNotRegular(const QString& path);

// Called once the new contents are on the disk, just before they take the old file's place:
// the last moment to look at the old one. A reason returned stops the write.
using BeforeReplace = std::function<QString()>;

// Replaces the file with exactly `bytes`, or leaves it as it was. Every write, the flush and
// the sync are checked before the new file takes the old one's place. Empty on success, else
// the reason.
QString write(const QString& path, const QByteArray& bytes,
              std::optional<QFileDevice::Permissions> permissions = std::nullopt,
              const BeforeReplace& beforeReplace = {});

// Whether a new file is on the disk when create() returns, or only safe from the end of the
// program until sync() puts it there (a crash of the system may lose it meanwhile).
enum class Sync { now, later };

// Puts a new file at `path`, where none may be yet, with exactly `bytes` and `permissions`: it
// takes its name complete or not at all. Empty on success, else the reason.
QString create(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
               Sync sync = Sync::now);

// Waits until the file at `path` and its name are on the disk. A link, FIFO or other file that
// took its place is refused at once. Empty on success, else the reason.
QString sync(const QString& path);

// The mode of a file that only its user may read: 0600.
inline constexpr QFileDevice::Permissions privateFileMode =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// The mode of a folder that only its user may enter: 0700.
inline constexpr QFileDevice::Permissions privateFolderMode =
    privateFileMode | QFileDevice::ExeOwner;

// Creates the folder of the file at `path` when it is missing, and closes the user's own folder
// to others: it is the user's alone. Empty when the folder is there, else the reason.
QString makePrivateFolder(const QString& path);

// A folder that only its user can change: the folder itself, not a link to one, owned by the
// user, and writable neither by its group nor by others.
bool isUsersOwnFolder(const QString& folder);

// The folder when another user owns it, else what lies directly in it that another user owns:
// what this user can neither change nor rely on reading. Empty for a folder that is not there.
QStringList ownedByOthers(const QString& folder);

// Makes `folder` one that only its user may enter (0700): created so when it is missing (its
// parent must exist), and closed to others when it is there and the user's own. A folder that
// someone else could have changed is refused. Empty on success, else the reason.
QString claimPrivateFolder(const QString& folder);

struct PrivateFolder
{
    QString path;
    // Why there is none; empty when there is.
    QString error;
};

// A new folder that only its user may enter, named after `pattern` with its trailing XXXXXX
// replaced so that no one can guess the name and make it first.
PrivateFolder makeUniquePrivateFolder(const QString& pattern);

// write() of a file that only its user may read: in a folder made as makePrivateFolder() does,
// with mode 0600 whatever mode it had. A link or anything but a regular file at `path` is
// refused (whyNotRegular()).
QString writePrivate(const QString& path, const QByteArray& bytes);

} // namespace StoredFile
