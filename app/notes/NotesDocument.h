#pragma once

#include "platform/TrackedFile.h"

#include <QByteArray>
#include <QString>

#include <memory>

class Clock;
class FolderLock;

// The notes document on disk. It is read once, on the main thread, when the store is made;
// from then on it is touched only by saves, one at a time, on the write queue's thread. A save
// never replaces what nobody has seen: an unreadable document stays until it could be moved
// aside, a version changed by another program is kept beside it first, and so is, once, a
// document written by a newer version of the program.
class NotesDocument
{
public:
    struct Saved
    {
        QString error;       // why the document was not written; empty when it was
        QString outsideCopy; // where a version changed by another program was kept
    };

    // $XDG_DATA_HOME/Quillory/notes.json
    static QString defaultFileURL();

    // With `folderLock`, the lock this copy holds on the document's folder: every save takes
    // it again first when the folder or the lock's file was removed meanwhile, and writes
    // nothing while another copy holds it instead.
    NotesDocument(const QString& path, const Clock& clock,
                  std::shared_ptr<FolderLock> folderLock = nullptr);

    QString path() const { return m_file.path(); }

    // Main thread, before any save.
    StoredFile::Contents read();
    // Main thread, before any save: moves a document that cannot be read aside (mode 0600,
    // whatever it had), returning where it went. When it could not be moved, every save tries
    // again first and writes nothing until it can.
    QString moveAsideUnreadable();
    // Main thread, before any save: the document read holds what this program cannot write
    // back (a newer form, a colour added later); the first save keeps a copy of it beside it,
    // named after `reason`, and logs that the document `why` (what it holds that is lost).
    void keepBeforeFirstSave(const QString& reason, const QString& why);

    // The write queue's thread.
    Saved save(const QByteArray& bytes);

private:
    TrackedFile m_file;
    const Clock& m_clock;
    const std::shared_ptr<FolderLock> m_folderLock;
    bool m_unreadableLeft = false;
    QString m_keptWhy;
};
