#pragma once

#include <QMap>
#include <QString>
#include <QVersionNumber>

// Facts about the machine and its operating system, as the analytics payload reports them.
struct DeviceInfo
{
    QString osName;           // the distribution's NAME, "Linux" when unknown
    QVersionNumber osVersion; // its VERSION_ID, empty when unknown
    QString machine;          // the kernel's machine name, such as x86_64
    QString modelName;        // the firmware's product name, else the machine name

    // Reads <root>/etc/os-release (or <root>/usr/lib/os-release), <root>/sys/class/dmi/id and
    // uname. The root is "/" except in tests.
    static DeviceInfo read(const QString& root = QStringLiteral("/"));

    static QMap<QString, QString> parseOsRelease(const QByteArray& text);
};
