#include "StoredFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace StoredFile {

namespace {

const QString notRegular = QStringLiteral("not a regular file");

} // namespace

Opened openRegular(const QString& path, int flags, mode_t mode)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (descriptor < 0)
        return {-1, qt_error_string(errno)};
    struct stat status = {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return {-1, notRegular};
    }
    return {descriptor, {}};
}

Contents read(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {{}, notRegular};
    const Opened opened = openRegular(path, O_RDONLY);
    if (opened.descriptor < 0)
        return {{}, opened.error};
    QFile file;
    if (!file.open(opened.descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.descriptor);
        return {{}, file.errorString()};
    }
    if (file.size() > maximumSize)
        return {{}, QStringLiteral("larger than %1 bytes").arg(maximumSize), true};
    Contents contents{file.readAll(), {}};
    if (file.error() != QFileDevice::NoError)
        return {{}, file.errorString()};
    return contents;
}

QString whyNotRegular(const QString& path)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    return QStringLiteral("%1 is not a regular file").arg(path);
}

QString write(const QString& path, const QByteArray& bytes,
              std::optional<QFileDevice::Permissions> permissions,
              const BeforeReplace& beforeReplace)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // QSaveFile buffers small writes, and its commit() renames the temporary file even when
    // flushing them fails and ignores a failed sync (on a full disk a document became an
    // empty file); so every step is checked here, before commit() replaces the file.
    errno = 0;
    if ((permissions && !file.setPermissions(*permissions)) || file.write(bytes) != bytes.size() ||
        !file.flush() || ::fsync(file.handle()) != 0) {
        // Qt reports a write cut short (the last bytes that fit on a disk) as "Unknown error".
        const QString reason = errno != 0 ? qt_error_string(errno) : file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (beforeReplace) {
        if (const QString reason = beforeReplace(); !reason.isEmpty()) {
            file.cancelWriting();
            return reason;
        }
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString create(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
               Sync sync)
{
    const QFileInfo target(path);
    // Hidden, and in the same folder, so that the rename only gives it its name.
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral("-XXXXXX"));
    errno = 0;
    if (!file.open() || !file.setPermissions(permissions) || file.write(bytes) != bytes.size() ||
        !file.flush() || (sync == Sync::now && ::fsync(file.handle()) != 0))
        return errno != 0 ? qt_error_string(errno) : file.errorString();
    // Never in place of a file that is there.
    if (!file.rename(path))
        return file.errorString();
    file.setAutoRemove(false);
    return {};
}

QString sync(const QString& path)
{
    const auto syncAndClose = [](int descriptor) {
        const bool synced = ::fsync(descriptor) == 0;
        const int error = errno;
        ::close(descriptor);
        return synced ? QString() : qt_error_string(error);
    };
    // The contents, never through a link, then the folder's entry that names them.
    const Opened contents = openRegular(path, O_RDONLY | O_NOFOLLOW);
    if (contents.descriptor < 0)
        return contents.error;
    if (const QString error = syncAndClose(contents.descriptor); !error.isEmpty())
        return error;
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return qt_error_string(errno);
    return syncAndClose(folder);
}

QString makePrivateFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return QStringLiteral("could not create the folder %1").arg(folder);
    // Also when it was there already, opened to others by an older version, a sync tool or by
    // hand: what is kept in it is the user's alone. Someone else's folder is left as it is.
    const QByteArray name = QFile::encodeName(folder);
    struct stat status = {};
    if (::stat(name.constData(), &status) == 0 && status.st_uid == ::geteuid() &&
        (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        ::chmod(name.constData(), S_IRWXU);
    return {};
}

bool isUsersOwnFolder(const QString& folder)
{
    struct stat status = {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 &&
           S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QStringList ownedByOthers(const QString& folder)
{
    const auto othersOwn = [](const QFileInfo& file) {
        return file.exists() && file.ownerId() != ::geteuid();
    };
    if (othersOwn(QFileInfo(folder)))
        return {folder};
    QStringList owned;
    const QDir::Filters everything =
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(everything, QDir::Name)) {
        if (othersOwn(entry))
            owned.append(entry.filePath());
    }
    return owned;
}

QString claimPrivateFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    // Made with its mode at once: the umask can only take bits away.
    if (::mkdir(path.constData(), S_IRWXU) == 0)
        return {};
    if (const int error = errno; error != EEXIST)
        return QStringLiteral("could not create the folder %1: %2")
            .arg(folder, qt_error_string(error));
    if (!isUsersOwnFolder(folder))
        return QStringLiteral("%1 is not a folder that only this user can change").arg(folder);
    if (::chmod(path.constData(), S_IRWXU) != 0)
        return QStringLiteral("could not close %1 to others: %2")
            .arg(folder, qt_error_string(errno));
    return {};
}

PrivateFolder makeUniquePrivateFolder(const QString& pattern)
{
    QByteArray path = QFile::encodeName(pattern);
    // mkdtemp makes the folder 0700, and only if the name was free.
    if (!::mkdtemp(path.data())) {
        const int error = errno;
        return {{}, QStringLiteral("could not create %1: %2").arg(pattern, qt_error_string(error))};
    }
    return {QFile::decodeName(path), {}};
}

QString writePrivate(const QString& path, const QByteArray& bytes)
{
    if (const QString error = makePrivateFolder(path); !error.isEmpty())
        return error;
    if (const QString refusal = whyNotRegular(path); !refusal.isEmpty())
        return refusal;
    return write(path, bytes, privateFileMode);
}

} // namespace StoredFile
