#include "NotesRecovery.h"

#include "app/notes/NoteFileWriter.h"
#include "app/notes/NoteStore.h"
#include "app/notes/NoticeTexts.h"
#include "platform/Application.h"
#include "platform/AsideFile.h"
#include "platform/Clock.h"
#include "platform/FileWriteQueue.h"
#include "platform/Log.h"
#include "platform/StoredFile.h"
#include "platform/XdgBaseDirectories.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const Log recoveryLog("quillory.notes");

const QString reason = QStringLiteral("recovered");

// Named after the document it stands in for, so that the user recognises it.
QString documentName(const NoteStore& store)
{
    return QFileInfo(store.fileURL()).fileName();
}

} // namespace

QStringList NotesRecovery::defaultFolders()
{
    QStringList folders{XdgBaseDirectories::stateHome() + QStringLiteral("/Quillory")};
    // There is none when not even a temporary one could be made.
    if (const QString runtime = Application::defaultInstanceDirectory(); !runtime.isEmpty())
        folders.append(runtime);
    return folders;
}

NotesRecovery::NotesRecovery(const QStringList& folders, const Clock& clock)
    : m_folders(folders)
    , m_clock(clock)
{}

QString NotesRecovery::keepUnsaved(const NoteStore& store, FileWriteQueue& writeQueue) const
{
    if (!store.hasUnsavedChanges())
        return {};
    const QByteArray bytes = NoteFileWriter::encode(store.makeNoteFile());
    for (const QString& folder : m_folders) {
        const QString path = AsideFile::asidePath(folder + QLatin1Char('/') + documentName(store),
                                                  reason, m_clock.now());
        // Written here: in the write queue it could wait behind the very write the disk holds up.
        QString error = StoredFile::makePrivateFolder(path);
        if (error.isEmpty())
            error = StoredFile::create(path, bytes, StoredFile::privateFileMode,
                                       StoredFile::Sync::later);
        if (!error.isEmpty()) {
            recoveryLog.error(QStringLiteral("Quillory: could not keep the unsaved notes in %1: %2")
                                  .arg(path, error));
            continue;
        }
        writeQueue.submit(
            path,
            [path] {
                if (const QString error = StoredFile::sync(path); !error.isEmpty())
                    recoveryLog.error(
                        QStringLiteral("Quillory: could not sync %1: %2").arg(path, error));
            },
            {}, FileWriteQueue::Turn::first);
        recoveryLog.error(QStringLiteral("Quillory: the notes could not be saved to %1; they are "
                                         "kept in %2")
                              .arg(store.fileURL(), path));
        return path;
    }
    recoveryLog.error(QStringLiteral("Quillory: the unsaved notes could not be kept anywhere"));
    return {};
}

void NotesRecovery::announce(NoteStore& store) const
{
    const QFileInfo document(store.fileURL());
    const QString pattern = documentName(store) + QLatin1Char('.') + reason + QLatin1Char('*');
    QFileInfoList newer;
    for (const QString& folder : m_folders) {
        for (const QFileInfo& file : QDir(folder).entryInfoList({pattern}, QDir::Files)) {
            if (!document.exists() || file.lastModified() > document.lastModified())
                newer.append(file);
        }
    }
    if (newer.isEmpty())
        return;
    // However many quits could not save, one notice; the newest file holds the latest notes.
    const QFileInfo& newest =
        *std::max_element(newer.cbegin(), newer.cend(), [](const QFileInfo& a, const QFileInfo& b) {
            return std::pair(a.lastModified(), a.fileName()) <
                   std::pair(b.lastModified(), b.fileName());
        });
    store.addNotice(NoticeTexts::recovered(newest.filePath(), newer.size()));
}
