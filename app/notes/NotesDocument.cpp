#include "NotesDocument.h"

#include "platform/StoredFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
    return StoredFile::write(path, bytes, ownerOnlyFile);
}

} // namespace NotesDocument
