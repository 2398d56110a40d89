#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers for tests.
namespace TestFiles {

QString home(); // the per-process temporary home folder
QByteArray read(const QString& path);
void write(const QString& path, const QByteArray& bytes); // creates missing folders

} // namespace TestFiles
