#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace TestFiles
