#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TestFiles {

QString home()
{
    return QString::fromLocal8Bit(qgetenv("QUILLORY_TEST_HOME"));
}

QByteArray read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

unsigned mode(const QString& path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & 07777;
}

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void makeFolder(const QString& path, QFileDevice::Permissions permissions)
{
    QDir().mkpath(path);
    QFile::setPermissions(path, permissions);
}

void shareRuntimeFolders(const QString& temporaryFolder)
{
    const auto writableByAll = QFileDevice::Permissions(0x7777);
    qputenv("TMPDIR", QFile::encodeName(temporaryFolder));
    makeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), writableByAll);
    if (QFileInfo(temporaryFolder).isDir())
        makeFolder(temporaryFolder + QStringLiteral("/runtime-") +
                       QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name),
                   writableByAll);
}

} // namespace TestFiles
