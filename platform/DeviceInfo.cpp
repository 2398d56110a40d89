#include "DeviceInfo.h"

#include <QFile>

#include <sys/utsname.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString unquoted(QString value)
{
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
        value.replace(QStringLiteral("\\\""), QStringLiteral("\""));
        value.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    }
    return value;
}

} // namespace

QMap<QString, QString> DeviceInfo::parseOsRelease(const QByteArray& text)
{
    QMap<QString, QString> values;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        values.insert(line.left(equals), unquoted(line.mid(equals + 1)));
    }
    return values;
}

DeviceInfo DeviceInfo::read(const QString& root)
{
    const QString base = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    QByteArray osRelease = readFile(base + QStringLiteral("etc/os-release"));
    if (osRelease.isEmpty())
        osRelease = readFile(base + QStringLiteral("usr/lib/os-release"));
    const QMap<QString, QString> release = parseOsRelease(osRelease);

    DeviceInfo info;
    info.osName = release.value(QStringLiteral("NAME"), QStringLiteral("Linux"));
    info.osVersion = QVersionNumber::fromString(release.value(QStringLiteral("VERSION_ID")));

    utsname names{};
    if (uname(&names) == 0)
        info.machine = QString::fromLocal8Bit(names.machine);

    const QString product =
        QString::fromUtf8(readFile(base + QStringLiteral("sys/class/dmi/id/product_name")))
            .trimmed();
    info.modelName = product.isEmpty() ? info.machine : product;
    return info;
}
