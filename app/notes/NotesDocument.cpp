#include "NotesDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>

#include <unistd.h>

namespace NotesDocument {

namespace {
constexpr QFile::Permissions ownerOnlyFolder =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions ownerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;
} // namespace

QString defaultFileURL()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillory/notes.json");
}

QString write(const QString& path, const QByteArray& bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return QStringLiteral("could not create the folder %1").arg(folder);
        QFile::setPermissions(folder, ownerOnlyFolder);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // QSaveFile buffers small writes, and its commit() renames the temporary file even when
    // flushing them fails and ignores a failed sync (on a full disk the document became an
    // empty file); so every step is checked here, before commit() replaces the document.
    errno = 0;
    if (!file.setPermissions(ownerOnlyFile) || file.write(bytes) != bytes.size() || !file.flush() ||
        ::fsync(file.handle()) != 0) {
        // Qt reports a write cut short (the last bytes that fit on a disk) as "Unknown error".
        const QString reason = errno != 0 ? qt_error_string(errno) : file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace NotesDocument
