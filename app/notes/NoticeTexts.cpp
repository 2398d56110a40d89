#include "NoticeTexts.h"

#include <QDir>

namespace NoticeTexts {

namespace {

QString shown(const QString& path)
{
    const QString home = QDir::homePath();
    if (home != QDir::rootPath() && path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

} // namespace

QString saveProblem(const QString& document, const QString& reason,
                    std::chrono::seconds retryInterval)
{
    return QStringLiteral("Notes can't be saved to %1: %2. Trying again every %3 seconds.")
        .arg(shown(document), reason)
        .arg(retryInterval.count());
}

QString movedAside(const QString& document, const QString& aside)
{
    return QStringLiteral("%1 could not be read, so Quillory started with a new note. The old "
                          "file is kept as %2.")
        .arg(shown(document), shown(aside));
}

QString unreadableLeft(const QString& document)
{
    return QStringLiteral("%1 could not be read and is left as it is; Quillory started with a "
                          "new note and will not save over it.")
        .arg(shown(document));
}

QString changedOutside(const QString& document, const QString& copy)
{
    return QStringLiteral("%1 was changed by another program. Your notes here were saved; the "
                          "other version is kept as %2.")
        .arg(shown(document), shown(copy));
}

QString recovered(const QString& newestRecoveryFile, qsizetype count)
{
    const QString kept =
        count == 1 ? QStringLiteral("Notes that could not be saved last time are kept in %1.")
                         .arg(shown(newestRecoveryFile))
                   : QStringLiteral("Notes that could not be saved are kept in %1 files; the "
                                    "newest is %2.")
                         .arg(count)
                         .arg(shown(newestRecoveryFile));
    return kept + QStringLiteral(" To get them back, quit Quillory and put that file in place of "
                                 "notes.json.");
}

QString ownedByOthers(const QStringList& paths)
{
    QStringList shownPaths;
    for (const QString& path : paths)
        shownPaths.append(shown(path));
    const bool one = paths.size() == 1;
    return QStringLiteral("%1 %2 to another user, as after running Quillory with sudo, so "
                          "Quillory can't keep its files there. Give %3 back to your user, for "
                          "example with sudo chown -R.")
        .arg(shownPaths.join(QStringLiteral(", ")),
             one ? QStringLiteral("belongs") : QStringLiteral("belong"),
             one ? QStringLiteral("it") : QStringLiteral("them"));
}

} // namespace NoticeTexts
