#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

// What the note page tells the user about the notes' files, in the program's own words. Paths
// in the user's home folder are shown from "~".
namespace NoticeTexts {

QString saveProblem(const QString& document, const QString& reason,
                    std::chrono::seconds retryInterval);
QString movedAside(const QString& document, const QString& aside);
QString unreadableLeft(const QString& document);
QString changedOutside(const QString& document, const QString& copy);
// `count` recovery files are kept, the newest being `newestRecoveryFile`.
QString recovered(const QString& newestRecoveryFile, qsizetype count);
// The program's files or folders at `paths` belong to another user.
QString ownedByOthers(const QStringList& paths);

} // namespace NoticeTexts
