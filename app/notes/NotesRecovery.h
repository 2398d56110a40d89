#pragma once

#include <QStringList>

class Clock;
class FileWriteQueue;
class NoteStore;

// Keeps the notes that could not reach their document by the time the program ends, so that
// nothing typed is lost: all of them, in a recovery file of the document's own form (put in
// place of notes.json, it restores them), in the first of its folders that takes it. The next
// start tells how many recovery files are newer than the document and where the newest is.
class NotesRecovery
{
public:
    // $XDG_STATE_HOME/Quillory, then the runtime folder's Quillory.
    static QStringList defaultFolders();

    NotesRecovery(const QStringList& folders, const Clock& clock);

    // When the store still has unsaved changes, writes its notes to a recovery file (0600, in a
    // folder of the user's only) and logs where; returns the file's path, empty when nothing
    // was written. The file is complete when this returns; its sync, which a slow disk can
    // hold up for long, is handed to `writeQueue`, ahead of the other files.
    QString keepUnsaved(const NoteStore& store, FileWriteQueue& writeQueue) const;
    // Gives the store one notice of the recovery files newer than its document, if any.
    void announce(NoteStore& store) const;

private:
    QStringList m_folders;
    const Clock& m_clock;
};
