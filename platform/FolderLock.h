#pragma once

#include <QByteArray>
#include <QString>

// Claims a folder for this process for as long as the object lives, against other copies of
// the program that use the same folder but cannot find each other by their runtime folders
// (another login session, sudo -u, a container, ssh -X). The kernel holds the lock on a file
// in the folder, so it is released however the process ends and is seen across process
// namespaces. The holder leaves in that file how it can be reached.
class FolderLock
{
public:
    static inline const QString fileName = QStringLiteral("quillory.lock");

    enum class Result { acquired, heldElsewhere, failed };

    explicit FolderLock(const QString& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Creates a missing folder, readable by the user only, and takes the lock; on success
    // leaves `contact` in the lock file for the copies that find the folder taken. A link or
    // anything but a regular file in the lock file's place fails, and is left as it is.
    Result tryLock(const QByteArray& contact);
    // Takes the lock again when the file it holds is no longer the one at its path (the folder
    // or the file was removed or replaced since), as tryLock() would, with the same contact:
    // another copy could take a new file there while this one holds only the old. `acquired`
    // while it holds the file at its path. Called by one thread at a time, like tryLock().
    Result claimAgain();
    // Why tryLock() or claimAgain() failed.
    QString errorString() const { return m_error; }
    // What the copy holding the folder left in the lock file, as tryLock() found it.
    QByteArray holderContact() const { return m_holderContact; }

private:
    QString filePath() const;
    bool holdsFileAtPath() const;

    const QString m_folder;
    int m_descriptor = -1;
    QByteArray m_contact;
    QString m_error;
    QByteArray m_holderContact;
};
