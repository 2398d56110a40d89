#include "NotesDocument.h"

#include "platform/AsideFile.h"
#include "platform/Clock.h"
#include "platform/FolderLock.h"
#include "platform/Log.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

const Log documentLog("quillory.notes");

} // namespace

QString NotesDocument::defaultFileURL()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillory/notes.json");
}

NotesDocument::NotesDocument(const QString& path, const Clock& clock,
                             std::shared_ptr<FolderLock> folderLock)
    : m_file(path)
    , m_clock(clock)
    , m_folderLock(std::move(folderLock))
{}

StoredFile::Contents NotesDocument::read()
{
    return m_file.read();
}

QString NotesDocument::moveAsideUnreadable()
{
    const QString aside =
        m_file.moveAside(AsideFile::corrupt, m_clock.now(), StoredFile::privateFileMode);
    m_unreadableLeft = aside.isEmpty();
    return aside;
}

void NotesDocument::keepBeforeFirstSave(const QString& reason, const QString& why)
{
    m_keptWhy = why;
    m_file.keepBeforeNextWrite(reason);
}

NotesDocument::Saved NotesDocument::save(const QByteArray& bytes)
{
    // A copy started while the folder was gone holds the lock on the new one, and its notes are
    // not this copy's to write over. A lock that cannot be taken at all is no reason to stop:
    // the write below tells what is wrong with the folder.
    if (m_folderLock && m_folderLock->claimAgain() == FolderLock::Result::heldElsewhere)
        return {QStringLiteral("another copy of Quillory is using the notes in %1")
                    .arg(QFileInfo(path()).absolutePath()),
                {}};
    if (m_unreadableLeft && QFileInfo::exists(path())) {
        const QString aside = moveAsideUnreadable();
        if (aside.isEmpty())
            return {QStringLiteral("the unreadable document %1 could not be moved aside and is "
                                   "not overwritten")
                        .arg(path()),
                    {}};
        documentLog.error(
            QStringLiteral("Quillory: moved the unreadable document %1 to %2").arg(path(), aside));
    }
    m_unreadableLeft = false;
    if (const QString error = StoredFile::makePrivateFolder(path()); !error.isEmpty())
        return {error, {}};

    const TrackedFile::Written written =
        m_file.write(bytes, StoredFile::privateFileMode, m_clock.now());
    if (!written.outsideCopy.isEmpty())
        documentLog.error(QStringLiteral("Quillory: %1 was changed by another program; that "
                                         "version is kept in %2")
                              .arg(path(), written.outsideCopy));
    if (written.removedOutside)
        documentLog.error(
            QStringLiteral("Quillory: %1 was removed by another program; it is written again")
                .arg(path()));
    if (!written.keptCopy.isEmpty())
        documentLog.error(QStringLiteral("Quillory: %1 %2; a copy is kept in %3")
                              .arg(path(), m_keptWhy, written.keptCopy));
    return {written.error, written.outsideCopy};
}
