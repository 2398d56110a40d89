#pragma once

#include "app/notes/DeleteAfter.h"
#include "app/notes/Note.h"
#include "app/notes/NotesDocument.h"
#include "platform/ClockJumpDetector.h"
#include "platform/ClockRecord.h"
#include "platform/FileWriteQueue.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class FolderLock;

// Owns the notes while the application runs: one of them is always current, every change is
// written to the notes document a moment after the last one (or by the save deadline, while
// changes keep coming), a failed save is tried again until it succeeds, and the last deletion
// can be undone. Lives on the main thread. The document is encoded here and written through
// the write queue, so a slow disk never holds up typing; only the latest state waits its turn.
class NoteStore : public QObject
{
    Q_OBJECT

public:
    // The record of one deletion, kept while it can be undone.
    struct DeletedNotes
    {
        struct Entry
        {
            Note note;
            int index = 0; // its position just before the deletion
            friend bool operator==(const Entry&, const Entry&) = default;
        };
        std::vector<Entry> entries;         // in ascending `index`
        std::optional<QUuid> replacementID; // the empty note added because none was left
        friend bool operator==(const DeletedNotes&, const DeletedNotes&) = default;
    };

    static constexpr std::chrono::milliseconds defaultAutosaveDelay{500};
    // However steadily the user types, a change waits no longer than this, or than the
    // store's autosave delay when that is longer, to be saved.
    static constexpr std::chrono::milliseconds saveDeadline{2000};
    // While a save is owed after a failure, it is tried again this often.
    static constexpr std::chrono::milliseconds saveRetryInterval{5000};

    // Loads the document at `fileURL` at once. `clock`, `scheduler` and `writeQueue` must
    // outlive the store. With a `clockRecord`, a jump of the wall clock made since the notes
    // were last written, while the program was not running, counts as one seen while running.
    // With a `folderLock` (held on the document's folder), saves keep holding it as
    // NotesDocument says.
    NoteStore(const QString& fileURL, const Clock& clock, Scheduler& scheduler,
              std::chrono::milliseconds autosaveDelay = defaultAutosaveDelay,
              FileWriteQueue& writeQueue = FileWriteQueue::immediate(),
              std::shared_ptr<ClockRecord> clockRecord = nullptr,
              std::shared_ptr<FolderLock> folderLock = nullptr, QObject* parent = nullptr);
    ~NoteStore() override;

    const std::vector<Note>& notes() const { return m_notes; }
    int currentIndex() const { return m_currentIndex; }
    const Note& currentNote() const { return m_notes[std::size_t(m_currentIndex)]; }
    const std::optional<DeletedNotes>& pendingUndo() const { return m_pendingUndo; }
    NewNoteColor newNoteColor() const { return m_newNoteColor; }
    void setNewNoteColor(NewNoteColor color) { m_newNoteColor = color; }
    int rotateIndex() const { return m_rotateIndex; }
    bool hasUnsavedChanges() const { return m_hasUnsavedChanges; }
    QString fileURL() const { return m_fileURL; }
    // What failed and where, while the notes cannot be saved; empty once a save succeeds.
    QString saveProblem() const { return m_saveProblem; }
    // What this run has to tell about the notes' files (a document moved aside, a version of
    // another program kept beside it, notes kept from an earlier run), until dismissed.
    const QStringList& notices() const { return m_notices; }
    void addNotice(const QString& notice);
    void dismissNotices();
    bool hasNext() const;

    void select(int position);
    void setText(const QString& text);
    // Changes the text of the note with `id`, wherever it stands; an editor only ever writes
    // into its own note.
    void setText(const QUuid& id, const QString& text);
    void rename(const QString& rawName);
    void rename(const QUuid& id, const QString& rawName);
    void setHue(Hue hue);
    Note makeNote(const QString& text);
    void addNote(const QString& text = QString());
    void clearAll();
    void markDirty();
    // Hands the notes to the write queue now if anything is unsaved, ahead of the other files
    // waiting there, the clock record after them; the outcome comes back through the queue.
    void save();

    // Also follows a jump of the wall clock first, whatever the period, so that the jump alone
    // never makes a note expire, now or at a later start.
    int purgeExpired(DeleteAfter period);
    DeletedNotes deleteNotes(const QSet<QUuid>& ids);
    DeletedNotes deleteCurrent();
    bool undoDelete();
    // Drops the pending undo (the toast's time is up).
    void clearPendingUndo();

    NoteFile makeNoteFile() const;

Q_SIGNALS:
    void notesChanged();
    void currentIndexChanged(int currentIndex);
    void pendingUndoChanged();
    void saveProblemChanged(const QString& problem);
    void noticesChanged();

private:
    void load();
    // Takes the jump the clock record tells of; without one, records the clock as it is.
    void followClockSetBetweenRuns();
    // The write that records both clocks as they read now; none without a record or a reading.
    FileWriteQueue::Work clockRecordWrite() const;
    // The outcome of the save of change number `change`.
    void saveFinished(quint64 change, const NotesDocument::Saved& saved);
    void setSaveProblem(const QString& problem);
    // Assigns both at once, then tells observers, so nobody sees an index past the end.
    void replaceNotes(std::vector<Note> notes, int currentIndex);
    void setCurrentIndex(int index);
    void setPendingUndo(std::optional<DeletedNotes> record);
    void renumberOrders();
    // After the wall clock was set ahead, moves the edit times written before with it, so that
    // they keep the ages the notes really have. Returns whether any moved; the caller tells the
    // views and schedules the save.
    bool carryEditTimesOverClockJump();
    int indexOf(const QUuid& id) const;
    template <typename Value>
    void changeNote(const QUuid& id, Value Note::*field, const Value& value);

    std::vector<Note> m_notes;
    int m_currentIndex = 0;
    std::optional<DeletedNotes> m_pendingUndo;
    NewNoteColor m_newNoteColor = NewNoteColor::rotate();
    int m_rotateIndex = 0;
    bool m_hasUnsavedChanges = false;
    QString m_fileURL;
    const Clock& m_clock;
    ClockJumpDetector m_clockJumps;
    // Shared with the saves on their way, like the document.
    std::shared_ptr<ClockRecord> m_clockRecord;
    Scheduler& m_scheduler;
    std::chrono::milliseconds m_autosaveDelay;
    FileWriteQueue& m_writeQueue;
    // Shared with the saves on their way, which may outlive the store.
    std::shared_ptr<NotesDocument> m_document;
    Scheduler::Task m_saveTask;
    // The save that runs however the delayed one is put off: the deadline, or the retry.
    Scheduler::Task m_latestSaveTask;
    // Every change has a number.
    quint64 m_changeCount = 0;
    // The number of the latest change handed to the write queue and not yet back; 0 for none.
    quint64 m_changeOnItsWay = 0;
    QString m_lastSaveError;
    QString m_saveProblem;
    QStringList m_notices;
};
